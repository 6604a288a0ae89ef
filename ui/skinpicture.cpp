#include "skinpicture.h"

#include "artwork.h"

#include <QMouseEvent>
#include <QPainter>

SkinPicture::SkinPicture(const QString &artwork, QWidget *parent)
    : QWidget(parent), m_artwork(artwork)
{
    setMouseTracking(true);
}

void SkinPicture::paintEvent(QPaintEvent *)
{
    const qreal dpr = devicePixelRatioF();
    if (m_pixmap.isNull() || m_pixmap.size() != size() * dpr)
        m_pixmap = renderArtwork(m_artwork, size(), dpr);
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
}

void SkinPicture::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    m_pressed = event->button() == Qt::LeftButton;
}

void SkinPicture::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    const bool wasPressed = m_pressed;
    m_pressed = false;
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        emit clicked();
}

void SkinPicture::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

void SkinPicture::mouseMoveEvent(QMouseEvent *event)
{
    // A picture covers the background: movement over it is its own.
    event->accept();
}
