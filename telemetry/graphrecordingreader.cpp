#include "graphrecordingreader.h"

#include "core/plainfile.h"
#include "core/recording.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

namespace {
// Of the way, in percent: the file read, then its rows checked, then the
// samples made.
constexpr int kReadShare = 10;
constexpr int kCheckShare = 75;
// The file is read in steps of this size, so that a stop is heard.
constexpr qint64 kReadStep = qint64(4) * 1024 * 1024;
} // namespace

GraphRecordingReader::GraphRecordingReader(QObject *parent) : QObject(parent) {}

GraphRecordingReader::~GraphRecordingReader()
{
    if (!m_thread)
        return;
    m_cancel = true;
    m_thread->disconnect(this);
    m_thread->wait();
    delete m_thread;
}

bool GraphRecordingReader::start(const QString &path)
{
    if (m_thread)
        return false;
    m_path = path;
    m_cancel = false;
    m_told = -1;
    m_result.reset();
    m_why.clear();
    m_thread = QThread::create([this] { run(); });
    connect(m_thread, &QThread::finished, this, &GraphRecordingReader::ended);
    m_thread->start();
    return true;
}

void GraphRecordingReader::cancel()
{
    if (m_thread)
        m_cancel = true;
}

void GraphRecordingReader::ended()
{
    m_thread->wait(); // it has returned from run(); its writes are seen from here on
    delete m_thread;
    m_thread = nullptr;
    // A stop wins over a read that ended at the same moment: the person
    // asked for nothing to change.
    const bool cancelled = m_cancel;
    if (cancelled)
        m_result.reset();
    emit finished(cancelled ? QString() : m_why, cancelled);
}

void GraphRecordingReader::tell(int percent)
{
    if (percent == m_told)
        return;
    m_told = percent;
    QMetaObject::invokeMethod(
        this, [this, percent] { emit progressed(percent); }, Qt::QueuedConnection);
}

void GraphRecordingReader::run()
{
    m_why = zcore::notAPlainFile(m_path);
    if (!m_why.isEmpty())
        return;
    QFile in(m_path);
    if (!in.open(QIODevice::ReadOnly)) {
        m_why = tr("%1 okunamadı: %2").arg(m_path, in.errorString());
        return;
    }
    // A recording is read whole; anything larger is not one this tool made.
    const QString tooLarge = tr("%1 bir kayıt olamayacak kadar büyük").arg(m_path);
    if (in.size() > zcore::kLargestRecording) {
        m_why = tooLarge;
        return;
    }
    QByteArray bytes;
    bytes.reserve(in.size());
    while (!in.atEnd()) {
        if (m_cancel)
            return;
        const QByteArray step = in.read(kReadStep);
        if (step.isEmpty()) {
            if (in.error() != QFileDevice::NoError) {
                m_why = tr("%1 okunamadı: %2").arg(m_path, in.errorString());
                return;
            }
            break;
        }
        bytes += step;
        if (bytes.size() > zcore::kLargestRecording) { // a file that grew meanwhile
            m_why = tooLarge;
            return;
        }
        if (in.size() > 0)
            tell(int(bytes.size() * kReadShare / in.size()));
    }
    in.close();
    tell(kReadShare);

    QString why;
    const auto recording =
        zcore::readRecording(bytes, &why, [this](qsizetype done, qsizetype total) {
            tell(kReadShare + int(done * kCheckShare / std::max<qsizetype>(total, 1)));
            return !m_cancel;
        });
    bytes = QByteArray(); // the rows hold what is needed now
    if (!recording) {
        if (!m_cancel)
            m_why = tr("%1 bir kayıt değil: %2").arg(QFileInfo(m_path).fileName(), why);
        return;
    }
    tell(kReadShare + kCheckShare);
    auto graph = graphRecording(*recording, [this](qsizetype done, qsizetype total) {
        tell(kReadShare + kCheckShare +
             int(done * (100 - kReadShare - kCheckShare) / std::max<qsizetype>(total, 1)));
        return !m_cancel;
    });
    if (graph)
        m_result = std::make_unique<GraphRecording>(std::move(*graph));
}
