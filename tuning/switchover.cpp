#include "switchover.h"

#include "core/decode.h"
#include "core/frame.h"
#include "core/hints.h"
#include "core/numbers.h"
#include "link/commandsender.h"
#include "refusal.h"
#include "ui/balloon.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"
#include "ui/skinlabel.h"
#include "ui/skinpicture.h"
#include "ui/skintextbox.h"

namespace {
constexpr int kCommand = zcore::command::kSwitchOver;
const QString kSent = QStringLiteral("Isı Ayarı Yapıldı!");
const QString kHint = QStringLiteral("Click to Mouse Button!");
} // namespace

SwitchOver::SwitchOver(SharedState &state, MainWindow &window, CommandSender &sender,
                       QChar decimalPoint, QObject *parent)
    : QObject(parent), m_state(state), m_window(window), m_sender(sender),
      m_decimalPoint(decimalPoint)
{
    const auto &e = window.el();
    connect(e.Setterm, &SkinLabel::clicked, this, &SwitchOver::labelClicked);
    connect(e.Setterm, &SkinLabel::mouseMoved, this,
            [this](Qt::MouseButtons, TwipsPoint at) { labelPointerMoved(at); });
    connect(e.settermm, &SkinTextBox::keyDown, this, &SwitchOver::entryKeyDown);
    connect(e.TA, &SkinPicture::clicked, this, [this] { step(+1); });
    connect(e.TE, &SkinPicture::clicked, this, [this] { step(-1); });
}

void SwitchOver::labelClicked()
{
    SkinTextBox *box = m_window.el().settermm;
    box->show();
    box->setText(QStringLiteral("0"));
}

void SwitchOver::entryKeyDown(int keyCode)
{
    if (keyCode != 13)
        return;
    SkinTextBox *box = m_window.el().settermm;
    // The point is the decimal separator of a typed temperature on every
    // desktop, as for every other number typed into the window.
    const auto degrees = zcore::parseWholeText(box->text());
    if (!degrees) {
        // Not a number: refused, nothing sent, the box stays for a correction.
        m_state.statusMessage = refusal::kNotANumber;
        return;
    }
    const auto result = m_sender.send(kCommand, zcore::byteFromDegrees(*degrees));
    if (result != CommandSender::Result::Sent) {
        m_state.statusMessage = refusal::messageFor(result);
        return;
    }
    box->hide();
    m_state.statusMessage = kSent;
}

void SwitchOver::step(int degrees)
{
    const auto &e = m_window.el();
    const QChar point = m_decimalPoint;
    const double stepped = zcore::readLeadingNumber(e.Setterm->caption()) + degrees;
    // A step that cannot be sent is refused before anything changes.
    if (const auto refused = m_sender.refusal(kCommand, zcore::byteFromDegrees(stepped))) {
        m_state.statusMessage = refusal::messageFor(*refused);
        return;
    }
    e.Setterm->setCaption(zcore::numberText(stepped, point));
    const double shown = zcore::readLeadingNumber(e.Setterm->caption());
    const auto result = m_sender.send(kCommand, zcore::byteFromDegrees(shown));
    if (result != CommandSender::Result::Sent)
        m_state.statusMessage = refusal::messageFor(result);
    e.settermm->hide();
}

void SwitchOver::labelPointerMoved(TwipsPoint at)
{
    if (!zcore::inSwitchOverHint(at.x, at.y))
        return;
    showBalloon(m_window.el().heyo, at.x + 3000, at.y + 3350, kHint, 1700);
}
