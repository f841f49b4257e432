#include "update/CDownGameDlg.h"

#include <QCloseEvent>
#include <QThread>

#include "skin/CBtnEx.h"
#include "skin/CImgProgress.h"
#include "skin/CStaticEx.h"
#include "skin/DialogUnits.h"
#include "skin/MessageBoxLayout.h"
#include "skin/ProgressDialogControls.h"
#include "skin/ProgressDialogLayout.h"
#include "update/CDownGameWorker.h"

namespace {

const char *const kDownloadingTitle = "游戏下载中...";
const char *const kStatusPlaceholder = "已加载 %100";

using namespace ProgressDialogLayout;
using namespace ProgressDialogControls;

// The template's 58 units cut "已加载  100%" at the skin's font size; the status line
// reaches to the progress bar's right end instead.
const QRect kStatusUnits(110, 28, 158, 10);
constexpr int kStatusFontSize = 16;

} // namespace

CDownGameDlg::CDownGameDlg(const QString &gameName, const GameDownloadPlaces &places, QWidget *parent)
    : CDlgEx(kTemplateId, parent)
    , m_gameName(gameName)
    , m_places(places)
{
    resize(DialogUnitsToPixels(kDialogUnits).size());
    createControls();
}

CDownGameDlg::~CDownGameDlg()
{
    stopWorker();
}

QString CDownGameDlg::InstallerPath() const
{
    return m_worker ? m_worker->InstallerPath() : QString();
}

bool CDownGameDlg::WorkerDone() const
{
    return !m_thread || m_thread->isFinished();
}

void CDownGameDlg::createControls()
{
    m_status = AddStatus(this, kStatusUnits, QString::fromUtf8(kStatusPlaceholder));
    m_progress = AddProgress(this);
    m_btnOk = AddButton(this, IDOK, kOkUnits, kOkText);
    m_btnCancel = AddButton(this, IDCANCEL, kCancelUnits, kCancelText);
    connect(m_btnOk, &CBtnEx::clicked, this, &CDownGameDlg::accept);
    connect(m_btnCancel, &CBtnEx::clicked, this, &CDownGameDlg::reject);
}

bool CDownGameDlg::OnInitDialog()
{
    CDlgEx::OnInitDialog();
    SetTitle(QString::fromUtf8(kDownloadingTitle));
    UseSmallDialogSkin();
    // The controls get their skin also when nothing is downloaded.
    SkinControls(m_status, kStatusFontSize, m_progress, {m_btnOk, m_btnCancel});
    if (m_gameName.isEmpty())
        return true;

    m_worker = std::make_unique<CDownGameWorker>(m_gameName, m_places);
    connect(m_worker.get(), &CDownGameWorker::titleChanged, this, &CDlgEx::SetTitle, Qt::QueuedConnection);
    connect(m_worker.get(), &CDownGameWorker::progressChanged, this, &CDownGameDlg::handleProgress,
            Qt::QueuedConnection);
    connect(m_worker.get(), &CDownGameWorker::finished, this, &CDownGameDlg::handleFinished, Qt::QueuedConnection);
    m_thread.reset(QThread::create([worker = m_worker.get()] { worker->Run(); }));
    m_thread->start();

    m_btnOk->setEnabled(false);
    m_status->SetText(QString());
    return true;
}

void CDownGameDlg::reject()
{
    stopWorker();
    CDlgEx::reject();
}

void CDownGameDlg::closeEvent(QCloseEvent *event)
{
    // While the download runs (OK disabled) only Cancel leaves the dialog.
    if (!m_btnOk->isEnabled()) {
        event->ignore();
        return;
    }
    CDlgEx::closeEvent(event);
}

void CDownGameDlg::handleProgress(int percent)
{
    m_progress->SetPos(percent);
    m_status->SetText(DownloadStatusText(percent));
}

void CDownGameDlg::handleFinished()
{
    m_btnOk->setEnabled(true);
    m_btnCancel->setEnabled(false);
}

void CDownGameDlg::stopWorker()
{
    if (!m_thread)
        return;
    m_worker->Cancel();
    m_thread->wait();
}
