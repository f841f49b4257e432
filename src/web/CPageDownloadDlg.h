#pragma once

#include <QPointer>
#include <QString>

#include "skin/CDlgEx.h"

class CBtnEx;
class CImgProgress;
class CStaticEx;
class QWebEngineDownloadRequest;

// The skinned dialog that shows a file a hosted page downloads: the file's name in the
// caption, a status line, a progress bar and one button. While the file arrives the
// button (and Escape, and the caption's close button) cancels the download; once it
// ended the status says where the file was saved or that nothing was, and the button
// closes the dialog. It deletes itself when closed.
class CPageDownloadDlg : public CDlgEx
{
    Q_OBJECT
public:
    CPageDownloadDlg(QWebEngineDownloadRequest *download, const QString &target, QWidget *parent = nullptr);

    CStaticEx *Status() const { return m_status; }
    CImgProgress *Progress() const { return m_progress; }
    CBtnEx *Button() const { return m_button; }
    // Whether the download still runs, so that the button would cancel it.
    bool Running() const { return m_running; }

    void reject() override;

protected:
    bool OnInitDialog() override;

private:
    void createControls();
    void handleProgress();
    void handleState();
    void finish(const QString &status);

    QPointer<QWebEngineDownloadRequest> m_download;
    QString m_target;
    CStaticEx *m_status{};
    CImgProgress *m_progress{};
    CBtnEx *m_button{};
    bool m_running = true;
};
