#include "app/frmMain.h"

#include "app/MenuTable.h"
#include "app/ToolbarIcons.h"
#include "app/ToolbarTable.h"
#include "basics/ApplicationTitle.h"
#include "basics/Twips.h"
#include "document/Document.h"
#include "document/RecoveryJournal.h"
#include "document/TextEncodings.h"
#include "editor/TextView.h"
#include "platform/Background.h"
#include "platform/ColourValue.h"
#include "platform/CommonDialog.h"
#include "platform/Platform.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
const QString DataCol = QStringLiteral("data-col");
const QString DataFont = QStringLiteral("data-font");

QFont designedFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    font.setBold(false);
    font.setItalic(false);
    return font;
}

// A stored size only a hand edit could make unusable.
bool usableFontSize(float size) {
    return size > 0.0f && size <= 1638.0f;
}
} // namespace

frmMain::frmMain(Platform& platform, SettingsStore& settings, QWidget* parent)
    : QMainWindow(parent), seams(platform), store(settings) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Notavo"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    doc = new Document(this);
    connect(doc, &Document::currentFileChanged, this, &frmMain::showCurrentFile);
    buildControls();
    buildMenus();
    buildToolbar();
    setFixedSize(twips(8895), twips(7365) + menuBar()->sizeHint().height());

    autosaveTimer = new QTimer(this);
    autosaveTimer->setObjectName(QStringLiteral("autosavetimer"));
    autosaveTimer->setInterval(60000);
    connect(autosaveTimer, &QTimer::timeout, this, &frmMain::autosavetimerTick);
    statusTimer = new QTimer(this);
    statusTimer->setObjectName(QStringLiteral("statusbarclear"));
    statusTimer->setInterval(5000);
    connect(statusTimer, &QTimer::timeout, this, &frmMain::statusbarclearTick);

    if (seams.dlgFile) {
        seams.dlgFile->owner = this;
        // Before any font dialog the component holds the editing box's designed font, under
        // the family the system really uses for it.
        if (seams.dlgFile->font.name.isEmpty()) {
            const QFont font = edit->font();
            seams.dlgFile->font = FontChoice{QFontInfo(font).family(), font.bold(), font.italic(),
                                             float(font.pointSizeF())};
        }
    }

    load();
    // From here on the text is the user's: the box's designed words are not journaled.
    journal = new RecoveryJournal(*doc, {}, this);
    connect(journal, &RecoveryJournal::failed, this, &frmMain::ShowStatus);
    // A deliberate close drops the journal; the end of the desktop session keeps it.
    connect(this, &frmMain::closed, journal, [this] {
        if (!qGuiApp->isSavingSession())
            journal->discard();
    });
    autosaveTimer->start();
    statusTimer->start();
}

frmMain::~frmMain() {
    // It reads the document to the end.
    delete std::exchange(journal, nullptr);
    // The box edits the document's text: it goes first.
    delete formArea;
}

void frmMain::buildControls() {
    formArea = new QWidget(this);
    formArea->setObjectName(QStringLiteral("formArea"));
    setCentralWidget(formArea);
    setBackground(formArea, colourFromValue(DesignedBackground));

    edit = new TextView(*doc, formArea);
    edit->setObjectName(QStringLiteral("txtMain"));
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setFont(designedFont());
    edit->setTextColor(Qt::black);
    edit->setPlainText(QStringLiteral("Load a file or start a new one.\n"));
    edit->setEnabled(false);
    edit->setToolTip(QStringLiteral("Where you can type your work."));

    detailsFrame = new QGroupBox(QStringLiteral("File Details"), formArea);
    detailsFrame->setObjectName(QStringLiteral("frame"));
    locationCaption = new QLabel(QStringLiteral("Location:"), detailsFrame);
    locationCaption->setObjectName(QStringLiteral("fLocation"));
    locationBox = new QPlainTextEdit(detailsFrame);
    locationBox->setObjectName(QStringLiteral("fileDirText"));
    // As designed, the read-out opens with a line break after the words.
    locationBox->setPlainText(locationFor(doc->locationFile()) + QLatin1String("\r\n"));
    locationBox->setReadOnly(true);
    locationBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    locationBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    locationBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    locationBox->setToolTip(QStringLiteral("The location of the current file loaded"));
    locationBox->setFixedHeight(twips(600));
    QPalette white = locationBox->palette();
    white.setColor(QPalette::Base, Qt::white);
    locationBox->setPalette(white);
    nameCaption = new QLabel(QStringLiteral("Name:"), detailsFrame);
    nameCaption->setObjectName(QStringLiteral("fName"));
    nameLabel = new QLabel(nameFor(doc->nameFile()), detailsFrame);
    nameLabel->setObjectName(QStringLiteral("fNameString"));
    // A screen reader names each read-out after its caption, not after the frame around them.
    locationCaption->setBuddy(locationBox);
    nameCaption->setBuddy(nameLabel);
    autosaveBox = new QCheckBox(QStringLiteral("AutoSave"), detailsFrame);
    autosaveBox->setObjectName(QStringLiteral("autosavecheck"));
    for (QWidget* control :
         {static_cast<QWidget*>(detailsFrame), static_cast<QWidget*>(locationCaption),
          static_cast<QWidget*>(nameCaption), static_cast<QWidget*>(nameLabel),
          static_cast<QWidget*>(autosaveBox)})
        setBackground(control, colourFromValue(DesignedBackground));

    auto* grid = new QGridLayout(detailsFrame);
    grid->addWidget(locationCaption, 0, 0);
    grid->addWidget(locationBox, 1, 0);
    grid->addWidget(nameCaption, 0, 1);
    grid->addWidget(nameLabel, 1, 1, Qt::AlignTop);
    grid->addWidget(autosaveBox, 0, 2, 2, 1, Qt::AlignCenter);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);

    auto* column = new QVBoxLayout(formArea);
    column->setContentsMargins(twips(120), twips(60), twips(120), twips(60));
    column->addWidget(edit, 1);
    column->addWidget(detailsFrame);

    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    bar->setToolTip(QStringLiteral("Current Status"));
    statusLabel = new QLabel(QStringLiteral("Ready"), bar);
    statusLabel->setObjectName(QStringLiteral("StatusBarText"));
    statusLabel->setToolTip(QStringLiteral("Current Status"));
    bar->addWidget(statusLabel, 1);
    setStatusBar(bar);

    setTabOrder(edit, locationBox);
    edit->setFocus();
}

void frmMain::buildMenus() {
    QMenu* current = nullptr;
    for (const MenuEntry& entry : mainMenuTable()) {
        const QString name = QLatin1String(entry.name);
        const QString caption = QLatin1String(entry.caption);
        switch (entry.kind) {
        case MenuEntry::Menu:
            // Alt and the first letter opens it (each starts with a different one); the caption
            // reads the same, the letter only underlined.
            current = menuBar()->addMenu(u'&' + caption);
            current->setObjectName(name);
            current->menuAction()->setObjectName(name);
            break;
        case MenuEntry::Hidden:
            // The tray's pop-up menu: built like the others, never placed on the menu bar.
            current = new QMenu(caption, this);
            current->setObjectName(name);
            popupMenu = current;
            break;
        case MenuEntry::Command: {
            QAction* command = menuBar()->addAction(u'&' + caption);
            command->setObjectName(name);
            current = nullptr;
            break;
        }
        case MenuEntry::Separator:
            current->addSeparator();
            break;
        case MenuEntry::Encodings:
            buildEncodingsMenu(*current, entry);
            break;
        case MenuEntry::Item: {
            QAction* item = current->addAction(caption);
            item->setObjectName(name);
            if (*entry.shortcut)
                item->setShortcut(QKeySequence(QLatin1String(entry.shortcut)));
            item->setEnabled(entry.enabled);
            // Shortcuts must work while the menus are closed, so the window carries them too.
            addAction(item);
            break;
        }
        }
    }
    // F10 opens the first menu with its first entry active, as Alt and its letter do, so Return
    // runs that entry and the arrows move on from it.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        QAction* first = menuBar()->actions().constFirst();
        menuBar()->setActiveAction(first);
        if (QMenu* menu = first->menu(); menu && menu->isVisible())
            for (QAction* entry : menu->actions())
                if (!entry->isSeparator() && entry->isEnabled()) {
                    menu->setActiveAction(entry);
                    break;
                }
    });

    const char* popCaptions[] = {"&Open", "&New File", "&Close", "&About Notavo"};
    for (int index = 0; index < 4; ++index) {
        QAction* item = popupMenu->addAction(QLatin1String(popCaptions[index]));
        item->setObjectName(QStringLiteral("mPop"));
        item->setProperty("index", index);
    }
    QAction* open = popupMenu->actions().constFirst();
    QFont bold = open->font();
    bold.setBold(true);
    open->setFont(bold);
    popupMenu->setDefaultAction(open);
}

void frmMain::buildEncodingsMenu(QMenu& parent, const MenuEntry& entry) {
    QMenu* menu = parent.addMenu(QLatin1String(entry.caption));
    menu->setObjectName(QLatin1String(entry.name));
    menu->menuAction()->setObjectName(QLatin1String(entry.name));
    menu->menuAction()->setEnabled(entry.enabled);
    for (const EncodingInfo& info : textEncodings()) {
        QAction* item = menu->addAction(QLatin1String(info.menuCaption));
        item->setObjectName(QLatin1String("mnuReopen_") +
                            QString::fromLatin1(info.converterName).replace(u'-', u'_'));
        item->setData(int(info.encoding));
    }
}

void frmMain::buildToolbar() {
    toolbar = new QToolBar(QStringLiteral("Toolbar"), this);
    toolbar->setObjectName(QStringLiteral("tlBar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setIconSize(QSize(35, 35));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    for (const ToolbarButton& button : toolbarButtons()) {
        const QString key = QLatin1String(button.key);
        QAction* action =
            toolbar->addAction(QIcon(toolbarPicture(key)), QLatin1String(button.caption));
        action->setObjectName(QLatin1String("tlBar") + key);
        action->setToolTip(QLatin1String(button.tooltip));
        action->setProperty("key", key);
        connect(action, &QAction::triggered, this, [this, key] { toolbarClick(key); });
    }
    addToolBar(Qt::TopToolBarArea, toolbar);
}

void frmMain::load() {
    if (store.readLong(DataCol, QStringLiteral("gotcolour"), 1) == 1) {
        const auto restore = [this](QWidget* control, const char* key) {
            const QColor present = control->palette().color(QPalette::Window);
            setBackground(control, colourFromValue(store.readLong(DataCol, QLatin1String(key),
                                                                  colourValue(present))));
        };
        restore(formArea, "formcol");
        restore(detailsFrame, "framecol");
        restore(locationCaption, "filelocation");
        restore(nameCaption, "filename");
        restore(nameLabel, "filenamestring");
        restore(autosaveBox, "autosavecheck");
    }
    if (store.readLong(DataFont, QStringLiteral("gotfont"), 1) == 1) {
        const FontChoice defaults = seams.dlgFile ? seams.dlgFile->font : FontChoice{};
        QFont font = edit->font();
        font.setFamily(store.readText(DataFont, QStringLiteral("fontname"), defaults.name));
        font.setBold(store.readBool(DataFont, QStringLiteral("fontbold"), defaults.bold));
        font.setItalic(store.readBool(DataFont, QStringLiteral("fontitalic"), defaults.italic));
        const float size = store.readSingle(DataFont, QStringLiteral("fontsize"), defaults.size);
        if (usableFontSize(size))
            font.setPointSizeF(size);
        edit->setFont(font);
    }
    if (store.readLong(DataCol, QStringLiteral("gotfontcol"), 1) == 1) {
        const std::int32_t present = colourValue(edit->textColor());
        edit->setTextColor(
            colourFromValue(store.readLong(DataCol, QStringLiteral("textcol"), present)));
    }
    setWindowTitle(QStringLiteral("Notavo"));
    setApplicationTitle(windowTitle());
}

void frmMain::showCurrentFile(const CurrentFile& change) {
    // Only what a command set is written: the location read-out keeps its designed line break
    // until one sets it.
    if (change.caption)
        setWindowTitle(captionFor(doc->captionFile()));
    if (change.name)
        nameLabel->setText(nameFor(doc->nameFile()));
    if (change.location)
        locationBox->setPlainText(locationFor(doc->locationFile()));
}

QAction* frmMain::action(const QString& name) const {
    return findChild<QAction*>(name);
}

QColor frmMain::formBackground() const {
    return formArea->palette().color(QPalette::Window);
}

void frmMain::setFormBackground(const QColor& colour) {
    setBackground(formArea, colour);
}

void frmMain::setBackground(QWidget* control, const QColor& colour) {
    paintBackground(control, colour);
}

CommonDialog& frmMain::dlgFile() {
    return *seams.dlgFile;
}

MessageBox& frmMain::messageBox() {
    return *seams.messageBox;
}

void frmMain::ShowStatus(const QString& message) {
    statusLabel->setText(message);
    statusTimer->start();
}

QString frmMain::statusText() const {
    return statusLabel->text();
}

void frmMain::setStatusText(const QString& text) {
    statusLabel->setText(text);
}

void frmMain::toolbarClick(const QString& key) {
    const QString command = toolbarCommandFor(key);
    if (command.isEmpty())
        return;
    if (QAction* entry = action(command))
        entry->trigger();
}

void frmMain::statusbarclearTick() {
    statusLabel->setText(QStringLiteral("Ready"));
    statusTimer->stop();
}

void frmMain::autosavetimerTick() {
    if (autosaveHandler)
        autosaveHandler();
}

void frmMain::closeEvent(QCloseEvent* event) {
    event->accept();
    Q_EMIT closed();
}

void frmMain::showEvent(QShowEvent* event) {
    if (!centred) {
        centred = true;
        if (const QScreen* display = screen())
            placeOn(display->availableGeometry());
    }
    QMainWindow::showEvent(event);
}

// Centred at its designed size where that fits; on a screen too small for it (or a large scale
// factor) it takes the whole available area instead, title bar to status bar on the screen, and
// can be resized within it.
void frmMain::placeOn(const QRect& available) {
    QMargins frame(geometry().left() - frameGeometry().left(),
                   geometry().top() - frameGeometry().top(),
                   frameGeometry().right() - geometry().right(),
                   frameGeometry().bottom() - geometry().bottom());
    // Before the window manager has framed it, a title bar's height is the best guess.
    if (frame.isNull())
        frame.setTop(style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    const QSize room = available.size().shrunkBy(frame);
    if (width() <= room.width() && height() <= room.height()) {
        move(available.center() - rect().center());
        return;
    }
    setMinimumSize(minimumSizeHint().boundedTo(room).boundedTo(QSize(320, 240)));
    setMaximumSize(room);
    resize(room);
    move(available.topLeft());
}
