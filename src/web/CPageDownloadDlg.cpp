#include "web/CPageDownloadDlg.h"

#include <QDir>
#include <QFileInfo>
#include <QWebEngineDownloadRequest>

#include "skin/CBtnEx.h"
#include "skin/CImgProgress.h"
#include "skin/CStaticEx.h"
#include "skin/DialogUnits.h"
#include "skin/MessageBoxLayout.h"
#include "skin/ProgressDialogControls.h"
#include "skin/ProgressDialogLayout.h"

namespace {

const char *const kReceivingStatus = "已下载 %1";
const char *const kSavedStatus = "已保存到 %1";
const char *const kFailedStatus = "下载失败，文件没有保存。";

using namespace ProgressDialogLayout;
using namespace ProgressDialogControls;

const QRect kStatusUnits(10, 28, 258, 10);
constexpr int kStatusFontSize = 14;
constexpr qint64 kBytesPerKb = 1024;
constexpr int kFullPercent = 100;

QString ReceivedText(qint64 received, qint64 total)
{
    if (total > 0)
        return QStringLiteral("%1%").arg(received * kFullPercent / total);
    return QStringLiteral("%1 KB").arg(received / kBytesPerKb);
}

} // namespace

CPageDownloadDlg::CPageDownloadDlg(QWebEngineDownloadRequest *download, const QString &target, QWidget *parent)
    : CDlgEx(0, parent)
    , m_download(download)
    , m_target(target)
{
    setAttribute(Qt::WA_DeleteOnClose);
    resize(DialogUnitsToPixels(kDialogUnits).size());
    createControls();
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, &CPageDownloadDlg::handleProgress);
    connect(download, &QWebEngineDownloadRequest::totalBytesChanged, this, &CPageDownloadDlg::handleProgress);
    connect(download, &QWebEngineDownloadRequest::stateChanged, this, &CPageDownloadDlg::handleState);
}

void CPageDownloadDlg::createControls()
{
    m_status = AddStatus(this, kStatusUnits, QString());
    m_progress = AddProgress(this);
    m_progress->SetRange(0, kFullPercent);
    m_button = AddButton(this, IDCANCEL, kCancelUnits, kCancelText);
    connect(m_button, &CBtnEx::clicked, this, &CPageDownloadDlg::reject);
}

bool CPageDownloadDlg::OnInitDialog()
{
    CDlgEx::OnInitDialog();
    SetTitle(QFileInfo(m_target).fileName());
    UseSmallDialogSkin();
    SkinControls(m_status, kStatusFontSize, m_progress, {m_button});
    handleProgress();
    handleState();
    return true;
}

void CPageDownloadDlg::reject()
{
    // Cancelling removes what arrived so far; the engine keeps no partial file.
    if (m_running && m_download)
        m_download->cancel();
    CDlgEx::reject();
}

void CPageDownloadDlg::handleProgress()
{
    if (!m_running || !m_download)
        return;
    const qint64 total = m_download->totalBytes();
    if (total > 0)
        m_progress->SetPos(static_cast<int>(m_download->receivedBytes() * kFullPercent / total));
    m_status->SetText(QString::fromUtf8(kReceivingStatus).arg(ReceivedText(m_download->receivedBytes(), total)));
}

void CPageDownloadDlg::handleState()
{
    if (!m_running || !m_download)
        return;
    switch (m_download->state()) {
    case QWebEngineDownloadRequest::DownloadCompleted:
        m_progress->SetPos(kFullPercent);
        finish(QString::fromUtf8(kSavedStatus).arg(QDir::toNativeSeparators(m_target)));
        return;
    case QWebEngineDownloadRequest::DownloadInterrupted:
    case QWebEngineDownloadRequest::DownloadCancelled:
        finish(QString::fromUtf8(kFailedStatus));
        return;
    default:
        return;
    }
}

void CPageDownloadDlg::finish(const QString &status)
{
    m_running = false;
    m_status->SetText(status);
    m_button->m_strText = QString::fromUtf8(kOkText);
    m_button->update();
}
