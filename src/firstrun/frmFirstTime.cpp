#include "firstrun/frmFirstTime.h"

#include "basics/Twips.h"
#include "firstrun/FileAssociation.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsStore.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
const QString Data = QStringLiteral("data");
const QString FirstTime = QStringLiteral("firsttime");

QFont fontOf(const char* family, double points) {
    QFont font{QLatin1String(family)};
    font.setPointSizeF(points);
    return font;
}
} // namespace

frmFirstTime::frmFirstTime(Platform& platform, SettingsStore& settings, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      seams(platform), store(settings) {
    setObjectName(QStringLiteral("frmFirstTime"));
    setWindowTitle(QStringLiteral("Welcome to Notavo"));
    setFont(fontOf("Tahoma", 8.25));

    auto* title = new QLabel(QStringLiteral("Welcome to Notavo!"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setFont(fontOf("Tahoma", 14.25));
    title->setAlignment(Qt::AlignCenter);

    auto* description = new QLabel(
        QStringLiteral("Notavo is an easy to use note pad, to store snippets, phone numbers, "
                       "email addresses, all kinds of information."),
        this);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setFont(fontOf("Arial", 8.25));
    description->setAlignment(Qt::AlignCenter);
    description->setWordWrap(true);

    auto* settingsFrame = new QGroupBox(QStringLiteral("Settings"), this);
    settingsFrame->setObjectName(QStringLiteral("Settings"));
    associateBox = new QCheckBox(QStringLiteral("Associate .nv with Notavo"), settingsFrame);
    associateBox->setObjectName(QStringLiteral("addextensions"));
    auto* frameLayout = new QVBoxLayout(settingsFrame);
    frameLayout->addWidget(associateBox);

    startButton = new QPushButton(QStringLiteral("Start"), this);
    startButton->setObjectName(QStringLiteral("cStartNotavo"));
    startButton->setDefault(true);

    auto* column = new QVBoxLayout(this);
    column->addWidget(title);
    column->addWidget(description);
    column->addWidget(settingsFrame);
    column->addWidget(startButton);

    setTabOrder(startButton, associateBox);
    startButton->setFocus();
    setFixedSize(twips(5295), twips(3330));

    connect(startButton, &QPushButton::clicked, this, &frmFirstTime::cStartNotavoClick);
    connect(associateBox, &QCheckBox::clicked, this, &frmFirstTime::addextensionsClick);
}

void frmFirstTime::load() {
    // Anything but a stored whole-number 0 (a missing key, "1", text typed by hand) is a first run.
    const auto firstTime = SettingsCodec::toLong(
        store.ReadSetting(SettingsStore::SettingsAppName(), Data, FirstTime, QStringLiteral("1")));
    if (firstTime == 0) {
        started = true;
        Q_EMIT startMain();
        return;
    }
    store.write(Data, FirstTime, QStringLiteral("0"));
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - rect().center());
    show();
    startButton->setFocus();
}

void frmFirstTime::cStartNotavoClick() {
    store.write(Data, FirstTime, QStringLiteral("0"));
    started = true;
    close();
    Q_EMIT startMain();
}

void frmFirstTime::addextensionsClick() {
    // One association per showing: the box stays ticked and greyed.
    associateBox->setChecked(true);
    associateBox->setEnabled(false);
    associateDocumentType(seams);
}

void frmFirstTime::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!started)
        Q_EMIT closedWithoutStart();
}
