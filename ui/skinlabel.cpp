#include "skinlabel.h"

#include <QMouseEvent>
#include <QPainter>

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
    update();
}

void SkinLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
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
