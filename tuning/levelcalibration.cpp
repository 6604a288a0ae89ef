#include "levelcalibration.h"

#include "core/frame.h"
#include "core/numbers.h"
#include "link/commandsender.h"
#include "refusal.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"
#include "ui/skinlabel.h"

namespace {
const QColor kArmed(0xFF, 0x80, 0x80);
const QColor kIdle(0xFF, 0xFF, 0xFF);

// The message after sending each point, full to empty.
const char16_t *const kMessages[] = {u"Dolu Depo Ayarı!", u"3/4 Level Sensor Setting!",
                                     u"2/4 Depo Ayarı!", u"1/4 Depo Ayarı!", u"Boş Depo Ayarı!"};
} // namespace

LevelCalibration::LevelCalibration(SharedState &state, MainWindow &window, CommandSender &sender,
                                   QObject *parent)
    : QObject(parent), m_state(state), m_window(window), m_sender(sender)
{
    const auto &e = window.el();
    for (int point = 1; point <= 5; ++point)
        connect(e.levelPoints[size_t(point - 1)], &SkinLabel::clicked, this,
                [this, point] { pointClicked(point); });
}

void LevelCalibration::pointClicked(int point)
{
    const auto &e = m_window.el();
    SkinLabel *label = e.levelPoints[size_t(point - 1)];
    if (m_state.levelCalibStep != point) {
        label->setBackColor(kArmed);
        m_state.levelCalibStep = point;
        return;
    }
    const double value = zcore::readLeadingNumber(label->caption());
    const auto result = m_sender.send(zcore::command::levelPoint(point - 1), value);
    if (result != CommandSender::Result::Sent) {
        // Nothing went out: the point stays armed for another try.
        m_state.statusMessage = refusal::messageFor(result);
        return;
    }
    m_state.levelCalibStep = 0;
    label->setBackColor(kIdle);
    m_state.statusMessage = QString::fromUtf16(kMessages[point - 1]);
}
