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
    m_text1 = new SkinTextBox(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setTwipsGeometry(240, 120, 1095, 735);
    m_text1->setFont(skinFont(QStringLiteral("MS Sans Serif"), 24));
    m_text1->setAlignment(Qt::AlignHCenter);
    m_text1->setText(QStringLiteral("Text1"));

    m_label1 = new SkinLabel(this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setTwipsGeometry(120, 960, 1335, 255);
    m_label1->setFont(skinFont(QStringLiteral("MS Sans Serif"), 8.25));
    m_label1->setForeColor(QGuiApplication::palette().color(QPalette::WindowText));
    m_label1->setBackColor(QGuiApplication::palette().color(QPalette::Base));
    m_label1->setAlignment(Qt::AlignHCenter);
    m_label1->setCaption(QStringLiteral("ComPort Number"));

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void ComPortWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closedByUser();
}
