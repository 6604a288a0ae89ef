// The help window: a browser element filling the window.
#pragma once

#include <QWidget>

class SkinBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    SkinBrowser *WebBrowser1() const { return m_browser; }

signals:
    void closedByUser();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    SkinBrowser *m_browser = nullptr;
};
