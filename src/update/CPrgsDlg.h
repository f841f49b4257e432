#pragma once

#include <memory>

#include <QDialog>
#include <QString>

class CImgProgress;
class HttpTransfer;
class QThread;

// The small dialog that shows the download of a new executable: caption "版本更新中",
// one image progress bar. It starts the download a moment after it shows, keeps
// painting while the transfer runs on a worker thread and ends with IDOK when the whole
// file arrived, IDCANCEL otherwise. It cannot be closed while it downloads; a dialog
// destroyed mid-download (the program ends on a signal) cancels the transfer first.
class CPrgsDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 129;
    static constexpr int kProgressId = 1001;

    explicit CPrgsDlg(QWidget *parent = nullptr);
    ~CPrgsDlg() override;

    // The address to fetch, the file to write and the origin the address must name.
    void SetDownload(const QString &address, const QString &target, const QString &requiredOrigin);

    int DoModal();
    CImgProgress *Progress() const { return m_progress; }

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void startDownload();
    void finishDownload(bool ok);

    CImgProgress *m_progress{};
    QString m_address;
    QString m_target;
    QString m_requiredOrigin;
    std::unique_ptr<QThread> m_worker;
    std::unique_ptr<HttpTransfer> m_transfer;
    bool m_downloading = false;
};
