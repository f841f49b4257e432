#pragma once

#include <memory>

#include <QString>

#include "skin/CDlgEx.h"
#include "update/GameDownload.h"

class CBtnEx;
class CDownGameWorker;
class CImgProgress;
class CStaticEx;
class QThread;

// The skinned dialog that downloads and starts another game's launcher: a status line,
// a progress bar, OK and Cancel. The download runs on a worker thread; Cancel (or
// Escape) ends the dialog at once and stops it; the caption's close button does nothing
// while it runs. A dialog for an empty game name downloads nothing.
class CDownGameDlg : public CDlgEx
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 158;
    static constexpr int kStatusId = 1026;
    static constexpr int kProgressId = 1024;

    CDownGameDlg(const QString &gameName, const GameDownloadPlaces &places, QWidget *parent = nullptr);
    ~CDownGameDlg() override;

    CBtnEx *OkButton() const { return m_btnOk; }
    CBtnEx *CancelButton() const { return m_btnCancel; }
    CImgProgress *Progress() const { return m_progress; }
    CStaticEx *Status() const { return m_status; }
    QString Title() const { return windowTitle(); }
    // The worker's installer file: game name + ".exe" in a fresh folder of this user
    // alone in the temporary folder; empty before the download starts.
    QString InstallerPath() const;
    // True once the worker thread has ended (or never started).
    bool WorkerDone() const;

    // Escape and the Cancel button.
    void reject() override;

protected:
    bool OnInitDialog() override;
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void handleProgress(int percent);
    void handleFinished();
    void stopWorker();

    QString m_gameName;
    GameDownloadPlaces m_places;
    CStaticEx *m_status{};
    CImgProgress *m_progress{};
    CBtnEx *m_btnOk{};
    CBtnEx *m_btnCancel{};
    std::unique_ptr<CDownGameWorker> m_worker;
    std::unique_ptr<QThread> m_thread;
};
