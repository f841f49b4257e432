#include "web/PageDownloads.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include "skin/CMessageBox.h"
#include "web/CPageDownloadDlg.h"
#include "web/PageOpenRules.h"

namespace {

Q_LOGGING_CATEGORY(lcDownload, "fenlow.page.download", QtInfoMsg)

const char *const kUnwritableCaption = "文件下载";
const char *const kUnwritableText = "下载文件夹无法写入，文件没有保存：\n%1";

// The engine writes a download under its name with this suffix until it is complete.
const char *const kPartSuffix = ".download";

constexpr QFile::Permissions kExecutable =
    QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther;

} // namespace

void PageDownloads::Watch(QWebEngineProfile *profile)
{
    new PageDownloads(profile);
}

QString PageDownloads::Folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
}

PageDownloads::PageDownloads(QWebEngineProfile *profile)
    : QObject(profile)
{
    connect(profile, &QWebEngineProfile::downloadRequested, this, &PageDownloads::handleRequest);
}

void PageDownloads::handleRequest(QWebEngineDownloadRequest *download)
{
    const QString folder = Folder();
    if (!PrepareDownloadFolder(folder)) {
        download->cancel();
        qCWarning(lcDownload, "download folder %s is not writable", qUtf8Printable(folder));
        // The engine asks from inside its own call; the message waits for the event loop.
        QTimer::singleShot(0, [folder] {
            ShowSkinnedMessage(MB_OK, QString::fromUtf8(kUnwritableCaption),
                               QString::fromUtf8(kUnwritableText).arg(QDir::toNativeSeparators(folder)));
        });
        return;
    }
    const QString name = UniqueDownloadName(CleanDownloadName(download->suggestedFileName()),
                                            [&](const QString &candidate) { return IsTaken(folder, candidate); });
    const QString target = QDir(folder).filePath(name);
    download->setDownloadDirectory(folder);
    download->setDownloadFileName(name);
    m_running.insert(target);
    connect(download, &QWebEngineDownloadRequest::stateChanged, this,
            [this, download, target] { handleState(download, target); });
    download->accept();
    auto *dialog = new CPageDownloadDlg(download, target);
    dialog->show();
}

void PageDownloads::handleState(QWebEngineDownloadRequest *download, const QString &target)
{
    switch (download->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        QFile::setPermissions(target, QFile::permissions(target) & ~kExecutable);
        qCInfo(lcDownload, "saved %s", qUtf8Printable(target));
        break;
    case QWebEngineDownloadRequest::DownloadInterrupted:
        qCWarning(lcDownload, "download of %s failed: %s", qUtf8Printable(target),
                  qUtf8Printable(download->interruptReasonString()));
        // Cancelling an interrupted download drops the part that arrived.
        download->cancel();
        return;
    case QWebEngineDownloadRequest::DownloadCancelled:
        // Both names were free when the download began: whatever is there now is its part
        // (the engine keeps the part of a download the disk had no room for).
        QFile::remove(target);
        QFile::remove(target + QLatin1String(kPartSuffix));
        break;
    default:
        return;
    }
    m_running.remove(target);
}

bool PageDownloads::IsTaken(const QString &folder, const QString &name) const
{
    const QString path = QDir(folder).filePath(name);
    return m_running.contains(path) || QFileInfo::exists(path) || QFileInfo::exists(path + QLatin1String(kPartSuffix));
}

bool PrepareDownloadFolder(const QString &folder)
{
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".fenlow-write-XXXXXX")));
    return probe.open();
}
