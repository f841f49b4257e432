// The uninstall steps: the self-delete script's text, the shortcuts and the start-menu
// folder, and real copies of a program that remove themselves from hostile paths.
#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "app/SelfDeleteScript.h"
#include "app/Shortcuts.h"
#include "app/Uninstall.h"
#include "support/Wait.h"
#include "update/UpdateCheck.h"

namespace {

// Blanks, both quotes, a command substitution, backquotes, "%", a newline and a leading
// "-": each must stay data.
const QString kHostileName = QString::fromUtf8("-x 'a\" $(touch pwned) `touch pwned` %d%s\n岚汐");

// The script runs at idle priority: on a busy machine it may take a while to get its turn.
constexpr int kScriptTimeoutMs = 60000;

bool Touch(const QString &path, const QByteArray &content = "x")
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Runs `sh -n` on a script text: answers whether the shell parses it.
bool ShellParses(const QByteArray &text)
{
    QProcess sh;
    sh.start("sh", {"-n"});
    sh.write(text);
    sh.closeWriteChannel();
    return sh.waitForFinished(10000) && sh.exitStatus() == QProcess::NormalExit && sh.exitCode() == 0;
}

TEST(SelfDeleteScriptTest, EveryPathIsOneQuotedWord)
{
    EXPECT_EQ(ShellQuoted("a b"), "'a b'");
    EXPECT_EQ(ShellQuoted("it's"), "'it'\\''s'");
    const QByteArray exe = QFile::encodeName("/tmp/" + kHostileName + "/fenlow");
    const QByteArray folder = QFile::encodeName("/tmp/" + kHostileName);
    const QByteArray text = SelfDeleteScriptText(exe, folder, "/tmp/DelSelf1.sh", true);
    EXPECT_TRUE(text.startsWith("#!/bin/sh\n"));
    EXPECT_TRUE(text.contains("exe=" + ShellQuoted(exe) + "\n"));
    EXPECT_TRUE(text.contains("folder=" + ShellQuoted(folder) + "\n"));
    EXPECT_TRUE(text.contains("self='/tmp/DelSelf1.sh'\n"));
    EXPECT_TRUE(ShellParses(text));
}

TEST(SelfDeleteScriptTest, OnlyTheLongFormRemovesTheFolder)
{
    const QByteArray alone = SelfDeleteScriptText("/a/fenlow", "/a", "/t/DelSelf.sh", true);
    const QByteArray shared = SelfDeleteScriptText("/a/fenlow", "/a", "/t/DelSelf.sh", false);
    EXPECT_TRUE(alone.contains("rmdir -- \"$folder\""));
    EXPECT_FALSE(shared.contains("rmdir"));
    EXPECT_FALSE(shared.contains("$folder\"/"));
    // Both end by deleting the script itself.
    EXPECT_TRUE(alone.endsWith("rm -f -- \"$self\"\n"));
    EXPECT_TRUE(shared.endsWith("rm -f -- \"$self\"\n"));
}

TEST(SelfDeleteScriptTest, PlaceholderTextInAPathChangesNothing)
{
    const QByteArray text = SelfDeleteScriptText("/a/%FOLDER%%SELF%/fenlow", "/a/%FOLDER%%SELF%", "/t/%EXE%.sh", true);
    EXPECT_TRUE(text.contains("exe='/a/%FOLDER%%SELF%/fenlow'\n"));
    EXPECT_TRUE(text.contains("folder='/a/%FOLDER%%SELF%'\n"));
    EXPECT_TRUE(text.contains("self='/t/%EXE%.sh'\n"));
}

TEST(CountFilesInTreeTest, CountsFilesThroughSubfoldersAndLinksAsFiles)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    EXPECT_EQ(CountFilesInTree(temp.path()), 0);
    ASSERT_TRUE(QDir().mkpath(temp.filePath("a/b/c")));
    EXPECT_EQ(CountFilesInTree(temp.path()), 0);
    ASSERT_TRUE(Touch(temp.filePath("a/b/c/deep")));
    ASSERT_TRUE(Touch(temp.filePath(".hidden")));
    ASSERT_TRUE(QFile::link(temp.filePath("a"), temp.filePath("loop")));
    EXPECT_EQ(CountFilesInTree(temp.path()), 3);
    EXPECT_EQ(CountFilesInTree(temp.filePath("missing")), 1);
}

TEST(PackageOwnershipTest, OnlyAnExactLineOfTheListCounts)
{
    QTemporaryDir temp;
    ASSERT_TRUE(Touch(temp.filePath("fenlow.list"), "/.\n/usr/lib/fenlow\n/usr/lib/fenlow/fenlow\n"));
    EXPECT_TRUE(IsOwnedByPackage("/usr/lib/fenlow/fenlow", temp.filePath("fenlow.list")));
    EXPECT_FALSE(IsOwnedByPackage("/usr/lib/fenlow/fen", temp.filePath("fenlow.list")));
    EXPECT_FALSE(IsOwnedByPackage("/home/u/fenlow", temp.filePath("fenlow.list")));
    EXPECT_FALSE(IsOwnedByPackage("/usr/lib/fenlow/fenlow", temp.filePath("missing.list")));
}

// Points the user's folders at a temporary home for the cases below.
class UserFoldersTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            m_saved.emplace_back(name, qgetenv(name));
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath("data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath("config")));
        ASSERT_TRUE(QDir().mkpath(Desktop()));
        ASSERT_TRUE(QDir().mkpath(Menu()));
    }
    void TearDown() override
    {
        for (const auto &[name, value] : m_saved)
            qputenv(name, value);
    }

    QString Desktop() const { return m_home.filePath("Desktop"); }
    QString Menu() const { return m_home.filePath("data/applications/岚汐登录器"); }

    QTemporaryDir m_home;
    std::vector<std::pair<const char *, QByteArray>> m_saved;
};

TEST_F(UserFoldersTest, ShortcutsGoAndTheEmptyMenuFolderWith)
{
    const QStringList shortcuts = ShortcutPaths(Desktop(), m_home.filePath("data/applications"));
    ASSERT_EQ(shortcuts.size(), 4);
    EXPECT_EQ(shortcuts[0], Desktop() + "/岚汐翼川记官网.desktop");
    EXPECT_EQ(shortcuts[3], Menu() + "/卸载 岚汐翼川记极速登录器.desktop");
    for (const QString &path : shortcuts)
        ASSERT_TRUE(Touch(path));
    ASSERT_TRUE(Touch(Desktop() + "/other.desktop"));

    EXPECT_TRUE(RemoveShortcutsAndStartMenu());
    for (const QString &path : shortcuts)
        EXPECT_FALSE(QFile::exists(path)) << path.toStdString();
    EXPECT_FALSE(QFile::exists(Menu()));
    EXPECT_TRUE(QFile::exists(Desktop() + "/other.desktop"));
}

TEST_F(UserFoldersTest, MenuFolderWithAFileInASubfolderStays)
{
    ASSERT_TRUE(QDir().mkpath(Menu() + "/more"));
    ASSERT_TRUE(Touch(Menu() + "/more/kept.desktop"));
    EXPECT_TRUE(RemoveShortcutsAndStartMenu());
    EXPECT_TRUE(QFile::exists(Menu() + "/more/kept.desktop"));
}

TEST_F(UserFoldersTest, NothingPresentChangesNothing)
{
    ASSERT_TRUE(QDir(Menu()).removeRecursively());
    EXPECT_TRUE(RemoveShortcutsAndStartMenu());
    EXPECT_TRUE(QFile::exists(Desktop()));
    EXPECT_FALSE(QFile::exists(Menu()));
}

TEST_F(UserFoldersTest, UpdateTimeStoreGoesWithAllItHolds)
{
    const QString store = m_home.filePath("config/岚汐/ViziDuved/ycj");
    EXPECT_EQ(UpdateTimeStoreFolder(), store);
    ASSERT_TRUE(QDir().mkpath(store + "/sub"));
    ASSERT_TRUE(Touch(store + "/UpdTime"));
    ASSERT_TRUE(Touch(store + "/sub/more"));
    RemoveUpdateTimeStore();
    EXPECT_FALSE(QFile::exists(store));
    EXPECT_TRUE(QFile::exists(m_home.filePath("config/岚汐/ViziDuved")));
}

TEST_F(UserFoldersTest, UpdateTimeStoreThatIsALinkIsNotFollowed)
{
    const QString store = m_home.filePath("config/岚汐/ViziDuved/ycj");
    ASSERT_TRUE(QDir().mkpath(m_home.filePath("config/岚汐/ViziDuved")));
    ASSERT_TRUE(QDir().mkpath(m_home.filePath("precious")));
    ASSERT_TRUE(Touch(m_home.filePath("precious/file")));
    ASSERT_TRUE(QFile::link(m_home.filePath("precious"), store));
    RemoveUpdateTimeStore();
    EXPECT_FALSE(QFileInfo(store).isSymLink());
    EXPECT_TRUE(QFile::exists(m_home.filePath("precious/file")));
}

// Real copies of a program that write the self-delete script for themselves.
class SelfDeleteTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.isValid());
        m_work = m_temp.filePath("work");
        m_folder = m_work + "/" + kHostileName;
        m_scripts = m_temp.filePath("tmp");
        ASSERT_TRUE(QDir().mkpath(m_folder));
        ASSERT_TRUE(QDir().mkpath(m_scripts));
        m_copy = m_folder + "/fenlow";
        ASSERT_TRUE(QFile::copy(FENLOW_BIN_DIR "/self_delete_probe", m_copy));
        ASSERT_TRUE(Touch(m_work + "/neighbour"));
    }

    void TearDown() override
    {
        for (auto &process : m_processes) {
            process->closeWriteChannel();
            process->waitForFinished();
        }
        // No script may be left waiting once the case ends.
        QFile::remove(m_copy);
    }

    // Starts a copy; answers it once it has written its script.
    QProcess *Start()
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TMPDIR", m_scripts);
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(m_work);
        process->start(m_copy, {});
        if (!process->waitForReadyRead(10000))
            return nullptr;
        m_processes.push_back(std::move(process));
        return m_processes.back().get();
    }

    static void End(QProcess *process)
    {
        process->closeWriteChannel();
        process->waitForFinished();
    }

    QStringList Scripts() const { return QDir(m_scripts).entryList({"DelSelf*.sh"}, QDir::Files); }

    // Each waiting script pauses between its checks for the running copy. Notes the
    // pauses the scripts of this case are in now and answers how many distinct ones the
    // script with the fewest has been seen in since ForgetPauses(); 0 while fewer than
    // `scripts` run.
    int FewestPausesSeen(int scripts)
    {
        const QByteArray script = QFile::encodeName(m_scripts + "/DelSelf");
        const auto read = [](const QString &pid, const char *file) {
            QFile entry("/proc/" + pid + "/" + file);
            return entry.open(QIODevice::ReadOnly) ? entry.readAll() : QByteArray();
        };
        std::set<QString> shells;
        const QStringList processes = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &pid : processes) {
            if (read(pid, "cmdline").contains(script))
                shells.insert(pid);
        }
        for (const QString &pid : processes) {
            // "<pid> (<name>) <state> <parent> ..."
            const QByteArray stat = read(pid, "stat");
            const qsizetype open = stat.indexOf('('), close = stat.lastIndexOf(')');
            const QString parent = QString::fromLatin1(stat.mid(close + 2).split(' ').value(1));
            if (open >= 0 && stat.mid(open + 1, close - open - 1) == "sleep" && shells.count(parent))
                m_pauses[parent].insert(pid);
        }
        if (static_cast<int>(shells.size()) < scripts)
            return 0;
        int fewest = INT_MAX;
        for (const QString &shell : shells)
            fewest = std::min(fewest, static_cast<int>(m_pauses[shell].size()));
        return fewest;
    }
    void ForgetPauses() { m_pauses.clear(); }
    bool Pwned() const
    {
        return QFile::exists(m_work + "/pwned") || QFile::exists(m_folder + "/pwned") || QFile::exists("/pwned")
            || QFile::exists(m_scripts + "/pwned");
    }

    QTemporaryDir m_temp;
    QString m_work;
    QString m_folder;
    QString m_scripts;
    QString m_copy;
    std::vector<std::unique_ptr<QProcess>> m_processes;
    // Per script shell, the pauses it was seen in.
    std::map<QString, std::set<QString>> m_pauses;
};

TEST_F(SelfDeleteTest, AloneInItsFolderTheCopyAndTheFolderGo)
{
    QProcess *copy = Start();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Scripts().size(), 1);
    // The script waits for the process: after two of its checks (three pauses) the copy
    // is still there.
    ASSERT_EVENTUALLY(FewestPausesSeen(1) >= 3 || !QFile::exists(m_copy), kScriptTimeoutMs);
    EXPECT_TRUE(QFile::exists(m_copy));
    End(copy);
    ASSERT_EVENTUALLY(!QFile::exists(m_folder), kScriptTimeoutMs);
    EXPECT_EVENTUALLY(Scripts().isEmpty(), kScriptTimeoutMs);
    EXPECT_TRUE(QFile::exists(m_work + "/neighbour"));
    EXPECT_FALSE(Pwned());
}

TEST_F(SelfDeleteTest, WithSettingsBesideItOnlyTheExecutableGoes)
{
    ASSERT_TRUE(Touch(m_folder + "/Statistic.ini", "[Hotkey]\n"));
    QProcess *copy = Start();
    ASSERT_NE(copy, nullptr);
    End(copy);
    ASSERT_EVENTUALLY(!QFile::exists(m_copy), kScriptTimeoutMs);
    EXPECT_EVENTUALLY(Scripts().isEmpty(), kScriptTimeoutMs);
    EXPECT_TRUE(QFile::exists(m_folder + "/Statistic.ini"));
    EXPECT_TRUE(QFile::exists(m_work + "/neighbour"));
    EXPECT_FALSE(Pwned());
}

TEST_F(SelfDeleteTest, WaitsWhileASecondInstanceRuns)
{
    ASSERT_TRUE(Touch(m_folder + "/Statistic.ini"));
    QProcess *first = Start();
    ASSERT_NE(first, nullptr);
    QProcess *second = Start();
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(Scripts().size(), 2);
    End(first);
    // Both scripts checked twice since the first copy ended, and found the second.
    ForgetPauses();
    ASSERT_EVENTUALLY(FewestPausesSeen(2) >= 3 || !QFile::exists(m_copy), kScriptTimeoutMs);
    EXPECT_TRUE(QFile::exists(m_copy));
    EXPECT_EQ(Scripts().size(), 2);
    End(second);
    ASSERT_EVENTUALLY(!QFile::exists(m_copy), kScriptTimeoutMs);
    EXPECT_EVENTUALLY(Scripts().isEmpty(), kScriptTimeoutMs);
    EXPECT_TRUE(QFile::exists(m_folder + "/Statistic.ini"));
    EXPECT_FALSE(Pwned());
}

} // namespace
