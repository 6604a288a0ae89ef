#include "assistantactions.h"

#include "core/plainfile.h"
#include "core/recording.h"
#include "filedialogs.h"
#include "link/commandsender.h"
#include "settingsactions.h"
#include "tuning/assistantwindow.h"
#include "ui/mainwindow.h"
#include "ui/windowplacement.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>

AssistantActions::AssistantActions(SettingsActions &settings, CommandSender &sender,
                                   MainWindow &main, ToolActions &actions, QObject *parent)
    : QObject(parent), m_settings(settings), m_sender(sender), m_main(main)
{
    actions.define(QStringLiteral("assistant-start"), [this](const QString &) { return start(); });
    actions.defineLater(QStringLiteral("assistant-open"),
                        [this](const QString &f, const ToolActions::Done &done) { open(f, done); });
    actions.define(QStringLiteral("assistant-apply"),
                   [this](const QString &) { return apply(true); });
    actions.define(QStringLiteral("assistant-reset"), [this](const QString &) { return reset(); });
    actions.addSeparator();
    // A person gets the window even with the port closed: recordings can
    // still be added; collecting starts when it is open.
    actions.addEntry(tr("Ayar Yardımcısı"), QKeySequence(Qt::CTRL | Qt::Key_T), [this] {
        m_active = m_sender.portOpen();
        showWindow();
        return ToolActions::Result{};
    });
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &AssistantActions::refresh);
}

AssistantActions::~AssistantActions()
{
    if (m_reader) {
        m_reader->wait();
        delete m_reader;
    }
}

void AssistantActions::frame(qint64 elapsedMs, const zcore::LiveFrame &frame)
{
    if (!m_active)
        return;
    m_session.take(m_live, elapsedMs, frame);
    scheduleRefresh();
}

QString AssistantActions::liveSkip() const
{
    return zcore::TuningSession::skipText(m_live.lastSkip());
}

ToolActions::Result AssistantActions::start()
{
    if (!m_sender.portOpen())
        return {false, tr("port kapalı")};
    m_active = true;
    showWindow();
    return {};
}

ToolActions::Result AssistantActions::reset()
{
    m_session.reset();
    m_live = zcore::TuningSession::Feed();
    refresh();
    return {};
}

ToolActions::Result AssistantActions::apply(bool script)
{
    const auto proposals = m_session.proposals();
    if (proposals.empty())
        return {false, tr("önerilen bir seviye yok")};
    return m_settings.proposeBands(proposals, !script);
}

void AssistantActions::open(const QString &file, const ToolActions::Done &done)
{
    if (m_reader) {
        done({false, tr("bir kayıt zaten okunuyor")});
        return;
    }
    QString path = file;
    if (path.isEmpty()) {
        QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        path = filedialogs::openFile(m_window ? static_cast<QWidget *>(m_window.get()) : &m_main,
                                     &m_main, tr("Kayıt Ekle"),
                                     documents + QStringLiteral("/Zendalite"),
                                     tr("Zendalite kayıtları (*.csv);;Tüm dosyalar (*)"));
        if (path.isEmpty()) {
            done({false, QString()}); // the person cancelled
            return;
        }
    }
    showWindow();
    m_readDone = done;
    m_readWhy.clear();
    m_readFrames.clear();
    m_reader = QThread::create([this, path] {
        m_readWhy = zcore::notAPlainFile(path);
        if (!m_readWhy.isEmpty())
            return;
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly)) {
            m_readWhy = tr("%1 okunamadı: %2").arg(path, in.errorString());
            return;
        }
        // Never more than a recording may be: a file may grow while it is
        // read.
        const QByteArray bytes = in.read(zcore::kLargestRecording + 1);
        if (bytes.size() > zcore::kLargestRecording) {
            m_readWhy = tr("%1 bir kayıt olamayacak kadar büyük").arg(path);
            return;
        }
        if (bytes.isEmpty() && in.error() != QFileDevice::NoError) {
            m_readWhy = tr("%1 okunamadı: %2").arg(path, in.errorString());
            return;
        }
        QString why;
        const auto recording = zcore::readRecording(bytes, &why);
        if (!recording) {
            m_readWhy = tr("%1: %2").arg(QFileInfo(path).fileName(), why);
            return;
        }
        for (const zcore::RecordRow &row : recording->rows)
            if (row.event == zcore::RecordEvent::Frame)
                m_readFrames.emplace_back(row.elapsedMs, zcore::decodePayload(row.payload));
    });
    connect(m_reader, &QThread::finished, this, &AssistantActions::readEnded);
    m_reader->start();
}

void AssistantActions::readEnded()
{
    m_reader->wait();
    delete std::exchange(m_reader, nullptr);
    if (m_readWhy.isEmpty()) {
        // Its own time line: a feed of its own.
        zcore::TuningSession::Feed feed;
        for (const auto &[ms, frame] : m_readFrames)
            m_session.take(feed, ms, frame);
    }
    m_readFrames.clear();
    m_readFrames.shrink_to_fit();
    refresh();
    if (const ToolActions::Done done = std::exchange(m_readDone, {}))
        done(m_readWhy.isEmpty() ? ToolActions::Result{} : ToolActions::Result{false, m_readWhy});
}

AssistantWindow &AssistantActions::ensureWindow()
{
    if (!m_window) {
        m_window = std::make_unique<AssistantWindow>();
        placement::placeBeside(m_window.get(), &m_main);
        connect(m_window.get(), &AssistantWindow::closed, this, [this] { m_active = false; });
        connect(m_window.get(), &AssistantWindow::resetRequested, this, [this] { reset(); });
        connect(m_window.get(), &AssistantWindow::applyRequested, this, [this] {
            const ToolActions::Result result = apply(false);
            if (!result.ok && !result.error.isEmpty())
                QMessageBox::warning(m_window.get(), tr("Ayar Yardımcısı"), result.error);
        });
        connect(m_window.get(), &AssistantWindow::addRecordingRequested, this, [this] {
            open(QString(), ToolActions::warnLater(m_window.get(), tr("Ayar Yardımcısı")));
        });
    }
    return *m_window;
}

void AssistantActions::showWindow()
{
    AssistantWindow &window = ensureWindow();
    refresh();
    window.show();
    window.raise();
    window.activateWindow();
}

void AssistantActions::scheduleRefresh()
{
    if (m_window && m_window->isVisible() && !m_refresh.isActive())
        m_refresh.start();
}

void AssistantActions::refresh()
{
    m_refresh.stop();
    if (!m_window)
        return;
    QElapsedTimer took;
    took.start();
    m_window->showSession(m_session, m_session.step(m_live), m_active, liveSkip());
    // Hours of samples make a redraw take milliseconds: the next waits 500
    // times as long, so that redrawing stays under 0.2 % of a core.
    m_refresh.setInterval(int(std::clamp<qint64>(took.elapsed() * 500, kRefreshMs, 60'000)));
}
