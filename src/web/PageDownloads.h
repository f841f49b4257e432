#pragma once

#include <QObject>
#include <QSet>
#include <QString>

class QWebEngineDownloadRequest;
class QWebEngineProfile;

// Saves the files the pages of one web profile download: into the user's download
// folder (created when missing), under the server's name cleaned of folder parts and
// made unique, with a CPageDownloadDlg showing progress. A download that fails or is
// cancelled leaves no file under its name; a saved file is never made executable or
// run. A download folder that cannot be written gives a skinned message and saves
// nothing.
class PageDownloads : public QObject
{
    Q_OBJECT
public:
    // Starts handling the downloads of `profile`, for as long as it lives.
    static void Watch(QWebEngineProfile *profile);

    // The folder downloads go to.
    static QString Folder();

private:
    explicit PageDownloads(QWebEngineProfile *profile);

    void handleRequest(QWebEngineDownloadRequest *download);
    void handleState(QWebEngineDownloadRequest *download, const QString &target);
    bool IsTaken(const QString &folder, const QString &name) const;

    // Targets of the downloads still running.
    QSet<QString> m_running;
};

// Whether `folder` exists (made when missing) and a file can be created in it.
bool PrepareDownloadFolder(const QString &folder);
