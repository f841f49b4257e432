#include "app/ProgramPaths.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include "platform/PlatformFolders.h"

namespace {

TEST(ExeDirPathTest, PutsTheFileBesideTheExecutable)
{
    EXPECT_EQ(ExeDirPathOf("/A/B/x", "Newycj.exe"), "/A/B/Newycj.exe");
    EXPECT_EQ(ExeDirPathOf("/x", "Statistic.ini"), "/Statistic.ini");
    EXPECT_TRUE(ExeDirPathOf("x", "Newycj.exe").isEmpty());
    EXPECT_TRUE(ExeDirPathOf(QString(), "Newycj.exe").isEmpty());
}

TEST(ExeDirPathTest, UsesTheRunningExecutable)
{
    bool ok = false;
    const QString path = ExeDirPath("Statistic.ini", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(QFileInfo(path).absolutePath(), QCoreApplication::applicationDirPath());
    EXPECT_EQ(QFileInfo(path).fileName(), "Statistic.ini");
}

// Reads what the launch probe wrote about itself, waiting for it to appear.
QString WaitForReport(const QString &path)
{
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QString text = QString::fromUtf8(file.readAll());
            if (text.endsWith('\n'))
                return text;
        }
        QThread::msleep(20);
    }
    return {};
}

TEST(LaunchProgramTest, ChildRunsIdleWithoutArguments)
{
    QTemporaryDir dir;
    const QString report = dir.filePath("report");
    qputenv("FENLOW_LAUNCH_REPORT", QFile::encodeName(report));
    LaunchProgram(FENLOW_BIN_DIR "/launch_probe");
    // "argc policy nice" as the child saw them in /proc and through the scheduler calls.
    EXPECT_EQ(WaitForReport(report), "1 5 19\n");
}

TEST(LaunchProgramTest, PathWithBlanksStartsAsOneProgram)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath("a folder/launch probe");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("a folder")));
    ASSERT_TRUE(QFile::copy(FENLOW_BIN_DIR "/launch_probe", copy));
    const QString report = dir.filePath("report");
    qputenv("FENLOW_LAUNCH_REPORT", QFile::encodeName(report));
    LaunchProgram(copy);
    EXPECT_EQ(WaitForReport(report), "1 5 19\n");
}

TEST(LaunchProgramTest, MissingProgramReturnsQuietly)
{
    LaunchProgram("/nonexistent/launcher");
    LaunchProgram("relative-name-without-folder");
    SUCCEED();
}

} // namespace
