#include "update/CDownGameWorker.h"

#include <QFile>

#include "base/ProgramPaths.h"
#include "update/HttpGetToFile.h"
#include "update/HttpTransfer.h"
#include "update/PendingDeletions.h"
#include "update/UpdateCheck.h"

namespace {

const char *const kFailedTitle = "下载失败";
const char *const kFinishedTitle = "下载完成";

} // namespace

CDownGameWorker::CDownGameWorker(const QString &gameName, const GameDownloadPlaces &places)
    : m_gameName(gameName)
    , m_places(places)
    , m_installerPath(GameInstallerPath(places.tempFolder, gameName))
    , m_transfer(std::make_unique<HttpTransfer>())
{
}

CDownGameWorker::~CDownGameWorker() = default;

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
    // The started installer still reads its file: it goes at the next start.
    PendingDeletions::Schedule(m_installerPath);
    return true;
}
