#include "game/PulseAudioServer.h"

#include <cmath>


#include "support/Wait.h"

namespace {

constexpr int kRate = 8000;
constexpr int kStartTimeoutMs = 10000;
const char *const kSink = "fenlow_test_sink";

} // namespace

PulseAudioServer::PulseAudioServer()
{
    const QString socket = m_dir.filePath(QStringLiteral("native"));
    m_server = QStringLiteral("unix:") + socket;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_dir.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.path());
    environment.remove(QStringLiteral("DISPLAY"));
    m_daemon.setProcessEnvironment(environment);
    m_daemon.setProcessChannelMode(QProcess::MergedChannels);
    m_daemon.setStandardOutputFile(m_dir.filePath(QStringLiteral("daemon.log")));
    m_daemon.start(QStringLiteral("pulseaudio"),
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                    QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
                    QStringLiteral("--log-target=stderr"), QStringLiteral("-F"), QStringLiteral("/dev/null"),
                    QStringLiteral("-L"),
                    QStringLiteral("module-native-protocol-unix socket=%1 auth-anonymous=1").arg(socket),
                    QStringLiteral("-L"),
                    QStringLiteral("module-null-sink sink_name=%1 rate=44100 channels=2").arg(kSink)});
    if (!m_daemon.waitForStarted())
        return;
    m_running = TestWait::Until([this] { return Pactl({QStringLiteral("info")}); }, kStartTimeoutMs);
    if (m_running) {
        Pactl({QStringLiteral("set-default-sink"), QString::fromLatin1(kSink)});
        qputenv("PULSE_SERVER", m_server.toUtf8());
    }
}

PulseAudioServer::~PulseAudioServer()
{
    m_recorder.kill();
    m_recorder.waitForFinished(2000);
    if (m_running)
        Pactl({QStringLiteral("exit")});
    if (!m_daemon.waitForFinished(3000)) {
        m_daemon.kill();
        m_daemon.waitForFinished(2000);
    }
    qunsetenv("PULSE_SERVER");
}

bool PulseAudioServer::Pactl(const QStringList &arguments)
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), QStringList{QStringLiteral("--server=") + m_server} + arguments);
    return pactl.waitForFinished(3000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
}

bool PulseAudioServer::StartRecording()
{
    m_recorder.start(QStringLiteral("parec"),
                     {QStringLiteral("--server=") + m_server,
                      QStringLiteral("--device=%1.monitor").arg(QString::fromLatin1(kSink)), QStringLiteral("--raw"),
                      QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(kRate),
                      QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=20")});
    QObject::connect(&m_recorder, &QProcess::readyReadStandardOutput,
                     [this] { m_samples += m_recorder.readAllStandardOutput(); });
    return m_recorder.waitForStarted();
}

void PulseAudioServer::Forget()
{
    m_samples += m_recorder.readAllStandardOutput();
    m_samples.clear();
}

double PulseAudioServer::RecentRms(int milliseconds)
{
    m_samples += m_recorder.readAllStandardOutput();
    const qsizetype wanted = qsizetype(kRate) * milliseconds / 1000;
    const qsizetype available = m_samples.size() / 2;
    if (available < wanted)
        return -1;
    const auto *samples = reinterpret_cast<const qint16 *>(m_samples.constData()) + (available - wanted);
    double sum = 0;
    for (qsizetype i = 0; i < wanted; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(wanted));
}
