#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QString>
#include <QTimer>

class QWebEngineCookieStore;

// Keeps, in a file of the program's own, every change the store reported to its cookies
// since the start, for the next start to bring into the engine's cookie file. The engine
// writes its cookie file in batches, some seconds apart, and loses the last batch when the
// program ends at the wrong moment; a cache clearing can also leave it writing to a
// context that never opened the file. The journal is written a moment after each change
// and once more as it goes, so what the server and the pages did last is on disk.
class CookieJournal : public QObject
{
    Q_OBJECT
public:
    // Records the changes of `store` into the file `path`, after those a journal there
    // already holds (an earlier run's that could not be brought into the cookie file).
    CookieJournal(QWebEngineCookieStore *store, const QString &path);
    ~CookieJournal() override;

    // The last state of each cookie a journal file holds: a removed cookie comes back
    // expired. Lines that are no cookie are skipped; a missing file holds none.
    static QList<QNetworkCookie> Read(const QString &path);
    // Replaces the file `path` with `changes` as a whole; answers whether it was written.
    static bool Write(const QString &path, const QList<QNetworkCookie> &changes);
    // Puts `cookie` into `changes` in place of the change of the same name, domain and path.
    static void Record(QList<QNetworkCookie> &changes, const QNetworkCookie &cookie);

private:
    void added(const QNetworkCookie &cookie);
    void removed(QNetworkCookie cookie);
    void flush();

    QString m_path;
    QList<QNetworkCookie> m_changes;
    QTimer m_flush;
    bool m_pending{};
};
