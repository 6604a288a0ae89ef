#include "skinbrowser.h"

#include "archiveview.h"
#include "artwork.h"
#include "bandedpaint.h"
#include "core/mimearchive.h"

#include <QFile>
#include <QMovie>
#include <QPainter>

namespace {
// A help archive is a few hundred kilobytes; anything far larger is not one.
constexpr qint64 kLargestDocument = 32 * 1024 * 1024;
} // namespace

SkinBrowser::SkinBrowser(QWidget *parent) : QWidget(parent) {}

void SkinBrowser::clear()
{
    if (m_movie) {
        m_movie->stop();
        m_movie->deleteLater();
        m_movie = nullptr;
    }
    if (m_page) {
        m_page->deleteLater();
        m_page = nullptr;
    }
}

void SkinBrowser::navigate(const QString &path)
{
    m_document = path;
    ++m_navigations;
    clear();
    m_showing = m_still.isEmpty() ? Showing::CannotShow : Showing::Still;

    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.size() <= kLargestDocument) {
        auto *movie = new QMovie(path, QByteArray(), this);
        if (movie->isValid()) {
            m_movie = movie;
            // Frames are decoded once; a hidden panel wakes nothing.
            m_movie->setCacheMode(QMovie::CacheAll);
            connect(m_movie, &QMovie::frameChanged, this, [this] { update(); });
            m_movie->start();
            m_movie->setPaused(!isVisible());
            m_showing = Showing::Animation;
        } else {
            delete movie;
            zcore::MimeArchive archive = zcore::readMimeArchive(file.readAll());
            if (archive.ok && archive.parts[archive.root].contentType == "text/html") {
                m_page = new ArchiveView(std::move(archive), this);
                m_page->setGeometry(rect());
                m_page->show();
                m_showing = Showing::Page;
            }
        }
    }
    update();
}

void SkinBrowser::showEvent(QShowEvent *)
{
    if (m_movie)
        m_movie->setPaused(false);
}

void SkinBrowser::hideEvent(QHideEvent *)
{
    if (m_movie)
        m_movie->setPaused(true);
}

void SkinBrowser::resizeEvent(QResizeEvent *)
{
    if (m_page)
        m_page->setGeometry(rect());
}

void SkinBrowser::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    switch (m_showing) {
    case Showing::Animation:
        banded::drawPixmap(painter, rect(), m_movie->currentPixmap(), QPoint(0, 0));
        return;
    case Showing::Still:
        painter.drawPixmap(0, 0, renderArtwork(m_still, size(), devicePixelRatioF()));
        return;
    case Showing::CannotShow:
        painter.fillRect(rect(), Qt::white);
        painter.setPen(QColor(0x40, 0x40, 0x40));
        painter.drawText(rect().adjusted(16, 16, -16, -16),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                         tr("This page cannot be displayed.\n\nThe file %1 could not be opened "
                            "or is not a document this viewer can show.")
                             .arg(m_document));
        return;
    case Showing::Page:
    case Showing::Nothing:
        break;
    }
}
