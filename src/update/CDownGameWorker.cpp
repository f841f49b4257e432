#include "update/CDownGameWorker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/ProgramPaths.h"
#include "platform/PlatformFolders.h"
#include "update/HttpGetToFile.h"
#include "update/HttpTransfer.h"
#include "update/PendingDeletions.h"
#include "update/UpdateCheck.h"

namespace {

const char *const kFailedTitle = "下载失败";
const char *const kFinishedTitle = "下载完成";
// The installer's own folder in the temporary folder, made fresh for each download.
constexpr char kInstallerFolderPrefix[] = "fenlow-game-";

QString NewInstallerPath(const QString &tempFolder, const QString &gameName)
{
    const QString folder = PlatformFolders::NewPrivateFolder(tempFolder, QLatin1String(kInstallerFolderPrefix));
    return folder.isEmpty() ? QString() : GameInstallerPath(folder, gameName);
}

} // namespace

CDownGameWorker::CDownGameWorker(const QString &gameName, const GameDownloadPlaces &places)
    : m_gameName(gameName)
    , m_places(places)
    , m_installerPath(NewInstallerPath(places.tempFolder, gameName))
    , m_transfer(std::make_unique<HttpTransfer>())
{
}

CDownGameWorker::~CDownGameWorker()
{
    // Nothing is left of a download that did not start its installer.
    if (!m_installerPath.isEmpty())
        QDir().rmdir(QFileInfo(m_installerPath).path());
}

void CDownGameWorker::Cancel()
{
    m_transfer->Cancel();
}

void CDownGameWorker::Run()
{
    const std::optional<UpdateDescriptor> descriptor = FetchDescriptor();
    if (!descriptor) {
        if (!m_transfer->IsCancelled()) {
            emit titleChanged(QString::fromUtf8(kFailedTitle));
            emit finished();
        }
        return;
    }
    const bool installed = FetchInstaller(*descriptor);
    if (m_transfer->IsCancelled())
        return;
    emit titleChanged(QString::fromUtf8(installed ? kFinishedTitle : kFailedTitle));
    emit finished();
}

std::optional<UpdateDescriptor> CDownGameWorker::FetchDescriptor()
{
    if (m_places.descriptorFolder.isEmpty() || m_installerPath.isEmpty())
        return std::nullopt;
    const QString descriptor = m_places.descriptorFolder + QLatin1Char('/') + m_gameName + QStringLiteral(".ini");
    HttpGetOptions options;
    options.maxBytes = kMaxDescriptorBytes;
    options.transfer = m_transfer.get();
    const bool fetched =
        HttpGetToFile(GameDescriptorAddress(m_places.updateDescriptorAddress, m_gameName), descriptor, options);
    const std::optional<UpdateDescriptor> read =
        fetched ? UpdateDescriptor::Read(descriptor, m_gameName, m_places.key) : std::nullopt;
    QFile::remove(descriptor);
    return read;
}

bool CDownGameWorker::FetchInstaller(const UpdateDescriptor &descriptor)
{
    HttpGetOptions options;
    options.requiredOrigin = m_places.downloadOrigin;
    options.exclusive = true;
    options.transfer = m_transfer.get();
    options.progress = [this](int percent) { emit progressChanged(percent); };
    const bool fetched = HttpGetToFile(descriptor.address, m_installerPath, options) && !m_transfer->IsCancelled();
    if (!fetched || (descriptor.signedByPlatform && !IsDescribedFile(m_installerPath, descriptor))) {
        QFile::remove(m_installerPath);
        return false;
    }
    // A downloaded file cannot be run until it may be executed.
    QFile installer(m_installerPath);
    installer.setPermissions(installer.permissions() | QFile::ExeOwner | QFile::ExeUser);
    LaunchProgram(m_installerPath);
    // The started installer still reads its file: it and its folder go at the next start.
    PendingDeletions::Schedule(m_installerPath);
    PendingDeletions::Schedule(QFileInfo(m_installerPath).path());
    return true;
}
