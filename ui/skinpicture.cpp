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

void SkinPicture::mousePressEvent(QMouseEvent *event) { m_click.pressed(event); }

void SkinPicture::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_click.released(event, this))
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
