#include "comportwindow.h"

#include "ui/skinfonts.h"
#include "ui/skinlabel.h"
#include "ui/skintextbox.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

ComPortWindow::ComPortWindow(QWidget *parent) : QWidget(parent, Qt::Dialog)
{
    setWindowTitle(QStringLiteral("Com"));
    setFixedSize(106, 88); // 1590 x 1320 twips
    SkinTextBox *text1 = m_el.Text1 =
        m_elements.add(QStringLiteral("Text1"), new SkinTextBox(this));
    text1->setTwipsGeometry(240, 120, 1095, 735);
    text1->setFont(skinFont(QStringLiteral("MS Sans Serif"), 24));
    text1->setAlignment(Qt::AlignHCenter);
    text1->setText(QStringLiteral("Text1"));

    SkinLabel *label1 = m_el.Label1 = m_elements.add(QStringLiteral("Label1"), new SkinLabel(this));
    label1->setTwipsGeometry(120, 960, 1335, 255);
    label1->setFont(skinFont(QStringLiteral("MS Sans Serif"), 8.25));
    label1->setForeColor(QGuiApplication::palette().color(QPalette::WindowText));
    label1->setBackColor(QGuiApplication::palette().color(QPalette::Base));
    label1->setAlignment(Qt::AlignHCenter);
    label1->setCaption(QStringLiteral("ComPort Number"));

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void ComPortWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closedByUser();
}
