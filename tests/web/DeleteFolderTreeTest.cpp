#include <sys/stat.h>

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "web/DeleteFolderTree.h"

namespace {

void Write(const QString &path, const QByteArray &content = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

class DeleteFolderTreeTest : public testing::Test
{
protected:
    QString Path(const QString &relative) const { return m_root.path() + "/" + relative; }

    QTemporaryDir m_root;
};

TEST_F(DeleteFolderTreeTest, DeletesEverythingInsideButNothingALinkPointsTo)
{
    Write(Path("outside/keep.txt"));
    Write(Path("cache/a.bin"));
    Write(Path("cache/sub/deeper/b.bin"));
    Write(Path("cache/readonly.bin"));
    ASSERT_EQ(chmod(Path("cache/readonly.bin").toLocal8Bit(), 0444), 0);
    Write(Path("cache/locked/c.bin"));
    ASSERT_EQ(chmod(Path("cache/locked").toLocal8Bit(), 0500), 0);
    ASSERT_TRUE(QFile::link(Path("outside"), Path("cache/to-outside")));
    ASSERT_TRUE(QFile::link(Path("outside/keep.txt"), Path("cache/sub/to-file")));
    ASSERT_TRUE(QFile::link(Path("nowhere"), Path("cache/dangling")));

    EXPECT_TRUE(DeleteFolderTree(Path("cache")));
    EXPECT_FALSE(QFileInfo::exists(Path("cache")));
    EXPECT_TRUE(QFile::exists(Path("outside/keep.txt")));
    EXPECT_EQ(QDir(Path("outside")).entryList(QDir::Files), QStringList{"keep.txt"});
}

TEST_F(DeleteFolderTreeTest, AFolderThatIsALinkIsNeitherFollowedNorRemoved)
{
    Write(Path("outside/keep.txt"));
    ASSERT_TRUE(QFile::link(Path("outside"), Path("cache")));

    errno = 0;
    EXPECT_FALSE(DeleteFolderTree(Path("cache")));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_TRUE(QFileInfo(Path("cache")).isSymLink());
    EXPECT_TRUE(QFile::exists(Path("outside/keep.txt")));
}

TEST_F(DeleteFolderTreeTest, EmptyAndMissingFolders)
{
    ASSERT_TRUE(QDir().mkpath(Path("empty")));
    EXPECT_TRUE(DeleteFolderTree(Path("empty/")));
    EXPECT_FALSE(QFileInfo::exists(Path("empty")));

    // Nothing to remove is reported as the failed removal, and changes nothing else.
    errno = 0;
    EXPECT_FALSE(DeleteFolderTree(Path("missing")));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_TRUE(QFileInfo::exists(m_root.path()));
}

TEST_F(DeleteFolderTreeTest, AFileInThePlaceOfTheFolderStays)
{
    Write(Path("cache"), "not a folder");
    EXPECT_FALSE(DeleteFolderTree(Path("cache")));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_TRUE(QFile::exists(Path("cache")));
}

} // namespace
