// The update check, its daily store, the pending deletions and the executable swap, on
// real files and against a loopback server of the tests' own.
#include "update/UpdateCheck.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/FaultHttpServer.h"
#include "update/ExecutableSwap.h"
#include "update/PendingDeletions.h"

namespace {

using Reply = FaultHttpServer::Reply;

constexpr char kDescriptorPath[] = "/wd/qovan/ycjWDUpdate.htm";

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class UpdateCheckTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(WriteFile(m_dir.filePath("fenlow"), "the running build"));
        m_subject.mode = StartMode::DirectSwitch;
        m_subject.descriptorAddress = QString::fromStdString(m_server.Url(kDescriptorPath));
        m_subject.descriptorFile = m_dir.filePath("ycjWDUpdate.htm");
        m_subject.executable = m_dir.filePath("fenlow");
        m_subject.timeFile = m_dir.filePath("key/UpdTime");
    }

    void Publish(const std::string &text) { m_server.Set(kDescriptorPath, Reply::With(200, text)); }

    QTemporaryDir m_dir;
    FaultHttpServer m_server;
    UpdateSubject m_subject;
};

TEST_F(UpdateCheckTest, ADifferentVersionIsOfferedWithItsAddress)
{
    Publish("[VerKey]\r\nycj=0123456789abcdef0123456789abcdef\r\nUpdAddr=http://res.example/new\r\n");
    UpdateDescriptor offer;
    bool reached = false;
    EXPECT_TRUE(CheckForUpdateOf(m_subject, false, &offer, &reached));
    EXPECT_TRUE(reached);
    EXPECT_EQ(offer.version, "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(offer.address, "http://res.example/new");
    EXPECT_FALSE(QFile::exists(m_subject.descriptorFile));
}

TEST_F(UpdateCheckTest, TheSameVersionInUpperCaseIsNoUpdate)
{
    const QString local = FileMd5(m_subject.executable);
    ASSERT_EQ(local, QString::fromLatin1(QCryptographicHash::hash("the running build", QCryptographicHash::Md5).toHex()));
    Publish("[verkey]\nYCJ = " + local.toUpper().toStdString() + "\nUpdAddr=http://res.example/new\n");
    bool reached = false;
    EXPECT_FALSE(CheckForUpdateOf(m_subject, true, nullptr, &reached));
    EXPECT_TRUE(reached);
}

TEST_F(UpdateCheckTest, ADescriptorWithoutAddressStillOffers)
{
    Publish("[VerKey]\nycj=ffff\n");
    UpdateDescriptor offer;
    EXPECT_TRUE(CheckForUpdateOf(m_subject, true, &offer));
    EXPECT_TRUE(offer.address.isEmpty());
}

TEST_F(UpdateCheckTest, BrokenDescriptorsOfferNothingAndLeaveNoFile)
{
    Reply shorter = Reply::With(200, "[VerKey]\nycj=ffff\n");
    shorter.announced = 400;
    for (const Reply &reply : {Reply::With(404, "[VerKey]\nycj=ffff\n"), shorter, Reply::With(200, "\x01\x02garbage\xff"),
                               Reply::With(200, "[Other]\nycj=ffff\n"), Reply::With(200, "")}) {
        m_server.Set(kDescriptorPath, reply);
        bool reached = true;
        EXPECT_FALSE(CheckForUpdateOf(m_subject, true, nullptr, &reached)) << reply.body;
        EXPECT_FALSE(reached);
        EXPECT_FALSE(QFile::exists(m_subject.descriptorFile)) << reply.body;
    }
}

TEST_F(UpdateCheckTest, OnlyTheSwitchAndTheInstalledCopyCheckByThemselves)
{
    Publish("[VerKey]\nycj=ffff\n");
    for (StartMode mode : {StartMode::Plain, StartMode::WebSwitch, StartMode::Uninstall}) {
        m_subject.mode = mode;
        EXPECT_FALSE(CheckForUpdateOf(m_subject, false, nullptr));
    }
    EXPECT_EQ(m_server.Hits(kDescriptorPath), 0);
    m_subject.mode = StartMode::InstalledCopy;
    EXPECT_TRUE(CheckForUpdateOf(m_subject, false, nullptr));
    EXPECT_EQ(m_server.Hits(kDescriptorPath), 1);
    // The package manager updates a packaged copy: it never checks by itself.
    m_subject.packaged = true;
    for (StartMode mode : {StartMode::InstalledCopy, StartMode::DirectSwitch}) {
        m_subject.mode = mode;
        EXPECT_FALSE(CheckForUpdateOf(m_subject, false, nullptr));
    }
    EXPECT_EQ(m_server.Hits(kDescriptorPath), 1);
}

TEST_F(UpdateCheckTest, AnUpdateAppliedTodayStopsTheDailyCheckButNotTheForcedOne)
{
    Publish("[VerKey]\nycj=ffff\n");
    ASSERT_TRUE(RecordUpdateTime(m_subject.timeFile, QDateTime::currentDateTimeUtc()));
    EXPECT_FALSE(CheckForUpdateOf(m_subject, false, nullptr));
    EXPECT_EQ(m_server.Hits(kDescriptorPath), 0);
    EXPECT_TRUE(CheckForUpdateOf(m_subject, true, nullptr));
    EXPECT_EQ(m_server.Hits(kDescriptorPath), 1);
}

TEST(UpdateTimeTest, StoresSixteenBytesOfUtcTime)
{
    const QDateTime at(QDate(2026, 12, 8), QTime(23, 59, 58, 765), Qt::UTC);
    const QByteArray bytes = EncodeUpdateTime(at);
    ASSERT_EQ(bytes.size(), 16);
    const QByteArray expected("\xea\x07\x0c\x00\x02\x00\x08\x00\x17\x00\x3b\x00\x3a\x00\xfd\x02", 16);
    EXPECT_EQ(bytes, expected);
}

TEST(UpdateTimeTest, DueOncePerUtcDate)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("ycj/UpdTime");
    const QDateTime late(QDate(2026, 12, 8), QTime(23, 59), Qt::UTC);
    EXPECT_TRUE(IsUpdateDue(store, late));
    ASSERT_TRUE(RecordUpdateTime(store, late));
    EXPECT_FALSE(IsUpdateDue(store, late.addSecs(30)));
    // Just after UTC midnight it is due again, whatever the local date says.
    EXPECT_TRUE(IsUpdateDue(store, late.addSecs(120)));
    EXPECT_TRUE(IsUpdateDue(store, late.addYears(1)));
    EXPECT_TRUE(IsUpdateDue(store, late.addMonths(-1)));
}

TEST(UpdateTimeTest, AStoreThatCannotBeMadeMeansNoAutomaticCheck)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("file"), "x"));
    const QString store = dir.filePath("file/ycj/UpdTime");
    EXPECT_FALSE(IsUpdateDue(store, QDateTime::currentDateTimeUtc()));
    EXPECT_FALSE(RecordUpdateTime(store, QDateTime::currentDateTimeUtc()));
}

TEST(PendingDeletionsTest, DeletesDueFilesAndCountsTheOthersDown)
{
    QTemporaryDir dir;
    const QString list = dir.filePath("key/PendingDeletions");
    const QString now = dir.filePath("Newycj.exe"), later = dir.filePath("Oldycj.exe");
    ASSERT_TRUE(WriteFile(now, "n") && WriteFile(later, "o"));
    ASSERT_TRUE(PendingDeletions::Schedule(list, now, 0));
    ASSERT_TRUE(PendingDeletions::Schedule(list, later, 1));
    ASSERT_TRUE(PendingDeletions::Schedule(list, later, 1)); // once only
    EXPECT_FALSE(PendingDeletions::Schedule(list, "relative/path", 0));

    PendingDeletions::WorkOff(list);
    EXPECT_FALSE(QFile::exists(now));
    EXPECT_TRUE(QFile::exists(later));
    PendingDeletions::WorkOff(list);
    EXPECT_FALSE(QFile::exists(later));
    EXPECT_FALSE(QFile::exists(list));
}

TEST(PendingDeletionsTest, AMangledListDeletesNothingItDoesNotName)
{
    QTemporaryDir dir;
    const QString list = dir.filePath("PendingDeletions");
    const QString keep = dir.filePath("keep");
    ASSERT_TRUE(WriteFile(keep, "k"));
    ASSERT_TRUE(WriteFile(list, "garbage\n\t" + keep.toUtf8() + "\nx\t" + keep.toUtf8() + "\n0\t\n\xff\xfe\n"));
    PendingDeletions::WorkOff(list);
    EXPECT_TRUE(QFile::exists(keep));
}

class ExecutableSwapTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(WriteFile(Current(), "old build"));
        ASSERT_EQ(::chmod(QFile::encodeName(Current()).constData(), 0751), 0);
        ASSERT_TRUE(WriteFile(New(), "new build"));
    }

    QString Current() const { return m_dir.filePath("fenlow"); }
    QString New() const { return m_dir.filePath("Newycj.exe"); }
    QString Old() const { return m_dir.filePath("Oldycj.exe"); }
    static QString Md5Of(const QByteArray &bytes)
    {
        return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
    }

    QTemporaryDir m_dir;
};

TEST_F(ExecutableSwapTest, PutsTheNewBuildInPlaceWithTheOldPermissions)
{
    ASSERT_TRUE(SwapInExecutable(Current(), New(), Old(), Md5Of("new build").toUpper()));
    EXPECT_EQ(ReadFile(Current()), "new build");
    EXPECT_EQ(ReadFile(Old()), "old build");
    EXPECT_FALSE(QFile::exists(New()));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(Current()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0751u);
}

TEST_F(ExecutableSwapTest, ADownloadThatIsNotTheNamedReleaseChangesNothing)
{
    for (const QString &expected : {Md5Of("other build"), QString(), QString("not a digest")}) {
        EXPECT_FALSE(SwapInExecutable(Current(), New(), Old(), expected));
        EXPECT_EQ(ReadFile(Current()), "old build");
        EXPECT_FALSE(QFile::exists(Old()));
    }
    EXPECT_FALSE(SwapInExecutable(Current(), m_dir.filePath("missing"), Old(), Md5Of("")));
    EXPECT_EQ(ReadFile(Current()), "old build");
}

TEST_F(ExecutableSwapTest, AFailedMoveLeavesTheRunningFileInPlace)
{
    // A folder under the old name cannot be replaced by the running file.
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("Oldycj.exe/inside"));
    EXPECT_FALSE(SwapInExecutable(Current(), New(), Old(), Md5Of("new build")));
    EXPECT_EQ(ReadFile(Current()), "old build");
    EXPECT_EQ(ReadFile(New()), "new build");
}

TEST_F(ExecutableSwapTest, FilesOutsideTheExecutablesFolderAreRefused)
{
    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath("Newycj.exe");
    ASSERT_TRUE(WriteFile(outside, "new build"));
    EXPECT_FALSE(SwapInExecutable(Current(), outside, Old(), Md5Of("new build")));
    EXPECT_EQ(ReadFile(Current()), "old build");
}

} // namespace
