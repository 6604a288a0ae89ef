#include "livedisplay.h"

#include "core/decode.h"
#include "core/lines.h"
#include "core/numbers.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"

namespace {
const QColor kMarked(0x00, 0xA0, 0xA0);
const QColor kUnmarked(0x00, 0x46, 0x80);

// Shows one face of a pair and hides the other.
void showFace(SkinPicture *shown, SkinPicture *hidden)
{
    hidden->hide();
    shown->show();
}
} // namespace

LiveDisplay::LiveDisplay(SharedState &state, MainWindow &window, QChar decimalPoint,
                         QObject *parent)
    : QObject(parent), m_state(state), m_window(window), m_decimalPoint(decimalPoint)
{
}

void LiveDisplay::show(const QByteArray &payload)
{
    using namespace zcore;
    const auto &e = m_window.el();
    const QChar point = m_decimalPoint;
    const LiveFrame f = decodePayload(payload);

    const auto &lists = e.speedLists;
    for (size_t k = 0; k < 4; ++k)
        e.inTimes[k]->setCaption(timeCutToFour(f.inWord[k], point));
    for (size_t k = 0; k < 4; ++k)
        e.outTimes[k]->setCaption(timeCutToFour(f.outWord[k], point));

    std::array<double, 4> heads{};
    for (size_t k = 0; k < 4; ++k) {
        if (const auto entry = speedEntry(f.inWord[k], f.outWord[k], point))
            lists[k]->setCaption(zcore::prependLine(*entry, lists[k]->caption(), kSpeedLinesKept));
    }
    for (size_t k = 0; k < 4; ++k)
        heads[k] = listHead(lists[k]->caption());
    const EngineSpeed speed = engineSpeed(heads);
    for (size_t k = 0; k < 4; ++k)
        lists[k]->setForeColor(speed.marked[k] ? kMarked : kUnmarked);

    e.rpmB->setCaption(speed.value ? numberText(*speed.value, point) : QString());
    e.rpms->setCaption(e.rpmB->caption());
    if (powerHigh(speed.value))
        showFace(e.PowerH, e.powerL);
    else
        showFace(e.powerL, e.PowerH);

    for (size_t b = 0; b < 4; ++b)
        e.bandLevels[b]->setCaption(numberText(f.bands[b]));

    const MaskFaces faces = maskFaces(f.mask);
    if (faces.petrol)
        showFace(e.petrol, e.Lpg);
    else
        showFace(e.Lpg, e.petrol);
    faces.bit5 ? showFace(e.silin1, e.silindir1) : showFace(e.silindir1, e.silin1);
    faces.bit4 ? showFace(e.silin2, e.silindir2) : showFace(e.silindir2, e.silin2);
    faces.bit3 ? showFace(e.silin3, e.silindir3) : showFace(e.silindir3, e.silin3);
    faces.bit2 ? showFace(e.silin4, e.silindir4) : showFace(e.silindir4, e.silin4);

    e.Derece->setCaption(numberText(degreesFromByte(f.temperatureByte)));
    m_state.sensorLevel = f.sensor;
    if (m_state.levelCalibStep == 0) {
        for (size_t p = 0; p < 5; ++p)
            e.levelPoints[p]->setCaption(numberText(f.calibration[p]));
    }
    e.Setterm->setCaption(numberText(degreesFromByte(f.switchOverByte)));
}
