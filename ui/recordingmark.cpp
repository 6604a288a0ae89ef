#include "recordingmark.h"

#include <QPainter>

namespace {
// Pixels of the main window's client area: the free part of the bottom
// strip, left of the help plate.
const QRect kPlace(606, 581, 72, 16);
} // namespace

RecordingMark::RecordingMark(QWidget *window) : QWidget(window)
{
    setGeometry(kPlace);
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    hide();
}

void RecordingMark::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1A, 0x1F, 0x26));
    p.drawRoundedRect(rect(), 7, 7);
    p.setBrush(QColor(0xE0, 0x20, 0x20));
    p.drawEllipse(QRectF(4, 3, 10, 10));
    QFont f = font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0xF0, 0xF0, 0xF0));
    p.drawText(rect().adjusted(18, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, tr("KAYIT"));
}
