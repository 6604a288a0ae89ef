#include "fuelcontrol.h"

#include "core/decode.h"
#include "core/frame.h"
#include "refusal.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"
#include "ui/skinpicture.h"

FuelControl::FuelControl(SharedState &state, MainWindow &window, CommandSender &sender,
                         QObject *parent)
    : QObject(parent), m_state(state), m_window(window), m_sender(sender)
{
    const auto &e = window.el();
    struct Face {
        SkinPicture *clicked;
        SkinPicture *other;
        const char16_t *message;
    };
    // The number in a message is the row's place on the screen.
    const Face faces[] = {
        {e.petrol, e.Lpg, u"Benzin Kapalı Gaz Acık Konumda!"},
        {e.Lpg, e.petrol, u"Gaz Kapalı Benzin Acık Konumda!"},
        {e.silindir1, e.silin1, u"2 Sıra Gazda!"},
        {e.silindir2, e.silin2, u"1 Sıra Gazda!"},
        {e.silindir3, e.silin3, u"3 Sıra Gazda!"},
        {e.silindir4, e.silin4, u"4 Sıra Gazda!"},
        {e.silin1, e.silindir1, u"2 Sıra Gaz Kapalı!"},
        {e.silin2, e.silindir2, u"1 Sıra Gaz Kapalı!"},
        {e.silin3, e.silindir3, u"3 Sıra Gaz Kapalı!"},
        {e.silin4, e.silindir4, u"4 Sıra Gaz Kapalı!"},
    };
    for (const Face &f : faces) {
        const QString message = QString::fromUtf16(f.message);
        connect(f.clicked, &SkinPicture::doubleClicked, this,
                [this, f, message] { faceDoubleClicked(f.clicked, f.other, message); });
    }
}

int FuelControl::maskFromFaces() const
{
    const auto &e = m_window.el();
    zcore::MaskFaces faces;
    faces.bit2 = !e.silin4->isHidden();
    faces.bit3 = !e.silin3->isHidden();
    faces.bit4 = !e.silin2->isHidden();
    faces.bit5 = !e.silin1->isHidden();
    faces.petrol = e.Lpg->isHidden();
    return zcore::maskOf(faces);
}

CommandSender::Result FuelControl::sendMask()
{
    return m_sender.send(zcore::command::kMask, maskFromFaces());
}

void FuelControl::faceDoubleClicked(SkinPicture *clicked, SkinPicture *other,
                                    const QString &message)
{
    // Nothing changes on the window when the command cannot go out (a mask
    // is always a byte, so only a closed port or a held line stops it).
    if (const auto refused = m_sender.refusal(zcore::command::kMask, 0)) {
        m_state.statusMessage = refusal::messageFor(*refused);
        return;
    }
    other->show();
    clicked->hide();
    const auto result = sendMask();
    m_state.statusMessage =
        result == CommandSender::Result::Sent ? message : refusal::messageFor(result);
}
