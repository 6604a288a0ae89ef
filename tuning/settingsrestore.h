// Puts saved settings back into the unit and proves they took: each setting
// to send goes out as one command through the same sender as the gestures
// (same bytes, same gaps, same refusals), one per turn of the event loop, so
// the window lives on between them; then the frames the unit sends are
// compared with what was sent.
//
// States: idle (none yet), sending, verifying, then verified (a frame
// accepted after the last command holds every value), mismatch (a frame
// accepted at least 500 ms after the last command still differs; the items
// say where) or unverified (no frame within 5 s after the last command, or
// a command that could not go out).
//
// The poll shows the oldest frame waiting at the port and then drops the
// rest, so the first frame accepted after the commands may have left the
// unit before them, however late it is read. Only a frame accepted after
// that first one (read from what arrived after the drop) can prove a
// mismatch.
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
    enum class State { Idle, Sending, Verifying, Verified, Mismatch, Unverified };
    static constexpr int kSettleMs = 500;
    static constexpr int kVerifyTimeoutMs = 5000;
    static inline const QString kLoaded = QStringLiteral("Ayarlar Yüklendi!");
    static inline const QString kNotVerified = QStringLiteral("Ayar Doğrulanamadı!");

    struct Item {
        zcore::SettingItem setting; // what is sent: code and value byte
        bool sent = false;
        std::optional<int> got; // the value the last compared frame held
        bool ok = false;
    };

    SettingsRestore(SharedState &state, CommandSender &sender, QObject *parent = nullptr);

    // Starts sending the settings given, in their order; a run still going
    // is given up. An empty list is verified at the next frame.
    void start(const QList<zcore::SettingItem> &settings);

    // A frame the poll cycle accepted.
    void frameAccepted(const zcore::LiveFrame &frame);

    State state() const { return m_state; }
    const QList<Item> &items() const { return m_items; }
    static QString stateName(State state);

signals:
    void progressed(int sent, int total);
    void finished(SettingsRestore::State state);

private:
    void sendNext();
    // message: for the message log; empty for the state's own.
    void finish(State state, const QString &message = {});

    SharedState &m_shared;
    CommandSender &m_sender;
    State m_state = State::Idle;
    QList<Item> m_items;
    qsizetype m_next = 0;
    QElapsedTimer m_sinceLast; // since the last command went out
    int m_framesSinceLast = 0;
    QTimer m_timeout;
};
