#include "update/PendingDeletions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

#include "update/UpdateCheck.h"

namespace {

constexpr char kListName[] = "PendingDeletions";

// A file, or a folder once it is empty (a link is removed, never followed).
bool Delete(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink() ? QDir().rmdir(path) : QFile::remove(path);
}

struct Entry {
    int startsToSitOut = 0;
    QString path;
};

QList<Entry> ReadList(const QString &listFile)
{
    QList<Entry> entries;
    QFile file(listFile);
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        bool ok = false;
        const int starts = line.left(tab).toInt(&ok);
        const QString path = line.mid(tab + 1);
        if (tab > 0 && ok && QFileInfo(path).isAbsolute())
            entries.append({qMax(0, starts), path});
    }
    return entries;
}

bool WriteList(const QString &listFile, const QList<Entry> &entries)
{
    if (entries.isEmpty())
        return !QFile::exists(listFile) || QFile::remove(listFile);
    if (!QDir().mkpath(QFileInfo(listFile).path()))
        return false;
    QSaveFile file(listFile);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const Entry &entry : entries)
        file.write(QByteArray::number(entry.startsToSitOut) + '\t' + entry.path.toUtf8() + '\n');
    return file.commit();
}

} // namespace

namespace PendingDeletions {

QString ListFile()
{
    const QString folder = UpdateTimeStoreFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + QLatin1String(kListName);
}

bool Schedule(const QString &listFile, const QString &path, int startsToSitOut)
{
    if (listFile.isEmpty() || !QFileInfo(path).isAbsolute())
        return false;
    QList<Entry> entries = ReadList(listFile);
    entries.removeIf([&path](const Entry &entry) { return entry.path == path; });
    entries.append({startsToSitOut, path});
    return WriteList(listFile, entries);
}

bool Schedule(const QString &path, int startsToSitOut)
{
    return Schedule(ListFile(), path, startsToSitOut);
}

void WorkOff(const QString &listFile)
{
    if (listFile.isEmpty() || !QFile::exists(listFile))
        return;
    QList<Entry> kept;
    for (Entry entry : ReadList(listFile)) {
        if (entry.startsToSitOut > 0) {
            --entry.startsToSitOut;
            kept.append(entry);
        } else if (QFileInfo::exists(entry.path) && !Delete(entry.path)) {
            kept.append(entry);
        }
    }
    WriteList(listFile, kept);
}

void WorkOff()
{
    WorkOff(ListFile());
}

} // namespace PendingDeletions
