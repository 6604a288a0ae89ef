#include "bandtuning.h"

#include "core/frame.h"
#include "core/hints.h"
#include "core/numbers.h"
#include "link/commandsender.h"
#include "refusal.h"
#include "ui/balloon.h"
#include "ui/mainwindow.h"
#include "ui/sharedstate.h"
#include "ui/skinlabel.h"
#include "ui/skintextbox.h"

namespace {

struct Band {
    double boxLeft;
    const char16_t *hint;
    double hintOffset;
};

// Bands 0-1500, 1500-2500, 2500-4000, 4000-8000 rpm; the index gives the
// command code (zcore::command::band).
constexpr Band kBands[] = {
    {7200, u"0-1500RPM Ayarı!", 7000},
    {8280, u"1500-2500RPM Ayarı!", 8000},
    {9240, u"2500-4000RPM Ayarı!", 9000},
    {10320, u"4000-8000RPM Ayarı!", 10000},
};
constexpr double kBoxTop = 3600;
const QString kSent = QStringLiteral("Lpg Tuning Level Setting!");

} // namespace

BandTuning::BandTuning(SharedState &state, MainWindow &window, CommandSender &sender,
                       QChar decimalPoint, QObject *parent)
    : QObject(parent), m_state(state), m_window(window), m_sender(sender),
      m_decimalPoint(decimalPoint)
{
    const auto &e = window.el();
    for (int band = 0; band < 4; ++band) {
        SkinLabel *label = e.bandLevels[size_t(band)];
        connect(label, &SkinLabel::clicked, this, [this, band] { bandClicked(band); });
        connect(label, &SkinLabel::mouseMoved, this,
                [this, band](Qt::MouseButtons, TwipsPoint at) { bandPointerMoved(band, at); });
    }
    connect(e.SetBox, &SkinTextBox::keyDown, this, &BandTuning::entryKeyDown);
}

void BandTuning::bandClicked(int band)
{
    const auto &e = m_window.el();
    e.SetBox->show();
    e.SetBox->setTop(kBoxTop);
    e.SetBox->setLeft(kBands[band].boxLeft);
    const double level = zcore::readLeadingNumber(e.bandLevels[size_t(band)]->caption());
    e.SetBox->setText(zcore::numberText(level, m_decimalPoint));
    e.SetBox->setFocus();
}

void BandTuning::entryKeyDown(int keyCode)
{
    if (keyCode != 13)
        return;
    SkinTextBox *box = m_window.el().SetBox;
    const double left = box->left();
    for (int band = 0; band < 4; ++band) {
        if (left != kBands[band].boxLeft)
            continue;
        const auto result =
            m_sender.send(zcore::command::band(band), zcore::readLeadingNumber(box->text()));
        if (result != CommandSender::Result::Sent) {
            // Nothing went out: the box stays open for a corrected value.
            m_state.statusMessage = refusal::messageFor(result);
            return;
        }
    }
    box->hide();
    m_state.statusMessage = kSent;
}

void BandTuning::bandPointerMoved(int band, TwipsPoint at)
{
    if (!zcore::inBandLabelHint(at.x, at.y))
        return;
    showBalloon(m_window.el().heyo, at.x + kBands[band].hintOffset, at.y + 3750,
                QString::fromUtf16(kBands[band].hint), 1700);
}
