#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

// The help window: a list of five topics, and the chosen topic's text beside it once
// "View Selected Topic" is pressed. Closing it discards it.
class frmHelp : public QWidget {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* owner = nullptr);

    QListWidget* hlpList() const { return list; }
    QPushButton* hlpViewTopic() const { return viewButton; }
    QLabel* hlpTxt() const { return topicText; }

private:
    void hlpViewTopicClick();

    QListWidget* list = nullptr;
    QPushButton* viewButton = nullptr;
    QLabel* topicText = nullptr;
};
