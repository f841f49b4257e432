// Crash reports of real processes that die by a null write, abort() and a stack overflow.
#include <csignal>
#include <sys/resource.h>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "app/CrashFilter.h"

namespace {

TEST(CrashReportPathTest, ReplacesTheFileNamesExtensionOnly)
{
    EXPECT_EQ(CrashReportPath("/opt/games/fenlow"), "/opt/games/fenlow.dmp");
    EXPECT_EQ(CrashReportPath("/opt/games/x.exe"), "/opt/games/x.dmp");
    EXPECT_EQ(CrashReportPath("/opt/games/x.tar.gz"), "/opt/games/x.tar.dmp");
    // A dot in a folder name never cuts the path.
    EXPECT_EQ(CrashReportPath("/home/u/.local/bin/fenlow"), "/home/u/.local/bin/fenlow.dmp");
    EXPECT_EQ(CrashReportPath("/home/u/v1.2/fenlow"), "/home/u/v1.2/fenlow.dmp");
    EXPECT_EQ(CrashReportPath("/home/u/.fenlow"), "/home/u/.fenlow.dmp");
    EXPECT_EQ(CrashReportPath(""), "");
}

TEST(CrashReportPathTest, FallbackFolderFollowsTheStateHome)
{
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/var/tmp/state");
    EXPECT_EQ(CrashReportFallbackFolder(), "/var/tmp/state/岚汐");
    qputenv("XDG_STATE_HOME", "relative/state");
    EXPECT_EQ(CrashReportFallbackFolder(), QDir::homePath() + "/.local/state/岚汐");
    qputenv("XDG_STATE_HOME", saved);
}

class CrashingProcessTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        m_folder = m_temp.filePath("game folder");
        ASSERT_TRUE(QDir().mkpath(m_folder));
        m_probe = m_folder + "/crash_probe";
        ASSERT_TRUE(QFile::copy(FENLOW_BIN_DIR "/crash_probe", m_probe));
        m_state = m_temp.filePath("state");
    }

    // Runs the probe until it dies; answers the signal that ended it (0 when it exited).
    int Crash(const QString &how)
    {
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_STATE_HOME", m_state);
        probe.setProcessEnvironment(env);
        // No core files from the deliberate crashes.
        probe.setChildProcessModifier([] {
            const rlimit none{0, 0};
            setrlimit(RLIMIT_CORE, &none);
        });
        probe.start(m_probe, {how});
        if (!probe.waitForFinished(30000))
            return -1;
        return probe.exitStatus() == QProcess::CrashExit ? probe.exitCode() : 0;
    }

    static QByteArray Read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString ReportPath() const { return m_folder + "/crash_probe.dmp"; }

    QTemporaryDir m_temp;
    QString m_folder;
    QString m_probe;
    QString m_state;
};

// A way to crash the probe, the signal it dies by, what its report holds and what it must
// not hold. Where its folder has no room for the report, it goes to the state folder.
struct CrashCase {
    const char *name;
    const char *how;
    int signal;
    bool folderUnwritable;
    std::vector<const char *> holds;
    std::vector<const char *> lacks;
};

// A row prints as its name, in test names and failures.
void PrintTo(const CrashCase &row, std::ostream *out) { *out << row.name; }

class CrashReportTest : public CrashingProcessTest, public testing::WithParamInterface<CrashCase>
{
};

TEST_P(CrashReportTest, LeavesAReportAndDiesByItsSignal)
{
    const CrashCase &crash = GetParam();
    // Even root cannot open a folder for writing: the report's name is taken by one.
    if (crash.folderUnwritable) {
        ASSERT_TRUE(QDir().mkpath(ReportPath()));
    }
    EXPECT_EQ(Crash(crash.how), crash.signal);
    const QByteArray report = Read(crash.folderUnwritable ? m_state + "/岚汐/crash_probe.dmp" : ReportPath());
    for (const char *text : crash.holds)
        EXPECT_TRUE(report.contains(text)) << text << " in " << report.left(400).constData();
    for (const char *text : crash.lacks)
        EXPECT_FALSE(report.contains(text)) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Crashes, CrashReportTest,
    testing::Values(CrashCase{"NullWrite", "null", SIGSEGV, false,
                              {"signal: 11 (SIGSEGV)", "address: 0x0000000000000000", "rip 0x", "WriteThroughNull",
                               "memory map:", "[stack]"},
                              {}},
                    CrashCase{"Abort", "abort", SIGABRT, false,
                              {"signal: 6 (SIGABRT)", "sent by a process", "sender: ", "AbortOnPurpose"},
                              {"address: "}},
                    CrashCase{"StackOverflow", "overflow", SIGSEGV, false, {"signal: 11 (SIGSEGV)", "OverflowTheStack"}, {}},
                    CrashCase{"UnwritableFolderSendsItToTheStateFolder", "null", SIGSEGV, true,
                              {"signal: 11 (SIGSEGV)", "WriteThroughNull"},
                              {}}),
    [](const testing::TestParamInfo<CrashCase> &param) { return std::string(param.param.name); });

TEST_F(CrashingProcessTest, NoPlaceForTheReportStillEndsBySignal)
{
    ASSERT_TRUE(QDir().mkpath(ReportPath()));
    // The state home is a file: the fallback folder cannot be made either.
    QFile blocker(m_state);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(Crash("abort"), SIGABRT);
    EXPECT_EQ(QDir(ReportPath()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
    EXPECT_EQ(QFileInfo(m_state).size(), 0);
}

} // namespace
