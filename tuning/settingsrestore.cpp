#include "settingsrestore.h"

#include "link/commandsender.h"
#include "refusal.h"
#include "ui/sharedstate.h"

SettingsRestore::SettingsRestore(SharedState &state, CommandSender &sender, QObject *parent)
    : QObject(parent), m_shared(state), m_sender(sender)
{
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kVerifyTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        if (m_state == State::Verifying)
            finish(State::Unverified);
    });
}

QString SettingsRestore::stateName(State state)
{
    switch (state) {
    case State::Idle:
        return QStringLiteral("idle");
    case State::Sending:
        return QStringLiteral("sending");
    case State::Verifying:
        return QStringLiteral("verifying");
    case State::Verified:
        return QStringLiteral("verified");
    case State::Mismatch:
        return QStringLiteral("mismatch");
    case State::Unverified:
        return QStringLiteral("unverified");
    }
    return {};
}

void SettingsRestore::start(const QList<zcore::SettingItem> &settings)
{
    m_timeout.stop();
    m_items.clear();
    for (const zcore::SettingItem &s : settings) {
        Item item;
        item.setting = s;
        m_items.append(item);
    }
    m_next = 0;
    m_sinceLast.invalidate();
    m_state = State::Sending;
    emit progressed(0, m_items.size());
    // The first command goes out from the event loop too: the caller's
    // gesture or request is answered first.
    QTimer::singleShot(0, this, &SettingsRestore::sendNext);
}

void SettingsRestore::sendNext()
{
    if (m_state != State::Sending)
        return;
    if (m_next < m_items.size()) {
        Item &item = m_items[m_next];
        const auto result = m_sender.send(item.setting.code, item.setting.value);
        if (result != CommandSender::Result::Sent) {
            // What did not go out cannot be proved; the rest is not sent.
            finish(State::Unverified, refusal::messageFor(result));
            return;
        }
        item.sent = true;
        ++m_next;
        m_sinceLast.start();
        emit progressed(int(m_next), int(m_items.size()));
        QTimer::singleShot(0, this, &SettingsRestore::sendNext);
        return;
    }
    if (!m_sinceLast.isValid())
        m_sinceLast.start(); // nothing differed: any next frame proves it
    m_framesSinceLast = 0;
    m_state = State::Verifying;
    m_timeout.start();
}

void SettingsRestore::frameAccepted(const zcore::LiveFrame &frame)
{
    if (m_state != State::Verifying)
        return;
    const zcore::UnitSettings present = zcore::settingsOf(frame);
    const QList<zcore::SettingItem> shown = zcore::settingItems(present);
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
    ++m_framesSinceLast;
    if (all)
        finish(State::Verified);
    else if (m_framesSinceLast > 1 && m_sinceLast.elapsed() >= kSettleMs)
        finish(State::Mismatch);
}

void SettingsRestore::finish(State state, const QString &message)
{
    m_timeout.stop();
    m_state = state;
    if (!message.isEmpty())
        m_shared.statusMessage = message;
    else
        m_shared.statusMessage = state == State::Verified ? kLoaded : kNotVerified;
    emit finished(state);
}
