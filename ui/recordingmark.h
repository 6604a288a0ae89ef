// The small red mark on the skin that says a recording runs; its tooltip
// names the file. It lies in the bottom strip, over no element.
#pragma once

#include <QWidget>

class RecordingMark : public QWidget {
    Q_OBJECT
public:
    explicit RecordingMark(QWidget *window);

protected:
    void paintEvent(QPaintEvent *event) override;
};
