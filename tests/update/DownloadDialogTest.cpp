// The download dialog with real clicks and keys under X11 against a loopback server of
// the tests' own: the whole download and start of an installer, the broken ones, and
// Cancel at any moment.
#include "update/CDownGameDlg.h"

#include <chrono>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include "game/GameTestSupport.h"
#include "skin/CBtnEx.h"
#include "skin/CImgProgress.h"
#include "skin/CStaticEx.h"
#include "skin/MessageBoxLayout.h"
#include "support/EventCount.h"
#include "support/FaultHttpServer.h"
#include "support/SigningTool.h"
#include "support/Wait.h"
#include "update/PendingDeletions.h"

namespace {

using Mode = FaultHttpServer::Mode;
using Reply = FaultHttpServer::Reply;

constexpr char kDescriptorPath[] = "/wd/qovan/XyzWDUpdate.htm";
constexpr char kInstallerPath[] = "/games/xyz/setup";

// Clicks the middle of `widget` with the real pointer.
void Click(QWidget *widget)
{
    const QPoint at = widget->mapToGlobal(widget->rect().center());
    // Moving off first lets the move to the target always generate motion.
    GameTestSupport::Xdotool({"mousemove", QString::number(at.x() + 1), QString::number(at.y() + 1)});
    GameTestSupport::Xdotool({"mousemove", QString::number(at.x()), QString::number(at.y())});
    TestWait::ProcessFor(50);
    GameTestSupport::Xdotool({"click", "1"});
}

void PressKey(QWidget *window, const QString &key)
{
    GameTestSupport::Xdotool({"windowfocus", "--sync", QString::number(window->winId()), "key", key});
}

CBtnEx *CaptionClose(QWidget *dialog)
{
    for (CBtnEx *button : dialog->findChildren<CBtnEx *>()) {
        if (button->GetDlgCtrlID() == kCaptionCloseId)
            return button;
    }
    return nullptr;
}

class DownloadDialogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs an X display";
        ASSERT_TRUE(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath("config")));
        qputenv("FENLOW_TEST_INSTALLER_MARK", QFile::encodeName(Mark()));
        ASSERT_TRUE(QDir().mkpath(m_home.filePath("exe")) && QDir().mkpath(m_home.filePath("tmp")));
        m_installer = "#!/bin/sh\necho \"$0 $#\" > \"$FENLOW_TEST_INSTALLER_MARK\"\n#" + std::string(4000, 'x') + "\n";
        m_server.Set(kDescriptorPath, Reply::With(200, "[VerKey]\r\nXyz=abc\r\nUpdAddr=" + m_server.Url(kInstallerPath) + "\r\n"));
        m_server.Set(kInstallerPath, Reply::With(200, m_installer));
    }

    GameDownloadPlaces Places() const
    {
        return {QString::fromStdString(m_server.Url("/wd/qovan/ycjWDUpdate.htm")),
                "http://127.0.0.1:" + QString::number(m_server.Port()), m_home.filePath("exe"), m_home.filePath("tmp"),
                m_key};
    }
    QString Mark() const { return m_home.filePath("installer-ran"); }
    // The dialog's installer path, taken once its download started.
    QString Installer() const { return m_installerPath; }

    // Runs the dialog for "Xyz"; `drive` runs inside its modal loop once it shows.
    int Run(const std::function<void(CDownGameDlg &)> &drive, const QString &name = "Xyz")
    {
        CDownGameDlg dialog(name, Places());
        QTimer::singleShot(0, &dialog, [&] {
            if (!TestWait::Until([&] { return dialog.isVisible(); }))
                ADD_FAILURE() << "the dialog did not show";
            m_installerPath = dialog.InstallerPath();
            drive(dialog);
        });
        const int result = dialog.DoModal();
        m_workerDoneAtReturn = dialog.WorkerDone();
        m_installerLeftAtReturn = QFile::exists(Installer());
        return result;
    }

    // Runs the dialog to "下载失败" and leaves it with OK; no installer may have started.
    void FailAndClose()
    {
        const int result = Run([&](CDownGameDlg &dialog) {
            ASSERT_EVENTUALLY(dialog.Title() == "下载失败");
            ASSERT_EVENTUALLY(dialog.OkButton()->isEnabled());
            Click(dialog.OkButton());
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_FALSE(QFile::exists(Mark()));
    }

    QTemporaryDir m_home;
    FaultHttpServer m_server;
    std::string m_installer;
    DescriptorKey m_key;
    bool m_workerDoneAtReturn = false;
    bool m_installerLeftAtReturn = true;
    QString m_installerPath;
};

TEST_F(DownloadDialogTest, DownloadsStartsTheInstallerAndOffersOk)
{
    // What another user planted at the shared temporary folder's old installer name
    // neither receives the download nor runs.
    const QString planted = m_home.filePath("tmp/Xyz.exe");
    const QString victim = m_home.filePath("victim");
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
    }
    ASSERT_TRUE(QFile::link(victim, planted));
    const int result = Run([&](CDownGameDlg &dialog) {
        EXPECT_EQ(dialog.size(), QSize(417, 138));
        EXPECT_FALSE(dialog.OkButton()->isEnabled());
        ASSERT_EVENTUALLY(dialog.Title() == "下载完成");
        EXPECT_EQ(dialog.Status()->m_strText, "已加载  100%");
        EXPECT_EQ(dialog.Progress()->value(), 100);
        ASSERT_EVENTUALLY(dialog.OkButton()->isEnabled());
        EXPECT_FALSE(dialog.CancelButton()->isEnabled());
        // The installer ran with no arguments, from its executable file.
        ASSERT_EVENTUALLY(QFile::exists(Mark()));
        QFile mark(Mark());
        ASSERT_TRUE(mark.open(QIODevice::ReadOnly));
        EXPECT_EQ(mark.readAll().trimmed(), (Installer() + " 0").toUtf8());
        const QFileInfo folder(QFileInfo(Installer()).path());
        EXPECT_EQ(folder.path(), m_home.filePath("tmp"));
        EXPECT_EQ(folder.permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser
                                            | QFile::WriteUser | QFile::ExeUser);
        if (qEnvironmentVariableIsSet("FENLOW_SHOT_DIR"))
            dialog.grab().save(qEnvironmentVariable("FENLOW_SHOT_DIR") + "/download-done.png");
        Click(dialog.OkButton());
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(QFile::exists(m_home.filePath("exe/Xyz.ini")));
    // The started installer keeps its file until the next start of the launcher.
    PendingDeletions::WorkOff();
    EXPECT_FALSE(QFile::exists(Installer()));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(Installer()).path()));
    EXPECT_TRUE(QFileInfo(planted).isSymLink());
    QFile kept(victim);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "kept");
}

TEST_F(DownloadDialogTest, BrokenDownloadsEndInFailureWithOkUsable)
{
    const std::string installerUrl = m_server.Url(kInstallerPath);
    Reply shorter = Reply::With(200, m_installer.substr(0, 100));
    shorter.announced = (long long)m_installer.size();
    struct Case {
        const char *what;
        Reply descriptor;
        Reply installer;
    } cases[] = {
        {"descriptor missing", Reply::With(404, "gone"), Reply::With(200, m_installer)},
        {"no UpdAddr", Reply::With(200, "[VerKey]\nXyz=abc\n"), Reply::With(200, m_installer)},
        {"installer on another host",
         Reply::With(200, "[VerKey]\nUpdAddr=http://localhost:" + std::to_string(m_server.Port()) + kInstallerPath + "\n"),
         Reply::With(200, m_installer)},
        {"short installer", Reply::With(200, "[VerKey]\nUpdAddr=" + installerUrl + "\n"), shorter},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_server.Set(kDescriptorPath, c.descriptor);
        m_server.Set(kInstallerPath, c.installer);
        const int hitsBefore = m_server.Hits(kInstallerPath);
        FailAndClose();
        EXPECT_FALSE(QFile::exists(Installer()));
        EXPECT_FALSE(QFile::exists(Mark()));
        if (c.installer.body == m_installer) {
            EXPECT_EQ(m_server.Hits(kInstallerPath), hitsBefore) << "the installer was requested";
        }
    }
}

TEST_F(DownloadDialogTest, WithAPlatformKeyOnlyASignedDescriptorsInstallerRuns)
{
    QTemporaryDir keys;
    const SigningTool::KeyPair platform = SigningTool::NewKeyPair(keys.path(), "platform.key");
    const SigningTool::KeyPair other = SigningTool::NewKeyPair(keys.path(), "other.key");
    m_key = DescriptorKey::FromSetting(platform.publicKey);
    const QByteArray installer = QByteArray::fromStdString(m_installer);
    const auto describe = [&](const QByteArray &file) {
        return "[VerKey]\r\nXyz=" + QCryptographicHash::hash(file, QCryptographicHash::Md5).toHex() + "\r\nUpdAddr="
            + QByteArray::fromStdString(m_server.Url(kInstallerPath)) + "\r\n";
    };
    QByteArray lf = SigningTool::Sign(platform.keyFile, describe(installer));
    lf.replace("\r\n", "\n");
    const std::pair<const char *, QByteArray> refused[] = {
        {"unsigned", describe(installer)}, {"another key", SigningTool::Sign(other.keyFile, describe(installer))},
        {"LF for CR LF", lf}};
    for (const auto &[what, descriptor] : refused) {
        SCOPED_TRACE(what);
        m_server.Set(kDescriptorPath, Reply::With(200, descriptor.toStdString()));
        FailAndClose();
    }
    EXPECT_EQ(m_server.Hits(kInstallerPath), 0);

    // Signed, but the installer served is not the file it describes.
    m_server.Set(kDescriptorPath, Reply::With(200, SigningTool::Sign(platform.keyFile, describe("other")).toStdString()));
    FailAndClose();
    EXPECT_EQ(m_server.Hits(kInstallerPath), 1);
    EXPECT_FALSE(QFile::exists(Installer()));
    EXPECT_FALSE(QFile::exists(Mark()));

    m_server.Set(kDescriptorPath, Reply::With(200, SigningTool::Sign(platform.keyFile, describe(installer)).toStdString()));
    Run([&](CDownGameDlg &dialog) {
        ASSERT_EVENTUALLY(dialog.Title() == "下载完成");
        ASSERT_EVENTUALLY(QFile::exists(Mark()));
        ASSERT_EVENTUALLY(dialog.OkButton()->isEnabled());
        Click(dialog.OkButton());
    });
}

TEST_F(DownloadDialogTest, CancelEndsAStalledDownloadAtOnce)
{
    for (const long long stallAfter : {1LL, (long long)m_installer.size() / 2}) {
        SCOPED_TRACE(stallAfter);
        Reply stalled = Reply::With(200, m_installer);
        stalled.mode = Mode::Stall;
        stalled.stallAfter = stallAfter;
        m_server.Set(kInstallerPath, stalled);
        const int expected = int(stallAfter * 100 / (long long)m_installer.size());
        QElapsedTimer sinceClick;
        const int result = Run([&](CDownGameDlg &dialog) {
            ASSERT_EVENTUALLY(dialog.Status()->m_strText == QStringLiteral("已加载  %1%").arg(expected));
            ASSERT_EVENTUALLY(QFile::exists(Installer()));
            if (expected > 0 && qEnvironmentVariableIsSet("FENLOW_SHOT_DIR"))
                dialog.grab().save(qEnvironmentVariable("FENLOW_SHOT_DIR") + "/download-progress.png");
            sinceClick.start();
            Click(dialog.CancelButton());
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_LT(sinceClick.elapsed(), 2000);
        EXPECT_TRUE(m_workerDoneAtReturn);
        EXPECT_FALSE(m_installerLeftAtReturn);
        EXPECT_FALSE(QFile::exists(Mark()));
    }
}

TEST_F(DownloadDialogTest, TheCloseButtonIsInertWhileDownloadingAndEscapeCancels)
{
    Reply stalled = Reply::With(200, m_installer);
    stalled.mode = Mode::Stall;
    stalled.stallAfter = 1;
    m_server.Set(kInstallerPath, stalled);
    const int result = Run([&](CDownGameDlg &dialog) {
        ASSERT_EVENTUALLY(dialog.Status()->m_strText == "已加载  0%");
        CBtnEx *close = CaptionClose(&dialog);
        ASSERT_NE(close, nullptr);
        // The button's release posts a close request; the dialog refuses it.
        EventCount closeRequests(&dialog, QEvent::Close);
        Click(close);
        ASSERT_EVENTUALLY(closeRequests.count == 1);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(dialog.Title(), "游戏下载中...");
        PressKey(&dialog, "Escape");
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(m_workerDoneAtReturn);
    EXPECT_FALSE(m_installerLeftAtReturn);
}

TEST_F(DownloadDialogTest, AnEmptyNameDownloadsNothing)
{
    const int result = Run(
        [&](CDownGameDlg &dialog) {
            EXPECT_TRUE(dialog.OkButton()->isEnabled());
            EXPECT_TRUE(dialog.CancelButton()->isEnabled());
            EXPECT_EQ(dialog.Title(), "游戏下载中...");
            Click(CaptionClose(&dialog));
        },
        QString());
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(m_server.Hits(kDescriptorPath), 0);
}

} // namespace
