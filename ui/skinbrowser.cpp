#include "skinbrowser.h"

#include "artwork.h"

#include <QMovie>
#include <QPainter>

SkinBrowser::SkinBrowser(QWidget *parent) : QWidget(parent) {}

void SkinBrowser::navigate(const QString &path)
{
    m_document = path;
    ++m_navigations;
    if (m_movie) {
        m_movie->stop();
        m_movie->deleteLater();
        m_movie = nullptr;
    }
    auto *movie = new QMovie(path, QByteArray(), this);
    if (movie->isValid()) {
        m_movie = movie;
        connect(m_movie, &QMovie::frameChanged, this, [this] { update(); });
        m_movie->start();
    } else {
        delete movie;
    }
    update();
}

void SkinBrowser::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_movie) {
        painter.drawPixmap(rect(), m_movie->currentPixmap());
        return;
    }
    if (!m_still.isEmpty()) {
        painter.drawPixmap(0, 0, renderArtwork(m_still, size(), devicePixelRatioF()));
        return;
    }
    painter.fillRect(rect(), Qt::white);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawText(rect().adjusted(12, 12, -12, -12),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                     tr("This page cannot be displayed.\n\n%1").arg(m_document));
}
