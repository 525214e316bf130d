#include "dialogs/frmBugReport.h"

#include "dialogs/BugReportUrl.h"
#include "platform/MessageBox.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

frmBugReport::frmBugReport(Platform& platform, QWidget* parent) : QWidget(parent), seams(platform) {
    setObjectName(QStringLiteral("frmBugReport"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Report A Bug"));

    auto* heading = new QLabel(QStringLiteral("Notavo Bug Reporting"), this);
    heading->setObjectName(QStringLiteral("lblHeading"));
    QFont headingFont(QStringLiteral("MS Sans Serif"));
    headingFont.setPointSizeF(13.5);
    heading->setFont(headingFont);
    heading->setAlignment(Qt::AlignCenter);
    auto* intro = new QLabel(QStringLiteral("If you have found a bug in Notavo and would like to "
                                            "report it, please report it here."),
                             this);
    intro->setObjectName(QStringLiteral("lblIntro"));
    intro->setWordWrap(true);

    auto* idLabel = new QLabel(QStringLiteral("Error ID (if error)"), this);
    idBox = new QLineEdit(this);
    idBox->setObjectName(QStringLiteral("txtID"));
    continueButton = new QPushButton(QStringLiteral("Continue"), this);
    continueButton->setObjectName(QStringLiteral("cmdContinue"));

    auto* nameLabel = new QLabel(QStringLiteral("Your email (optional)"), this);
    whyButton = new QPushButton(QStringLiteral("Why?"), this);
    whyButton->setObjectName(QStringLiteral("cmdWhy"));
    whyButton->setFixedWidth(whyButton->fontMetrics().horizontalAdvance(whyButton->text()) + 16);
    nameBox = new QLineEdit(this);
    nameBox->setObjectName(QStringLiteral("txtName"));

    auto* bugLabel = new QLabel(QStringLiteral("Describe the bug:"), this);
    bugBox = new QPlainTextEdit(this);
    bugBox->setObjectName(QStringLiteral("txtBug"));
    bugBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    bugBox->setTabChangesFocus(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(heading, 0, 0, 1, 3);
    grid->addWidget(intro, 1, 0, 1, 3);
    grid->addWidget(idLabel, 2, 0, 1, 2);
    grid->addWidget(idBox, 3, 0, 1, 2);
    grid->addWidget(continueButton, 2, 2, 2, 1);
    auto* emailRow = new QHBoxLayout;
    emailRow->addWidget(nameLabel);
    emailRow->addWidget(whyButton);
    emailRow->addStretch(1);
    grid->addLayout(emailRow, 4, 0, 1, 2);
    grid->addWidget(nameBox, 5, 0, 1, 2);
    grid->addWidget(bugLabel, 6, 0, 1, 3);
    grid->addWidget(bugBox, 7, 0, 1, 3);
    grid->setRowStretch(7, 1);
    grid->setColumnStretch(0, 1);
    setFixedSize(380, 340);

    setTabOrder(idBox, continueButton);
    setTabOrder(continueButton, whyButton);
    setTabOrder(whyButton, nameBox);
    setTabOrder(nameBox, bugBox);
    idBox->setFocus();

    connect(whyButton, &QPushButton::clicked, this, &frmBugReport::cmdWhyClick);
    connect(continueButton, &QPushButton::clicked, this, &frmBugReport::cmdContinueClick);
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - rect().center());
}

QString frmBugReport::BugReportAddress() {
    return QStringLiteral(NOTAVO_BUG_REPORT_ADDRESS);
}

void frmBugReport::cmdWhyClick() {
    seams.messageBox->show(this,
                           QStringLiteral("If you choose to supply your email, you will be listed "
                                          "in the credits as a bug reporter."),
                           QString());
    seams.messageBox->show(
        this, QStringLiteral("If you do not want to put your email, leave it blank or put None."),
        QString());
}

void frmBugReport::cmdContinueClick() {
    const QString url =
        bugReportUrl(BugReportAddress(), nameBox->text(), idBox->text(), bugBox->toPlainText());
    if (!seams.shell || !seams.shell->openUrl(url))
        seams.messageBox->show(this, QStringLiteral("Error: Bug send failed, please try again."),
                               QString(), QMessageBox::Ok, QMessageBox::Critical);
    close();
}
