#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>

class CommonDialog;
class Document;
class MessageBox;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QMenu;
struct MenuEntry;
class QPlainTextEdit;
class QTimer;
class QToolBar;
class RecoveryJournal;
class SettingsStore;
class TextView;
struct CurrentFile;
struct Platform;

// The one working window. It builds its controls, menus and toolbar, restores the appearance
// from the settings at load, holds the document that the commands (commands/, connected by
// wiring/) act on, and shows it: the editing box edits its text, and the caption and the
// "File Details" panel follow its current file.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    frmMain(Platform& platform, SettingsStore& settings, QWidget* parent = nullptr);
    ~frmMain() override;

    Document& document() { return *doc; }
    TextView& txtMain() { return *edit; }
    QLabel* fNameString() const { return nameLabel; }
    QPlainTextEdit* fileDirText() const { return locationBox; }
    QCheckBox* autosavecheck() const { return autosaveBox; }
    QGroupBox* frame() const { return detailsFrame; }
    QLabel* fLocation() const { return locationCaption; }
    QLabel* fName() const { return nameCaption; }
    QToolBar* tlBar() const { return toolbar; }
    QTimer* autosavetimer() const { return autosaveTimer; }
    QTimer* statusbarclear() const { return statusTimer; }
    QMenu* mPopup() const { return popupMenu; }
    QAction* action(const QString& name) const;
    RecoveryJournal& recoveryJournal() { return *journal; }

    // The window's own background (the client area), apart from toolbar and status bar.
    QColor formBackground() const;
    void setFormBackground(const QColor& colour);
    static void setBackground(QWidget* control, const QColor& colour);

    Platform& platform() { return seams; }
    SettingsStore& settings() { return store; }
    CommonDialog& dlgFile();
    MessageBox& messageBox();

    // A command's report of an outcome: the status text, then "Ready" after 5 s. A second
    // message within the 5 s restarts the countdown, so every message stays readable.
    void ShowStatus(const QString& message);
    QString statusText() const;
    void setStatusText(const QString& text); // without starting the countdown

    // What each auto-save tick runs; installed by the document commands.
    void setAutosaveHandler(std::function<void()> handler) { autosaveHandler = std::move(handler); }

public Q_SLOTS:
    void toolbarClick(const QString& key);
    void statusbarclearTick();
    void autosavetimerTick();

Q_SIGNALS:
    // The close box was used: the program ends, asking nothing.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void buildEncodingsMenu(QMenu& parent, const MenuEntry& entry);
    void buildToolbar();
    void load();
    void showCurrentFile(const CurrentFile& change);
    void placeOn(const QRect& available);

    Platform& seams;
    SettingsStore& store;
    Document* doc = nullptr;
    RecoveryJournal* journal = nullptr;
    TextView* edit = nullptr;
    QWidget* formArea = nullptr;
    QGroupBox* detailsFrame = nullptr;
    QLabel* locationCaption = nullptr;
    QPlainTextEdit* locationBox = nullptr;
    QLabel* nameCaption = nullptr;
    QLabel* nameLabel = nullptr;
    QCheckBox* autosaveBox = nullptr;
    QToolBar* toolbar = nullptr;
    QLabel* statusLabel = nullptr;
    QTimer* autosaveTimer = nullptr;
    QTimer* statusTimer = nullptr;
    QMenu* popupMenu = nullptr;
    std::function<void()> autosaveHandler;
    bool centred = false;
};
