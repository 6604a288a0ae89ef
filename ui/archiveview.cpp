#include "archiveview.h"

#include <QStringDecoder>

ArchiveView::ArchiveView(zcore::MimeArchive archive, QWidget *parent)
    : QTextBrowser(parent), m_archive(std::move(archive))
{
    setOpenExternalLinks(false);
    setOpenLinks(false);
    setFrameShape(QFrame::NoFrame);
    // Links inside the page (its table of contents) scroll to their place;
    // the archive holds nothing else to go to.
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &url) {
        if (url.hasFragment())
            scrollToAnchor(url.fragment());
    });
    const zcore::MimePart &page = m_archive.parts[m_archive.root];
    const QByteArray charset = page.charset.isEmpty() ? QByteArray("utf-8") : page.charset;
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    setHtml(decoder.decode(page.body));
}

QVariant ArchiveView::loadResource(int type, const QUrl &name)
{
    for (const QByteArray &link : {name.toString().toUtf8(), name.toEncoded()}) {
        if (const zcore::MimePart *part = m_archive.find(link))
            return part->body;
    }
    return QTextBrowser::loadResource(type, name);
}
