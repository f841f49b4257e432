// The whole replacement with the real progress dialog: a download from a loopback server
// that serves a new build or fails in every way listed, then the checked swap and the
// start of the new file. The running executable is a copy of the launch probe.
#include "update/SelfUpdate.h"

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <QTemporaryDir>
#include <QTimer>

#include "game/GameTestSupport.h"
#include "skin/CImgProgress.h"
#include "skin/MessageBoxLayout.h"
#include "support/FaultHttpServer.h"
#include "support/SigningTool.h"
#include "support/Wait.h"
#include "update/CPrgsDlg.h"
#include "update/PendingDeletions.h"

namespace {

using Mode = FaultHttpServer::Mode;
using Reply = FaultHttpServer::Reply;

constexpr char kUpdatePath[] = "/wd/qovan/ycj/fenlow";
constexpr char kDescriptorPath[] = "/wd/qovan/ycjWDUpdate.htm";
constexpr mode_t kRunningMode = 0750;

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Sets or clears the immutable flag, which keeps even the superuser from creating files
// in a folder; false where the file system has no such flag.
bool SetImmutable(const QString &folder, bool on)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

class ApplyUpdateTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath("config")));
        qputenv("FENLOW_LAUNCH_REPORT", QFile::encodeName(Report()));
        ASSERT_TRUE(QDir().mkpath(Folder()));
        m_running = ReadFile(FENLOW_BIN_DIR "/launch_probe");
        ASSERT_FALSE(m_running.isEmpty());
        // The new build: the same program with different bytes, so it runs and its digest differs.
        m_newBuild = m_running + QByteArray("\nnew build 1.0.0.2\n");
        ASSERT_TRUE(WriteFile(Places().current, m_running));
        ASSERT_EQ(::chmod(QFile::encodeName(Places().current).constData(), kRunningMode), 0);
        Serve(Reply::With(200, m_newBuild.toStdString()));
    }

    void TearDown() override { SetImmutable(Folder(), false); }

    QString Folder() const { return m_home.filePath("install"); }
    QString Report() const { return m_home.filePath("launch-report"); }
    UpdatePlaces Places() const
    {
        return {Folder() + "/fenlow", Folder() + "/Newycj.exe", Folder() + "/Oldycj.exe",
                "http://127.0.0.1:" + QString::number(m_server.Port())};
    }
    UpdateDescriptor Offer(const std::string &path = kUpdatePath) const
    {
        return {Md5(m_newBuild), QString::fromStdString(m_server.Url(path))};
    }
    static QString Md5(const QByteArray &bytes)
    {
        return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
    }
    void Serve(const Reply &reply) { m_server.Set(kUpdatePath, reply); }
    // The menu's update of the running file against the test's server.
    UpdateSubject MenuSubject() const
    {
        UpdateSubject subject;
        subject.descriptorAddress = QString::fromStdString(m_server.Url(kDescriptorPath));
        subject.descriptorFile = Folder() + "/ycjWDUpdate.htm";
        subject.executable = Places().current;
        subject.timeFile = m_home.filePath("config/UpdTime");
        return subject;
    }

    bool Apply(const UpdateDescriptor &offer, const std::function<void()> &beforeLaunch = {})
    {
        return ApplyUpdateAt(Places(), offer, beforeLaunch, nullptr);
    }

    // After a failed update: the running file as it was and nothing new beside it.
    void ExpectUnchanged(const char *fault)
    {
        SCOPED_TRACE(fault);
        EXPECT_EQ(ReadFile(Places().current), m_running);
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(Places().current).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, kRunningMode);
        EXPECT_FALSE(QFile::exists(Places().downloaded));
        EXPECT_FALSE(QFile::exists(Places().old));
        EXPECT_FALSE(QFile::exists(Report())) << "something was started";
    }

    QTemporaryDir m_home;
    FaultHttpServer m_server;
    QByteArray m_running;
    QByteArray m_newBuild;
};

TEST_F(ApplyUpdateTest, SwapsInTheNewBuildAndStartsItWithoutArguments)
{
    bool releasedBeforeStart = false;
    ASSERT_TRUE(Apply(Offer(), [&] { releasedBeforeStart = !QFile::exists(Report()); }));
    EXPECT_TRUE(releasedBeforeStart);
    EXPECT_EQ(ReadFile(Places().current), m_newBuild);
    EXPECT_EQ(ReadFile(Places().old), m_running);
    EXPECT_FALSE(QFile::exists(Places().downloaded));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(Places().current).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, kRunningMode);
    // The probe reports its argument count first: the program name alone.
    ASSERT_EVENTUALLY(ReadFile(Report()).startsWith("1 "));

    // The start the update launched keeps the previous executable; the next one removes it.
    PendingDeletions::WorkOff();
    EXPECT_TRUE(QFile::exists(Places().old));
    PendingDeletions::WorkOff();
    EXPECT_FALSE(QFile::exists(Places().old));
}

TEST_F(ApplyUpdateTest, EveryBrokenDownloadLeavesTheProgramAsItWas)
{
    const std::string build = m_newBuild.toStdString();
    Reply error = Reply::With(500, "<html>internal error</html>");
    Reply noLength = Reply::With(200, build);
    noLength.announced = -2;
    Reply shorter = Reply::With(200, build.substr(0, build.size() / 2));
    shorter.announced = (long long)build.size();
    Reply longer = Reply::With(200, build + "trailing bytes");
    Reply truncated = Reply::With(200, build);
    truncated.announced = (long long)build.size() - 100;
    Reply reset = Reply::With(200, build);
    reset.mode = Mode::Reset;
    Reply silent;
    silent.mode = Mode::Silent;
    Reply trickle = Reply::With(200, build);
    trickle.mode = Mode::Trickle;
    Reply away = Reply::With(302, "moved");
    away.location = "http://localhost:" + std::to_string(m_server.Port()) + "/elsewhere";
    Reply huge = Reply::With(200, build);
    huge.announced = 5'000'000'000LL;
    const std::pair<const char *, Reply> faults[] = {
        {"404", Reply::With(404, "gone")}, {"500 with a length", error}, {"no length", noLength},
        {"a short body", shorter}, {"a longer body", longer}, {"a truncated length", truncated},
        {"a reset mid-body", reset}, {"a server that never answers", silent},
        {"one byte a second", trickle}, {"a redirect to another host", away}, {"5 GB announced", huge},
    };
    m_server.Set("/elsewhere", Reply::With(200, build));
    for (const auto &[fault, reply] : faults) {
        Serve(reply);
        EXPECT_FALSE(Apply(Offer())) << fault;
        ExpectUnchanged(fault);
    }
    EXPECT_EQ(m_server.Hits("/elsewhere"), 0);
}

TEST_F(ApplyUpdateTest, AddressesOffTheResourceHostAreNeverRequested)
{
    const std::string port = std::to_string(m_server.Port());
    UpdateDescriptor offer = Offer();
    offer.address = QString::fromStdString("http://localhost:" + port + kUpdatePath);
    EXPECT_FALSE(Apply(offer));
    ExpectUnchanged("another host");
    offer.address = QString::fromStdString("http://localhost:" + port + kUpdatePath + "?h=127.0.0.1:" + port);
    EXPECT_FALSE(Apply(offer));
    ExpectUnchanged("the resource host in the query");
    offer.address.clear();
    EXPECT_FALSE(Apply(offer));
    ExpectUnchanged("no address");
    EXPECT_EQ(m_server.Hits(kUpdatePath), 0);
}

TEST_F(ApplyUpdateTest, AFullDiskLeavesTheProgramAsItWas)
{
    // A file-size limit stands in for a full disk: writes beyond it fail as ENOSPC would.
    Reply large;
    large.generated = 8 << 20;
    Serve(large);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 1 << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    UpdateDescriptor offer = Offer();
    const bool applied = Apply(offer);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(applied);
    ExpectUnchanged("a full disk");
}

TEST_F(ApplyUpdateTest, AnUnwritableFolderLeavesTheProgramAsItWas)
{
    if (geteuid() == 0) {
        if (!SetImmutable(Folder(), true))
            GTEST_SKIP() << "no way to make a folder unwritable for the superuser here";
    } else {
        ASSERT_EQ(::chmod(QFile::encodeName(Folder()).constData(), 0555), 0);
    }
    EXPECT_FALSE(Apply(Offer()));
    EXPECT_EQ(m_server.Hits(kUpdatePath), 1);
    SetImmutable(Folder(), false);
    ::chmod(QFile::encodeName(Folder()).constData(), 0755);
    ExpectUnchanged("an unwritable folder");
}

TEST_F(ApplyUpdateTest, TheDialogShowsProgressAndCannotBeClosedWhileItDownloads)
{
    Reply slow = Reply::With(200, std::string(400, 'p'));
    slow.mode = Mode::Trickle;
    slow.intervalMs = 5;
    m_server.Set("/slow", slow);
    CPrgsDlg dialog;
    dialog.SetDownload(QString::fromStdString(m_server.Url("/slow")), Places().downloaded, Places().resourceOrigin);
    int percentSeen = 0;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(dialog.windowTitle(), "版本更新中");
        EXPECT_EQ(dialog.size(), QSize(417, 83));
        EXPECT_EVENTUALLY(dialog.Progress()->value() > 20);
        percentSeen = dialog.Progress()->value();
        dialog.reject();
        dialog.close();
        EXPECT_TRUE(dialog.isVisible());
        if (qEnvironmentVariableIsSet("FENLOW_SHOT_DIR"))
            dialog.grab().save(qEnvironmentVariable("FENLOW_SHOT_DIR") + "/update-progress.png");
    });
    EXPECT_EQ(dialog.DoModal(), 1);
    EXPECT_GT(percentSeen, 20);
    EXPECT_EQ(dialog.Progress()->value(), 100);
}

TEST_F(ApplyUpdateTest, TheMenusUpdateSaysWhatHappened)
{
    UpdateSubject subject = MenuSubject();
    const auto describe = [&](const QString &version) {
        m_server.Set(kDescriptorPath, Reply::With(200, "[VerKey]\nycj=" + version.toStdString() + "\nUpdAddr="
                                                           + m_server.Url(kUpdatePath) + "\n"));
    };
    GameTestSupport::MessageBoxAnswerer answerer(IDOK);

    describe(Md5(m_running).toUpper());
    EXPECT_EQ(RunForcedUpdateOf(subject, Places(), nullptr, {}), UpdateOutcome::UpToDate);
    m_server.Set(kDescriptorPath, Reply::With(404, "gone"));
    EXPECT_EQ(RunForcedUpdateOf(subject, Places(), nullptr, {}), UpdateOutcome::Failed);
    describe(Md5(m_newBuild));
    Serve(Reply::With(500, "<html>internal error</html>"));
    EXPECT_EQ(RunForcedUpdateOf(subject, Places(), nullptr, {}), UpdateOutcome::Failed);
    EXPECT_EQ(answerer.texts,
              QStringList({"已经是最新版本，无需进行更新", "更新版本失败，请稍后重试", "更新版本失败，请稍后重试"}));
    EXPECT_EQ(answerer.titles, QStringList({"岚汐翼川记", "岚汐翼川记", "岚汐翼川记"}));
    ExpectUnchanged("the menu's failed update");
    EXPECT_FALSE(QFile::exists(subject.timeFile));

    Serve(Reply::With(200, m_newBuild.toStdString()));
    EXPECT_EQ(RunForcedUpdateOf(subject, Places(), nullptr, {}), UpdateOutcome::Applied);
    EXPECT_EQ(answerer.texts.size(), 3);
    EXPECT_EQ(ReadFile(Places().current), m_newBuild);
    EXPECT_TRUE(QFile::exists(subject.timeFile));
    EXPECT_FALSE(IsUpdateDue(subject.timeFile, QDateTime::currentDateTimeUtc()));

    // A packaged copy asks nothing of the server and points at the package manager.
    subject.packaged = true;
    const int asked = m_server.Hits(kDescriptorPath);
    EXPECT_EQ(RunForcedUpdateOf(subject, Places(), nullptr, {}), UpdateOutcome::Packaged);
    EXPECT_EQ(m_server.Hits(kDescriptorPath), asked);
    ASSERT_EQ(answerer.texts.size(), 4);
    EXPECT_TRUE(answerer.texts.last().contains("软件包管理器")) << answerer.texts.last().toStdString();
    EXPECT_EQ(answerer.titles.last(), "岚汐翼川记");
}

TEST_F(ApplyUpdateTest, WithAPlatformKeyOnlyASignedDescriptorUpdates)
{
    QTemporaryDir keys;
    const SigningTool::KeyPair platform = SigningTool::NewKeyPair(keys.path(), "platform.key");
    const SigningTool::KeyPair other = SigningTool::NewKeyPair(keys.path(), "other.key");
    UpdateSubject subject = MenuSubject();
    subject.key = DescriptorKey::FromSetting(platform.publicKey);
    const auto sha256 = [](const QByteArray &bytes) {
        return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
    };
    const QByteArray text = "[VerKey]\r\nycj=" + Md5(m_newBuild).toLatin1() + "\r\nUpdAddr="
        + QByteArray::fromStdString(m_server.Url(kUpdatePath)) + "\r\nSHA256=" + sha256(m_newBuild) + "\r\n";
    const QByteArray good = SigningTool::Sign(platform.keyFile, text);
    ASSERT_FALSE(good.isEmpty());
    QByteArray flipped = good;
    flipped[flipped.indexOf("ycj=") + 4] ^= 0x01;
    QByteArray lf = good;
    lf.replace("\r\n", "\n");
    QByteArray otherSha256 = text;
    otherSha256.replace(sha256(m_newBuild), sha256(m_running));
    const std::pair<const char *, QByteArray> refused[] = {
        {"unsigned", text}, {"another key", SigningTool::Sign(other.keyFile, text)}, {"a flipped byte", flipped},
        {"LF for CR LF", lf}, {"a line after the signature", good + "x=1\r\n"},
    };
    GameTestSupport::MessageBoxAnswerer answerer(IDOK);
    for (const auto &[what, descriptor] : refused) {
        m_server.Set(kDescriptorPath, Reply::With(200, descriptor.toStdString()));
        EXPECT_EQ(RunForcedUpdateOf(subject, Places(), nullptr, {}), UpdateOutcome::Failed) << what;
        ExpectUnchanged(what);
    }
    EXPECT_EQ(m_server.Hits(kUpdatePath), 0);
    // A signed descriptor whose SHA-256 is not the download's: downloaded, never swapped in.
    m_server.Set(kDescriptorPath, Reply::With(200, SigningTool::Sign(platform.keyFile, otherSha256).toStdString()));
    EXPECT_EQ(RunForcedUpdateOf(subject, Places(), nullptr, {}), UpdateOutcome::Failed);
    ExpectUnchanged("another SHA-256");
    EXPECT_EQ(m_server.Hits(kUpdatePath), 1);
    EXPECT_EQ(answerer.texts, QStringList(std::size(refused) + 1, "更新版本失败，请稍后重试"));

    m_server.Set(kDescriptorPath, Reply::With(200, good.toStdString()));
    EXPECT_EQ(RunForcedUpdateOf(subject, Places(), nullptr, {}), UpdateOutcome::Applied);
    EXPECT_EQ(ReadFile(Places().current), m_newBuild);
    ASSERT_EVENTUALLY(ReadFile(Report()).startsWith("1 "));
}

TEST_F(ApplyUpdateTest, AnInvalidPlatformKeyRefusesEveryUpdateAndSaysWhy)
{
    UpdateSubject subject = MenuSubject();
    subject.key = DescriptorKey::FromSetting(QString("c2hvcnQga2V5"));
    m_server.Set(kDescriptorPath, Reply::With(200, "[VerKey]\nycj=" + Md5(m_newBuild).toStdString() + "\nUpdAddr="
                                                       + m_server.Url(kUpdatePath) + "\n"));
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { warnings.append(text); });
    GameTestSupport::MessageBoxAnswerer answerer(IDOK);
    const UpdateOutcome outcome = RunForcedUpdateOf(subject, Places(), nullptr, {});
    qInstallMessageHandler(previous);
    EXPECT_EQ(outcome, UpdateOutcome::Failed);
    EXPECT_EQ(answerer.texts, QStringList({"更新版本失败，请稍后重试"}));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.first().contains("PublicKey")) << warnings.first().toStdString();
    EXPECT_EQ(m_server.Hits(kUpdatePath), 0);
    ExpectUnchanged("an invalid key");
}

// A process killed at any moment of its swaps, by SIGKILL or by a second termination
// signal (the first only asks for an orderly end), leaves a whole, runnable executable
// under the running name.
TEST(ExecutableSwapTest, AProcessKilledAtAnyMomentOfItsSwapsLeavesARunnableExecutable)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char *build : {"a", "b"})
        ASSERT_TRUE(WriteFile(folder.filePath(build), QByteArray("#!/bin/sh\necho ") + build + "\n"));
    ASSERT_TRUE(QFile::copy(folder.filePath("a"), folder.filePath("run")));
    ASSERT_EQ(::chmod(QFile::encodeName(folder.filePath("run")).constData(), kRunningMode), 0);
    for (int round = 0; round < 24; ++round) {
        const int signal = round % 2 == 0 ? SIGKILL : SIGTERM;
        QProcess probe;
        probe.start(FENLOW_BIN_DIR "/swap_probe", {folder.path()});
        ASSERT_TRUE(probe.waitForStarted());
        const int delayMs = 20 + int(QRandomGenerator::global()->bounded(200));
        QThread::msleep(delayMs);
        ::kill(pid_t(probe.processId()), signal);
        // A second SIGTERM could merge with the first while it is pending.
        if (signal == SIGTERM)
            ::kill(pid_t(probe.processId()), SIGHUP);
        ASSERT_TRUE(probe.waitForFinished(5000));
        EXPECT_EQ(probe.exitStatus(), QProcess::CrashExit) << "the probe stopped swapping by itself";

        QProcess run;
        run.start(folder.filePath("run"));
        run.waitForFinished(5000);
        const QByteArray said = run.readAllStandardOutput();
        EXPECT_TRUE(said == "a\n" || said == "b\n")
            << strsignal(signal) << " after " << delayMs << " ms: the running name says \"" << said.constData() << '"';
    }
}

} // namespace
