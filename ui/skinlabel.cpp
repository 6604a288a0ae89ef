#include "skinlabel.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {
// Seven looks cover the status line: six pulsing greys and the light grey of
// a live link.
constexpr size_t kLooksKept = 7;
} // namespace

SkinLabel::SkinLabel(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void SkinLabel::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    QString shown = caption;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_shown = shown;
    dropLooks();
    update();
}

void SkinLabel::setForeColor(const QColor &color)
{
    if (color == m_fore)
        return;
    m_fore = color;
    update();
}

void SkinLabel::setBackColor(const QColor &color)
{
    if (color == m_back)
        return;
    m_back = color;
    update();
}

void SkinLabel::setOpaque(bool opaque)
{
    m_opaque = opaque;
    update();
}

void SkinLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    dropLooks();
    update();
}

void SkinLabel::setKeepsLooks(bool keeps)
{
    m_keepsLooks = keeps;
    dropLooks();
}

void SkinLabel::resizeEvent(QResizeEvent *) { dropLooks(); }

void SkinLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        dropLooks();
    QWidget::changeEvent(event);
}

void SkinLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_keepsLooks) {
        paintLabel(painter);
        return;
    }
    const qreal dpr = devicePixelRatioF();
    auto kept = std::find_if(m_looks.begin(), m_looks.end(), [&](const Look &look) {
        return look.fore == m_fore && look.back == m_back && look.opaque == m_opaque &&
               look.image.devicePixelRatio() == dpr;
    });
    if (kept == m_looks.end()) {
        if (m_looks.size() >= kLooksKept)
            m_looks.erase(m_looks.begin());
        QImage image(size() * dpr, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        // Points become the same pixels in the image as on the screen.
        image.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
        image.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
        image.fill(Qt::transparent);
        QPainter imagePainter(&image);
        paintLabel(imagePainter);
        imagePainter.end();
        m_looks.push_back({m_fore, m_back, m_opaque, std::move(image)});
        kept = m_looks.end() - 1;
    }
    painter.drawImage(QPoint(0, 0), kept->image);
}

void SkinLabel::paintLabel(QPainter &painter) const
{
    if (m_opaque)
        painter.fillRect(rect(), m_back);
    painter.setPen(m_fore);
    painter.setFont(font());
    // Lines break at CR and at blanks; the top lines show. A single word too
    // wide for the label shows its beginning, so a long speed entry still
    // shows its leading digits in a narrow right-aligned list.
    const QFontMetrics metrics(font());
    int y = 0;
    for (const QString &line : m_shown.split(QLatin1Char('\n'))) {
        if (y >= height())
            break;
        Qt::Alignment alignment = m_alignment;
        if (!line.contains(QLatin1Char(' ')) && metrics.horizontalAdvance(line) > width())
            alignment = Qt::AlignLeft;
        const int flags = int(alignment | Qt::AlignTop | Qt::TextWordWrap);
        const QRect area(0, y, width(), height() - y);
        QRect used;
        painter.drawText(area, flags, line, &used);
        y += line.isEmpty() ? metrics.lineSpacing() : used.height();
    }
}

void SkinLabel::mousePressEvent(QMouseEvent *event) { m_click.pressed(event); }

void SkinLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_click.released(event, this))
        emit clicked();
}

void SkinLabel::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    emit mouseMoved(event->buttons(), toTwips(event->position()));
}
