#include "dialogs/frmHelp.h"

#include "basics/Twips.h"
#include "dialogs/HelpTopics.h"
#include "dialogs/ProgramIcon.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

frmHelp::frmHelp(QWidget* owner) : QWidget(owner) {
    setObjectName(QStringLiteral("frmHelp"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Notavo Help Topics"));
    setWindowIcon(programIcon(32));
    setFixedSize(twips(6405), twips(1890));

    list = new QListWidget(this);
    list->setObjectName(QStringLiteral("hlpList"));
    list->setGeometry(twips(120), twips(120), twips(2895), twips(1035));
    for (const HelpTopic& topic : helpTopics())
        list->addItem(QLatin1String(topic.name));
    list->setCurrentRow(-1);

    viewButton = new QPushButton(QStringLiteral("View Selected Topic"), this);
    viewButton->setObjectName(QStringLiteral("hlpViewTopic"));
    viewButton->setGeometry(twips(120), twips(1275), twips(2895), twips(495));
    connect(viewButton, &QPushButton::clicked, this, &frmHelp::hlpViewTopicClick);

    topicText = new QLabel(QStringLiteral("Choose a topic"), this);
    topicText->setObjectName(QStringLiteral("hlpTxt"));
    topicText->setGeometry(twips(3270), twips(37), twips(3015), twips(1815));
    topicText->setWordWrap(true);
    topicText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    topicText->setFont(font);

    setTabOrder(list, viewButton);
    list->setFocus();
    if (owner)
        move(owner->geometry().center() - rect().center());
}

void frmHelp::hlpViewTopicClick() {
    const int position = list->currentRow();
    if (position >= 0 && position < int(helpTopics().size()) && list->currentItem() &&
        list->currentItem()->isSelected())
        topicText->setText(QLatin1String(helpTopics()[std::size_t(position)].text));
}
