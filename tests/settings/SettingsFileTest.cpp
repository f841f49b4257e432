#include <sys/resource.h>

#include <csignal>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "settings/HotkeySettings.h"

namespace {

class SettingsFileTest : public testing::Test
{
protected:
    QString Path() const { return dir.filePath(QStringLiteral("Statistic.ini")); }

    void Store(const QByteArray &content)
    {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray Content() const
    {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString Read(const char *key) const { return SettingsFile::ReadValue(Path(), "ycj", key, QStringLiteral("2,120")); }

    QTemporaryDir dir;
};

TEST_F(SettingsFileTest, MissingFileSectionOrKeyGiveTheDefault)
{
    EXPECT_EQ(Read("ShortKey"), "2,120");
    Store("[other]\nShortKey=4,65\n");
    EXPECT_EQ(Read("ShortKey"), "2,120");
    Store("[ycj]\nSndKey=4,65\n");
    EXPECT_EQ(Read("ShortKey"), "2,120");
    EXPECT_EQ(Read("SndKey"), "4,65");
    Store("");
    EXPECT_EQ(Read("ShortKey"), "2,120");
}

TEST_F(SettingsFileTest, ValuesReadWithTheProfileRules)
{
    Store("; comment\n[YCJ]\n  shortkey =  4,65  \nShortKey=1,66\nAltWndKey=\nSndKey="
          + QByteArray(40, '7') + "\n");
    EXPECT_EQ(Read("ShortKey"), "4,65");
    EXPECT_EQ(Read("AltWndKey"), "");
    EXPECT_EQ(Read("SndKey"), QString(32, '7'));
}

TEST_F(SettingsFileTest, FilesThatAreNotTextGiveTheDefaultAndAreNotRewritten)
{
    const QByteArray binary("[ycj]\nShortKey=4,65\n\0\x01\x02\xff garbage", 34);
    Store(binary);
    EXPECT_EQ(Read("ShortKey"), "2,120");
    EXPECT_FALSE(SettingsFile::WriteValue(Path(), "ycj", "ShortKey", QStringLiteral("2,121")));
    EXPECT_EQ(Content(), binary);
}

TEST_F(SettingsFileTest, WritingKeepsWhatTheProgramDoesNotKnow)
{
    const QByteArray gbk("\xc4\xe3\xba\xc3", 4);
    Store("; kept comment\n[Other]\nName=" + gbk + "\n\n[ycj]\nShortKey=4,65\nShortKey=1,1\nExtra=yes\n");
    ASSERT_TRUE(SettingsFile::WriteValue(Path(), "ycj", "ShortKey", QStringLiteral("2,121")));
    ASSERT_TRUE(SettingsFile::WriteValue(Path(), "ycj", "SndKey", QStringLiteral("0,0")));
    EXPECT_EQ(Read("ShortKey"), "2,121");
    EXPECT_EQ(Read("SndKey"), "0,0");
    EXPECT_EQ(SettingsFile::ReadValue(Path(), "Other", "Name", {}), QString::fromLocal8Bit(gbk));
    EXPECT_EQ(Read("Extra"), "yes");
    const QByteArray content = Content();
    EXPECT_TRUE(content.contains("; kept comment"));
    EXPECT_TRUE(content.contains("Name=" + gbk));
    EXPECT_EQ(content.count("ShortKey"), 1);
    // Nothing is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Statistic.ini"});
}

TEST_F(SettingsFileTest, AWriteThatRunsOutOfSpaceLeavesTheOldFileWhole)
{
    const QByteArray old = "[ycj]\nShortKey=4,65\n[Other]\nName=" + QByteArray(200, 'x') + "\n";
    Store(old);
    // A file size limit below the new file's size fails the write as a full disk does.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = SettingsFile::WriteValue(Path(), "ycj", "ShortKey", QStringLiteral("2,121"));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(Content(), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Statistic.ini"});
}

TEST_F(SettingsFileTest, AFolderThatCannotHoldTheFileFailsTheWrite)
{
    EXPECT_FALSE(SettingsFile::WriteValue(dir.filePath(QStringLiteral("missing/Statistic.ini")), "ycj", "ShortKey",
                                          QStringLiteral("2,121")));
    EXPECT_FALSE(SettingsFile::WriteValue(QString(), "ycj", "ShortKey", QStringLiteral("2,121")));
}

} // namespace
