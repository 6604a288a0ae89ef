#include "helpwindow.h"

#include "ui/skinbrowser.h"

#include <QCloseEvent>

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Help"));
    setFixedSize(687, 410); // 10305 x 6150 twips
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x00, 0x46, 0x80));
    setPalette(pal);
    setAutoFillBackground(true);
    m_el.WebBrowser1 = m_elements.add(QStringLiteral("WebBrowser1"), new SkinBrowser(this));
    m_el.WebBrowser1->setTwipsGeometry(0, 0, 10335, 6135);
}

void HelpWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closedByUser();
}
