#include "firstrun/FileAssociation.h"

#include "firstrun/AssociationStrings.h"
#include "platform/FileTypeRegistry.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>

void associateDocumentType(Platform& platform) {
    // Qt reads /proc/self/exe: the real file, even when started through a symbolic link.
    associateDocumentType(platform, QCoreApplication::applicationFilePath());
}

void associateDocumentType(Platform& platform, const QString& programFile) {
    FileTypeRegistry* registry = platform.fileTypes;
    if (registry == nullptr || programFile.isEmpty())
        return;
    const QFileInfo program(programFile);
    // The command names the executable file as it is: Linux adds no extension when it starts a
    // program, so dropping one would name a file that does not exist.
    const AssociationStrings strings = buildAssociation(program.absolutePath(), program.fileName());
    const QString type = QStringLiteral("NotavoTextFile");

    // Each step's failure is passed over; the next one runs.
    registry->addExtension(QStringLiteral(".nv"), type, QStringLiteral("Notavo Protocol File"));
    registry->describeType(type, QStringLiteral("Notavo Text File"));
    registry->setTypeIcon(type, strings.iconPath);
    if (strings.openCommand)
        registry->setOpenCommand(type, *strings.openCommand);
    registry->commit();
}
