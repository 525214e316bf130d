#include "dialogs/frmAbout.h"

#include "basics/ApplicationTitle.h"
#include "basics/Twips.h"
#include "dialogs/ProgramIcon.h"
#include "dialogs/SysInfo.h"
#include "platform/Platform.h"

#include <QLabel>
#include <QPushButton>

frmAbout::frmAbout(Platform& platform, QWidget* owner) : QDialog(owner), seams(platform) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon(48));
    setFixedSize(twips(5100), twips(2490));

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(programIcon(48));
    picIcon->setGeometry(twips(240), twips(240), 48, 48);

    QPalette black = palette();
    black.setColor(QPalette::WindowText, Qt::black);
    title = new QLabel(QStringLiteral("Application Title"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setPalette(black);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    title->setFont(titleFont);
    title->setGeometry(twips(1050), twips(240), twips(3885), twips(480));

    version = new QLabel(QStringLiteral("Version"), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setGeometry(twips(1050), twips(780), twips(3885), twips(225));

    description = new QLabel(QStringLiteral("Notavo is an easy to use note pad, to store snippets, "
                                            "phone numbers, email addresses, all kinds of "
                                            "information."),
                             this);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setPalette(black);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    description->setGeometry(twips(1050), twips(1125), twips(3885), twips(720));

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("cmdOK"));
    okButton->setGeometry(twips(240), twips(1950), twips(1260), twips(375));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::close);

    sysInfoButton = new QPushButton(QStringLiteral("&System Info..."), this);
    sysInfoButton->setObjectName(QStringLiteral("cmdSysInfo"));
    sysInfoButton->setGeometry(twips(1620), twips(1950), twips(1455), twips(375));
    connect(sysInfoButton, &QPushButton::clicked, this,
            [this] { StartSysInfo(seams.registry, seams.shell, *seams.messageBox, this); });

    setTabOrder(okButton, sysInfoButton);
    okButton->setFocus();
    load();
    if (owner)
        move(owner->geometry().center() - rect().center());
}

void frmAbout::load() {
    setWindowTitle(QLatin1String("About ") + applicationTitle());
    lblVersion()->setText(QStringLiteral("Version %1.%2.%3")
                              .arg(NOTAVO_VERSION_MAJOR)
                              .arg(NOTAVO_VERSION_MINOR)
                              .arg(NOTAVO_VERSION_PATCH));
    lblTitle()->setText(applicationTitle());
}
