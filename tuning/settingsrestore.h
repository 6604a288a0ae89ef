// Puts saved settings back into the unit and proves they took: each setting
// to send goes out as one command through the same sender as the gestures
// (same bytes, same gaps, same refusals), one per turn of the event loop, so
// the window lives on between them; then the frames the unit sends are
// compared with every chosen setting, sent or not (a unit that reset
// meanwhile is caught).
//
// States: idle (none yet), sending, verifying, then verified (a counted
// frame holds every value), mismatch (frames were counted for 5 s after the
// last command and none held every value; the items say where, from the
// last one), unverified (fewer than two frames counted within those 5 s, or
// a command that could not go out) or cancelled (stopped while sending).
//
// The poll shows the oldest frame waiting at the port and then drops the
// rest, so the first frame accepted after the last command may have left
// the unit before it, however late it is read: it is not counted. One frame
// alone, torn or late, never makes a mismatch final.
//
// A command cut short (a write that failed after its first byte) is sent
// again whole once the sender's hold is over; a second cut ends the restore.
#pragma once

#include "core/decode.h"
#include "core/settingsfile.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <optional>

struct SharedState;
class CommandSender;

class SettingsRestore : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Sending, Verifying, Verified, Mismatch, Unverified, Cancelled };
    static constexpr int kVerifyTimeoutMs = 5000;
    // Counted frames that a mismatch needs at the least.
    static constexpr int kLeastMismatchFrames = 2;
    static inline const QString kLoaded = QStringLiteral("Ayarlar Yüklendi!");
    static inline const QString kNotVerified = QStringLiteral("Ayar Doğrulanamadı!");
    static inline const QString kCancelled = QStringLiteral("Ayar Yükleme Durduruldu!");

    struct Item {
        zcore::SettingItem setting; // the wanted value: code and value byte
        bool toSend = false;        // the unit held another value at the start
        bool sent = false;
        std::optional<int> got; // the value the last counted frame held
        bool ok = false;
    };

    SettingsRestore(SharedState &state, CommandSender &sender, QObject *parent = nullptr);

    // Starts a restore of the chosen settings: those that differ from the
    // unit's present ones are sent, in their order; all are verified.
    // Refused (false, nothing changes) while another restore is busy.
    bool start(const QList<zcore::SettingItem> &chosen, const zcore::UnitSettings &present);

    // Stops a restore that is sending: no further command goes out (the
    // one on its way, if any, is finished whole first, as a command always
    // is). False when none is sending.
    bool cancel();

    // A frame the poll cycle accepted.
    void frameAccepted(const zcore::LiveFrame &frame);

    State state() const { return m_state; }
    // Sending or verifying: a restore is under way.
    bool isBusy() const { return m_state == State::Sending || m_state == State::Verifying; }
    const QList<Item> &items() const { return m_items; }
    int toSendCount() const;
    static QString stateName(State state);

signals:
    void progressed(int sent, int total);
    void verifying(); // every command is out
    void finished(SettingsRestore::State state);

private:
    void sendNext();
    // message: for the message log; empty for the state's own.
    void finish(State state, const QString &message = {});
    void timedOut();

    SharedState &m_shared;
    CommandSender &m_sender;
    State m_state = State::Idle;
    QList<Item> m_items;
    qsizetype m_next = 0;     // the next item to look at while sending
    int m_sentCount = 0;      // commands that went out whole
    bool m_retried = false;   // the item at m_next was cut short once
    bool m_skipFirst = false; // the next frame may have left before the last command
    int m_counted = 0;        // frames compared since the last command
    QTimer m_timeout;
    QTimer m_step;  // the next command, at the next turn of the event loop
    QTimer m_retry; // a cut command, sent again once the hold is over
};
