#include "update/CPrgsDlg.h"

#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QTimer>

#include "skin/CDlgEx.h"
#include "skin/CImgProgress.h"
#include "skin/DialogUnits.h"
#include "skin/MessageBoxLayout.h"
#include "skin/SkinImage.h"
#include "update/HttpGetToFile.h"
#include "update/HttpTransfer.h"

namespace {

const char *const kCaption = "版本更新中";
const QRect kDialogUnits(0, 0, 278, 51);
const QRect kProgressUnits(10, 13, 258, 12);
constexpr int kStartDelayMs = 1;

} // namespace

CPrgsDlg::CPrgsDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QString::fromUtf8(kCaption));
    setFixedSize(DialogUnitsToPixels(kDialogUnits).size());
    m_progress = new CImgProgress(this);
    m_progress->setGeometry(DialogUnitsToPixels(kProgressUnits));
    m_progress->SetImages(LoadSkinImage(SkinId::ProgressBack), LoadSkinImage(SkinId::ProgressFill));
}

CPrgsDlg::~CPrgsDlg()
{
    if (m_worker) {
        m_transfer->Cancel();
        m_worker->wait();
    }
}

void CPrgsDlg::SetDownload(const QString &address, const QString &target, const QString &requiredOrigin)
{
    m_address = address;
    m_target = target;
    m_requiredOrigin = requiredOrigin;
}

int CPrgsDlg::DoModal()
{
    m_progress->SetPos(0);
    RunWindowModal(this);
    QTimer::singleShot(0, this, [this] { activateWindow(); });
    return exec();
}

void CPrgsDlg::reject()
{
    // Nothing closes the dialog while the new executable is written.
    if (!m_downloading)
        QDialog::reject();
}

void CPrgsDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    if (!m_downloading) {
        m_downloading = true;
        QTimer::singleShot(kStartDelayMs, this, &CPrgsDlg::startDownload);
    }
}

void CPrgsDlg::startDownload()
{
    if (m_worker)
        m_worker->wait();
    HttpGetOptions options;
    options.requiredOrigin = m_requiredOrigin;
    m_transfer = std::make_unique<HttpTransfer>();
    options.transfer = m_transfer.get();
    options.progress = [this](int percent) {
        QMetaObject::invokeMethod(this, [this, percent] { m_progress->SetPos(percent); }, Qt::QueuedConnection);
    };
    m_worker.reset(QThread::create([this, options, address = m_address, target = m_target] {
        const bool ok = HttpGetToFile(address, target, options);
        QMetaObject::invokeMethod(this, [this, ok] { finishDownload(ok); }, Qt::QueuedConnection);
    }));
    m_worker->start();
}

void CPrgsDlg::finishDownload(bool ok)
{
    m_worker->wait();
    m_downloading = false;
    done(ok ? IDOK : IDCANCEL);
}
