// A game page's request for the demo game "xyz" against the demo platform: without its
// launcher the page offers the download, OK downloads and runs the demo's installer,
// and the next request starts the launcher it installed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "base/StartMode.h"
#include "game/CGameWnd.h"
#include "game/GameTestSupport.h"
#include "skin/CBtnEx.h"
#include "skin/CImgProgress.h"
#include "skin/MessageBoxLayout.h"
#include "support/Wait.h"
#include "update/CDownGameDlg.h"

namespace {

TEST(GameDownloadDemoTest, DownloadsInstallsAndThenStartsTheXyzLauncher)
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("FENLOW_DEMO_PORT")) << "needs the demo platform";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    // The installer and the launcher it installs write below HOME and XDG_DATA_HOME.
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    const QString launcher = InstallFolder() + "/Xyz.exe";
    ASSERT_TRUE(launcher.startsWith(home.path()));
    ASSERT_FALSE(QFile::exists(launcher));

    GameTestSupport::MessageBoxAnswerer answerer(IDOK);
    QString finalTitle;
    bool sawProgress = false;
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<CDownGameDlg *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        sawProgress = sawProgress || dialog->Progress()->value() > 0;
        if (dialog->OkButton()->isEnabled()) {
            finalTitle = dialog->Title();
            if (qEnvironmentVariableIsSet("FENLOW_SHOT_DIR"))
                dialog->grab().save(qEnvironmentVariable("FENLOW_SHOT_DIR") + "/download-xyz.png");
            dialog->OkButton()->click();
        }
    });
    driver.start();

    // The demo platform's hosts, as this build's Platform.ini names them.
    CGameWnd page({}, PlatformHosts::Installed());
    page.LaunchGameLauncher("app://entergame|xyz");
    ASSERT_EQ(answerer.texts.size(), 1);
    EXPECT_EQ(answerer.titles.first(), "qovan游戏平台");
    EXPECT_EQ(answerer.texts.first(), "下载翼川记登录器，玩游戏更加方便快捷，现在就去下载吧？");
    EXPECT_EQ(finalTitle, "下载完成");
    EXPECT_TRUE(sawProgress);
    // The installer writes the launcher first and records the installation after it.
    ASSERT_EVENTUALLY(QFile::exists(home.filePath(".qovan-xyz-installed")));
    EXPECT_TRUE(QFile::exists(launcher));

    // Now installed: the request starts the launcher without a question.
    page.LaunchGameLauncher("app://entergame|xyz");
    EXPECT_EQ(answerer.texts.size(), 1);
    ASSERT_EVENTUALLY(QFile::exists(home.filePath(".qovan-xyz-started")));
}

} // namespace
