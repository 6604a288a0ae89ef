#include "skinlabel.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStringTokenizer>

#include <algorithm>
#include <cmath>

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
    dropLayouts();
    update();
}

void SkinLabel::setKeepsLooks(bool keeps)
{
    m_keepsLooks = keeps;
    dropLooks();
}

void SkinLabel::resizeEvent(QResizeEvent *) { dropLayouts(); }

void SkinLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        dropLayouts();
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

void SkinLabel::paintLabel(QPainter &painter)
{
    if (m_opaque)
        painter.fillRect(rect(), m_back);
    painter.setPen(m_fore);
    // Lines break at CR and at blanks; the top lines show.
    QHash<QString, std::shared_ptr<const LaidOutLine>> painted;
    int y = 0;
    // Lines are taken one at a time: a speed list holds 50, of which 6 show.
    for (const QStringView view : qTokenize(m_shown, u'\n')) {
        if (y >= height())
            break;
        const QString line = view.toString();
        std::shared_ptr<const LaidOutLine> laid = m_laidOut.value(line);
        if (!laid)
            laid = layOut(line);
        painted.insert(line, laid);
        for (int i = 0; i < laid->layout.lineCount(); ++i)
            laid->layout.lineAt(i).draw(&painter, QPointF(laid->offsets[size_t(i)], y));
        y += laid->height;
    }
    m_laidOut = std::move(painted);
}

std::shared_ptr<const SkinLabel::LaidOutLine> SkinLabel::layOut(const QString &line) const
{
    // Laid out the way QPainter::drawText lays out a word-wrapped line at the
    // top of a rectangle: wrapped lines on whole pixels, a line's leading
    // between them, each wrapped line aligned on its own.
    auto laid = std::make_shared<LaidOutLine>();
    const QFontMetrics metrics(font(), this);
    if (line.isEmpty()) {
        laid->height = metrics.lineSpacing();
        return laid;
    }
    QTextLayout &layout = laid->layout;
    layout.setText(line);
    layout.setFont(font());
    layout.setCacheEnabled(true); // keep the shaped glyphs for later paints
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    const qreal leading = metrics.leading();
    qreal top = -leading;
    qreal widest = 0;
    layout.beginLayout();
    for (QTextLine wrapped = layout.createLine(); wrapped.isValid();
         wrapped = layout.createLine()) {
        wrapped.setLineWidth(width());
        top = std::ceil(top + leading);
        wrapped.setPosition(QPointF(0, top));
        top += wrapped.ascent() + wrapped.descent();
        widest = std::max(widest, wrapped.naturalTextWidth());
    }
    layout.endLayout();
    laid->height = int(std::ceil(top));
    // A single word too wide for the label shows its beginning, so a long
    // speed entry still shows its leading digits in a narrow right-aligned list.
    Qt::Alignment alignment = m_alignment;
    if (!line.contains(QLatin1Char(' ')) && widest > width())
        alignment = Qt::AlignLeft;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const qreal advance = layout.lineAt(i).horizontalAdvance();
        qreal offset = 0;
        if (alignment & Qt::AlignRight)
            offset = width() - advance;
        else if (alignment & Qt::AlignHCenter)
            offset = (width() - advance) / 2;
        laid->offsets.push_back(offset);
    }
    return laid;
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
