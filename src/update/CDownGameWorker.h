#pragma once

#include <memory>
#include <optional>

#include <QObject>
#include <QString>

#include "update/GameDownload.h"
#include "update/UpdateDescriptor.h"

class HttpTransfer;

// The download dialog's worker: fetches the game's descriptor, then the installer it
// names (from the download host only), gives the installer execute permission and
// starts it. With a platform key the descriptor must be signed by it and the installer
// must be the file it describes (MD5, and SHA-256 when given); otherwise nothing starts.
// Runs on its own thread and touches no widget: it reports through signals, which the
// dialog receives queued. Cancel stops it at once, also while the server
// sends nothing; a partial installer is deleted.
class CDownGameWorker : public QObject
{
    Q_OBJECT
public:
    CDownGameWorker(const QString &gameName, const GameDownloadPlaces &places);
    ~CDownGameWorker() override;

    // The whole download; call on the worker thread.
    void Run();
    // Any thread.
    void Cancel();

    QString InstallerPath() const { return m_installerPath; }

signals:
    void titleChanged(const QString &title);
    void progressChanged(int percent);
    // The download ended, whether it succeeded or not (not after Cancel).
    void finished();

private:
    std::optional<UpdateDescriptor> FetchDescriptor();
    bool FetchInstaller(const UpdateDescriptor &descriptor);

    QString m_gameName;
    GameDownloadPlaces m_places;
    QString m_installerPath;
    std::unique_ptr<HttpTransfer> m_transfer;
};
