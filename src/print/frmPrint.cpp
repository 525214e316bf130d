#include "print/frmPrint.h"

#include "basics/Twips.h"
#include "document/Document.h"
#include "platform/ColourValue.h"
#include "platform/CommonDialog.h"
#include "platform/Platform.h"
#include "platform/Printer.h"
#include "settings/SettingsStore.h"

#include <QLabel>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

namespace {
const QString DataCol = QStringLiteral("data-col");
const QString DataFont = QStringLiteral("data-font");

// A stored size only a hand edit could make unusable.
bool usableFontSize(float size) {
    return size > 0.0f && size <= 1638.0f;
}

int alignmentCode(Qt::Alignment alignment) {
    if (alignment & Qt::AlignRight)
        return 1;
    if (alignment & Qt::AlignHCenter)
        return 2;
    return 0;
}
} // namespace

frmPrint::frmPrint(const PrintSource& from)
    : QWidget(&from.owner, Qt::Window | Qt::FramelessWindowHint), source(from),
      header(new QLabel(QStringLiteral("Document"), this)), body(new QTextEdit(this)),
      closeTimer(new QTimer(this)) {
    setObjectName(QStringLiteral("frmPrint"));
    setFixedSize(twips(11820), twips(16155));

    header->setObjectName(QStringLiteral("bar"));
    header->setGeometry(0, 0, twips(11895), twips(855));
    header->setAlignment(Qt::AlignCenter);
    QFont headerFont(QStringLiteral("Tahoma"));
    headerFont.setBold(true);
    headerFont.setItalic(false);
    headerFont.setPointSizeF(27.75);
    header->setFont(headerFont);

    body->setObjectName(QStringLiteral("txtToPrint"));
    body->setGeometry(0, twips(840), twips(11895), twips(15375));
    body->setAcceptRichText(false);
    body->setLineWrapMode(QTextEdit::WidgetWidth);
    body->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    body->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    body->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    closeTimer->setObjectName(QStringLiteral("closeme"));
    closeTimer->setInterval(200);
    connect(closeTimer, &QTimer::timeout, this, &frmPrint::closemeTick);
}

bool frmPrint::load(QString& failure) {
    closeTimer->start();
    const SettingsStore& store = source.settings;
    const FontChoice dialogFont = source.dlgFile.font;

    // Stored texts that do not convert count as missing, and an unknown face falls back to the
    // system's substitute, so no setting can stop the print.
    if (store.readLong(DataFont, QStringLiteral("gotfont"), 1) == 1) {
        QFont font = body->font();
        font.setFamily(store.readText(DataFont, QStringLiteral("fontname"), dialogFont.name));
        font.setBold(store.readBool(DataFont, QStringLiteral("fontbold"), dialogFont.bold));
        font.setItalic(store.readBool(DataFont, QStringLiteral("fontitalic"), dialogFont.italic));
        float size = store.readSingle(DataFont, QStringLiteral("fontsize"), dialogFont.size);
        if (!usableFontSize(size))
            size = dialogFont.size;
        if (usableFontSize(size))
            font.setPointSizeF(size);
        body->setFont(font);
    }
    if (store.readLong(DataCol, QStringLiteral("gotfontcol"), 1) == 1) {
        QPalette palette = body->palette();
        const std::int32_t present = colourValue(palette.color(QPalette::Text));
        const QColor colour =
            colourFromValue(store.readLong(DataCol, QStringLiteral("textcol"), present));
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            palette.setColor(group, QPalette::Text, colour);
        body->setPalette(palette);
    }
    int alignment = alignmentCode(body->alignment());
    if (store.readLong(DataFont, QStringLiteral("gotfontalign"), 1) == 1) {
        const int stored =
            store.readInteger(DataFont, QStringLiteral("fontalign"), std::int16_t(alignment));
        if (stored >= 0 && stored <= 2)
            alignment = stored;
    }
    // One page is printed: the start of a long document is all that can show on it, and
    // laying out the rest would take seconds and gigabytes for a large one.
    const TextBuffer& text = source.document.buffer();
    body->setPlainText(text.mid(0, text.lineEnd(std::min<qsizetype>(2000, text.lineCount()) - 1)));
    applyAlignment(alignment);

    QFont headerFont = header->font();
    headerFont.setFamily(store.readText(DataFont, QStringLiteral("fontname"), dialogFont.name));
    header->setFont(headerFont);
    const QString name = nameFor(source.document.nameFile());
    header->setText(name == nameFor(NamedFile::newDocument()) ? QStringLiteral("Untitled Document")
                                                              : name);

    Printer* printer = source.printer;
    if (!printer) {
        failure = QStringLiteral("No printer is available.");
        return false;
    }
    ensurePolished();
    return printer->printPage(*this, failure);
}

void frmPrint::applyAlignment(int code) {
    const Qt::Alignment alignment = code == 1   ? Qt::AlignRight
                                    : code == 2 ? Qt::AlignHCenter
                                                : Qt::AlignLeft;
    QTextCursor all(body->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setAlignment(alignment | Qt::AlignAbsolute);
    all.mergeBlockFormat(format);
}

void frmPrint::closemeTick() {
    closeTimer->stop();
    close();
    Q_EMIT unloaded();
    deleteLater();
}

bool printPage(const PrintSource& source, QString& failure, const std::function<void()>& printed) {
    auto* page = new frmPrint(source);
    QObject::connect(page, &frmPrint::unloaded, &source.owner, printed);
    if (!page->load(failure)) {
        delete page;
        return false;
    }
    page->show();
    return true;
}
