#pragma once

#include <QByteArray>
#include <QProcess>
#include <QTemporaryDir>

// A private PulseAudio server for one test run: its own socket in a temporary folder, a
// null sink as the only output, nothing of the user's sound system touched. Programs
// started or sound opened after construction play into it (PULSE_SERVER is set), and
// Recording() hears what they play through the sink's monitor.
class PulseAudioServer
{
public:
    PulseAudioServer();
    ~PulseAudioServer();
    PulseAudioServer(const PulseAudioServer &) = delete;
    PulseAudioServer &operator=(const PulseAudioServer &) = delete;

    bool IsRunning() const { return m_running; }

    // Starts recording the sink's monitor (16-bit mono at 8000 Hz).
    bool StartRecording();
    // The loudness (root mean square of the samples, 0 to 32767) of the newest
    // `milliseconds` recorded; -1 while less than that has arrived since the last call to
    // Forget().
    double RecentRms(int milliseconds);
    // Drops what was recorded so far.
    void Forget();

private:
    bool Pactl(const QStringList &arguments);

    QTemporaryDir m_dir;
    QString m_server;
    QProcess m_daemon;
    QProcess m_recorder;
    QByteArray m_samples;
    bool m_running = false;
};
