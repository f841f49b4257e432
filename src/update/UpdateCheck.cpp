#include "update/UpdateCheck.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include "base/PlatformHosts.h"
#include "base/ProgramPaths.h"
#include "platform/PlatformFolders.h"
#include "update/HttpGetToFile.h"

namespace {

constexpr char kDescriptorPath[] = "/wd/qovan/ycjWDUpdate.htm";
constexpr char kDescriptorFile[] = "ycjWDUpdate.htm";
constexpr char kVersionKey[] = "ycj";
constexpr char kTimeValue[] = "UpdTime";
constexpr qsizetype kTimeBytes = 16;
constexpr long kDescriptorTimeLimitSeconds = 10;

} // namespace

QString UpdateDescriptorAddress(const QString &resourceOrigin)
{
    return resourceOrigin + QLatin1String(kDescriptorPath);
}

namespace {

QString FileDigest(const QString &path, QCryptographicHash::Algorithm algorithm)
{
    QFile file(path);
    QCryptographicHash hash(algorithm);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

QString FileMd5(const QString &path)
{
    return FileDigest(path, QCryptographicHash::Md5);
}

bool IsDifferentVersion(const QString &remote, const QString &local)
{
    return remote.compare(local, Qt::CaseInsensitive) != 0;
}

bool IsDescribedFile(const QString &path, const UpdateDescriptor &descriptor)
{
    const QString md5 = FileMd5(path);
    if (md5.isEmpty() || descriptor.version.isEmpty() || IsDifferentVersion(md5, descriptor.version))
        return false;
    return descriptor.sha256.isEmpty()
        || FileDigest(path, QCryptographicHash::Sha256).compare(descriptor.sha256, Qt::CaseInsensitive) == 0;
}

UpdateDescriptor FetchUpdateDescriptor(const QString &address, const QString &savePath, const DescriptorKey &key)
{
    HttpGetOptions options;
    options.maxBytes = kMaxDescriptorBytes;
    options.timeLimitSeconds = kDescriptorTimeLimitSeconds;
    const bool fetched = HttpGetToFile(address, savePath, options);
    const UpdateDescriptor descriptor =
        fetched ? UpdateDescriptor::Read(savePath, QLatin1String(kVersionKey), key).value_or(UpdateDescriptor{})
                : UpdateDescriptor{};
    QFile::remove(savePath);
    return descriptor;
}

UpdateSubject CurrentUpdateSubject(const PlatformHosts &hosts)
{
    const QString executable = PlatformFolders::ExecutablePath();
    return {ClassifyStartMode(QCoreApplication::arguments(), executable, PlatformFolders::CommonAppData()),
            UpdateDescriptorAddress(hosts.resource), ProgramFilePath(QLatin1String(kDescriptorFile), ProgramFileKind::Transient),
            executable, UpdateTimeFile(), DescriptorKey::FromSetting(hosts.updateKey), IsPackagedCopy()};
}

bool CheckForUpdateOf(const UpdateSubject &subject, bool force, UpdateDescriptor *offer, bool *reached)
{
    if (reached)
        *reached = false;
    if (!force) {
        const bool checks = !subject.packaged
            && (subject.mode == StartMode::DirectSwitch || subject.mode == StartMode::InstalledCopy);
        if (!checks || !IsUpdateDue(subject.timeFile, QDateTime::currentDateTimeUtc()))
            return false;
    }
    const UpdateDescriptor descriptor =
        FetchUpdateDescriptor(subject.descriptorAddress, subject.descriptorFile, subject.key);
    if (descriptor.version.isEmpty())
        return false;
    if (reached)
        *reached = true;
    if (!IsDifferentVersion(descriptor.version, FileMd5(subject.executable)))
        return false;
    if (offer)
        *offer = descriptor;
    return true;
}

bool CheckForUpdate(const PlatformHosts &hosts, bool force, UpdateDescriptor *offer, bool *reached)
{
    return CheckForUpdateOf(CurrentUpdateSubject(hosts), force, offer, reached);
}

QString UpdateTimeStoreFolder()
{
    const QString config = PlatformFolders::Config();
    if (config.isEmpty())
        return {};
    return config + QStringLiteral("/岚汐/ViziDuved/ycj");
}

QString UpdateTimeFile()
{
    const QString folder = UpdateTimeStoreFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + QLatin1String(kTimeValue);
}

QByteArray EncodeUpdateTime(const QDateTime &utc)
{
    const QDate date = utc.date();
    const QTime time = utc.time();
    const int fields[] = {date.year(), date.month(), date.dayOfWeek() % 7, date.day(),
                          time.hour(), time.minute(), time.second(), time.msec()};
    QByteArray bytes(kTimeBytes, '\0');
    for (int i = 0; i < 8; ++i)
        qToLittleEndian(quint16(fields[i]), bytes.data() + 2 * i);
    return bytes;
}

bool IsUpdateDue(const QString &timeFile, const QDateTime &utcNow)
{
    if (timeFile.isEmpty() || !QDir().mkpath(QFileInfo(timeFile).path()))
        return false;
    QFile file(timeFile);
    QByteArray stored(kTimeBytes, '\0');
    if (file.open(QIODevice::ReadOnly))
        stored = file.read(kTimeBytes).leftJustified(kTimeBytes, '\0');
    // Year, month and day: fields 0, 1 and 3.
    const QByteArray now = EncodeUpdateTime(utcNow);
    return stored.mid(0, 4) != now.mid(0, 4) || stored.mid(6, 2) != now.mid(6, 2);
}

bool IsUpdateDue()
{
    return IsUpdateDue(UpdateTimeFile(), QDateTime::currentDateTimeUtc());
}

bool RecordUpdateTime(const QString &timeFile, const QDateTime &utcNow)
{
    if (timeFile.isEmpty() || !QDir().mkpath(QFileInfo(timeFile).path()))
        return false;
    QSaveFile file(timeFile);
    return file.open(QIODevice::WriteOnly) && file.write(EncodeUpdateTime(utcNow)) == kTimeBytes && file.commit();
}

bool RecordUpdateTime()
{
    return RecordUpdateTime(UpdateTimeFile(), QDateTime::currentDateTimeUtc());
}
