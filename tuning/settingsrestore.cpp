#include "settingsrestore.h"

#include "link/commandsender.h"
#include "refusal.h"
#include "ui/sharedstate.h"

SettingsRestore::SettingsRestore(SharedState &state, CommandSender &sender, QObject *parent)
    : QObject(parent), m_shared(state), m_sender(sender)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kVerifyTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, &SettingsRestore::timedOut);
    // One command per turn of the event loop: a stop, a frame or a repaint
    // is handled between two commands.
    m_step.setSingleShot(true);
    m_step.setInterval(0);
    connect(&m_step, &QTimer::timeout, this, &SettingsRestore::sendNext);
    m_retry.setSingleShot(true);
    m_retry.setTimerType(Qt::PreciseTimer);
    connect(&m_retry, &QTimer::timeout, this, &SettingsRestore::sendNext);
}

QString SettingsRestore::stateName(State state)
{
    // In the order of the enum.
    static constexpr const char *kNames[] = {"idle",     "sending",    "verifying", "verified",
                                             "mismatch", "unverified", "cancelled"};
    return QString::fromLatin1(kNames[int(state)]);
}

int SettingsRestore::toSendCount() const
{
    int count = 0;
    for (const Item &item : m_items)
        count += item.toSend ? 1 : 0;
    return count;
}

bool SettingsRestore::start(const QList<zcore::SettingItem> &chosen,
                            const zcore::UnitSettings &present)
{
    if (isBusy())
        return false;
    const QList<zcore::SettingItem> held = zcore::settingItems(present);
    m_items.clear();
    for (const zcore::SettingItem &s : chosen) {
        Item item;
        item.setting = s;
        for (const zcore::SettingItem &h : held)
            if (h.code == s.code)
                item.toSend = h.value != s.value;
        m_items.append(item);
    }
    m_next = 0;
    m_sentCount = 0;
    m_retried = false;
    m_state = State::Sending;
    emit progressed(0, toSendCount());
    // The first command goes out from the event loop too: the caller's
    // gesture or request is answered first.
    m_step.start();
    return true;
}

bool SettingsRestore::cancel()
{
    if (m_state != State::Sending)
        return false;
    finish(State::Cancelled, kCancelled);
    return true;
}

void SettingsRestore::sendNext()
{
    if (m_state != State::Sending)
        return;
    while (m_next < m_items.size() && !m_items[m_next].toSend)
        ++m_next;
    if (m_next < m_items.size()) {
        Item &item = m_items[m_next];
        const auto result = m_sender.send(item.setting.code, item.setting.value);
        if (result == CommandSender::Result::Held ||
            (result == CommandSender::Result::Cut && !m_retried)) {
            // The unit is giving up a command cut short: this one goes out
            // whole once it has.
            if (result == CommandSender::Result::Cut) {
                m_retried = true;
                m_shared.statusMessage = refusal::kCut;
            }
            m_retry.start(m_sender.heldForMs() + 1);
            return;
        }
        if (result != CommandSender::Result::Sent) {
            // What did not go out cannot be proved; the rest is not sent.
            finish(State::Unverified, refusal::messageFor(result));
            return;
        }
        item.sent = true;
        m_retried = false;
        ++m_next;
        ++m_sentCount;
        emit progressed(m_sentCount, toSendCount());
        m_step.start();
        return;
    }
    m_skipFirst = m_sentCount > 0;
    m_counted = 0;
    m_state = State::Verifying;
    m_timeout.start();
    emit verifying();
}

void SettingsRestore::frameAccepted(const zcore::LiveFrame &frame)
{
    if (m_state != State::Verifying)
        return;
    if (m_skipFirst) {
        m_skipFirst = false;
        return;
    }
    ++m_counted;
    const QList<zcore::SettingItem> shown = zcore::settingItems(zcore::settingsOf(frame));
    bool all = true;
    for (Item &item : m_items) {
        for (const zcore::SettingItem &s : shown) {
            if (s.code == item.setting.code) {
                item.got = s.value;
                item.ok = s.value == item.setting.value;
            }
        }
        all = all && item.ok;
    }
    if (all)
        finish(State::Verified);
}

void SettingsRestore::timedOut()
{
    if (m_state != State::Verifying)
        return;
    finish(m_counted >= kLeastMismatchFrames ? State::Mismatch : State::Unverified);
}

void SettingsRestore::finish(State state, const QString &message)
{
    m_timeout.stop();
    m_step.stop();
    m_retry.stop();
    m_state = state;
    if (!message.isEmpty())
        m_shared.statusMessage = message;
    else
        m_shared.statusMessage = state == State::Verified ? kLoaded : kNotVerified;
    emit finished(state);
}
