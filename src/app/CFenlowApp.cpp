#include "app/CFenlowApp.h"

#include <cstdio>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QStringList>
#include <QTranslator>

#include "app/CrashFilter.h"
#include "base/InstanceChannel.h"
#include "base/ProgramTitle.h"
#include "app/Uninstall.h"
#include "game/CFenlowDlg.h"
#include "game/CGameWnd.h"
#include "login/CLoginBkDlg.h"
#include "platform/DisplayServer.h"
#include "platform/ExitSignals.h"
#include "platform/PlatformFolders.h"
#include "update/PendingDeletions.h"
#include "update/SelfUpdate.h"
#include "update/UpdateCheck.h"
#include "game/GamePageList.h"
#include "web/WebEngineSetup.h"

namespace {

const char *const kAskHandOver = "检测到已经有一个岚汐翼川记在运行，是否在已运行的窗口上登录新账号？";
const char *const kAskUninstall = "确定要移除 岚汐翼川记极速登录器吗？";
const char *const kHandOverFailed = "在当前运行程序中进入游戏失败，将在新窗口中打开游戏";
const char *const kRemoved = "岚汐翼川记已成功移除，部分文件将在程序退出\r\n或计算机重启后自行删除";
const char *const kNoDisplay = "fenlow: no X display can be reached (DISPLAY=\"%s\"); the launcher needs an X server "
                               "or, in a Wayland session, XWayland\n";
const char *const kRemovePackage = "\r\n程序文件由软件包 fenlow 安装，请用“sudo apt remove fenlow”删除";

QStringList ArgumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

CFenlowApp::CFenlowApp(int &argc, char **argv)
    : m_argc(argc)
    , m_argv(argv)
{
}

CFenlowApp::~CFenlowApp() = default;

int CFenlowApp::Run()
{
    InitInstance();
    return ExitInstance();
}

bool CFenlowApp::InitInstance()
{
    InstallCrashFilter();
    // First of all: a signal from now on is kept until the event loop can end the program.
    ExitSignals::Install();
    m_mode = ClassifyStartMode(ArgumentsOf(m_argc, m_argv), PlatformFolders::ExecutablePath(),
                               PlatformFolders::CommonAppData());

    // The web switch only asks whether this program starts at all: it ends before any
    // window system is touched.
    if (m_mode == StartMode::WebSwitch)
        return false;
    PendingDeletions::WorkOff();

    if (!StartGui())
        return false;
    if (m_mode == StartMode::Uninstall) {
        Uninstall();
        return true;
    }
    // The platform's hosts are read here once; every window and the update take them from here.
    m_hosts = PlatformHosts::Installed();
    if (UpdateAtStart() || Ending())
        return true;

    if (InstanceChannel::AnyInstanceRunning() && (HandOverToRunningInstance() || Ending()))
        return false;

    SetBrowserCacheLimit();
    const GamePageFactory pageFactory = CGameWnd::Factory(m_hosts);
    {
        // The ended login window goes before the main window opens, and with it its page
        // and the page's renderer process.
        CLoginBkDlg login(nullptr, pageFactory, m_hosts.LoginPageUrl());
        login.DoModal();
    }
    // The main window opens only when the login entered at least one game page.
    if (GamePageList::Instance().Count() > 0 && !Ending()) {
        // Each further login, and the tab it enters, keeps its account apart in a store
        // of its own.
        CFenlowDlg main(m_hosts, [this, pageFactory](QWidget *owner) {
            return std::make_unique<CLoginBkDlg>(owner, pageFactory, m_hosts.LoginPageUrl(),
                                                 WebEngineSetup::NewSlot());
        });
        m_main = &main;
        main.DoModal();
        m_main = nullptr;
    }
    return false;
}

int CFenlowApp::ExitInstance()
{
    return m_exitCode;
}

bool CFenlowApp::StartGui()
{
    if (!m_gui) {
        if (!DisplayServer::ChoosePlatform()) {
            std::fprintf(stderr, kNoDisplay, qgetenv("DISPLAY").constData());
            m_exitCode = 1;
            return false;
        }
        WebEngineSetup::BeforeApplication();
        m_gui = std::make_unique<QApplication>(m_argc, m_argv);
        DisplayServer::ForgetPlatformChoice();
        DisplayServer::WhenDisplayLost([this] { EndWithoutDisplay(); });
        auto *notifier = new QSocketNotifier(ExitSignals::ReadFd(), QSocketNotifier::Read, m_gui.get());
        QObject::connect(notifier, &QSocketNotifier::activated, m_gui.get(), [this, notifier] {
            notifier->setEnabled(false);
            EndOnSignal();
        });
        QCoreApplication::setApplicationVersion(QStringLiteral(FENLOW_VERSION_TEXT));
        QApplication::setQuitOnLastWindowClosed(false);
        // Every text of the launcher is Chinese; the framework's and the web engine's own
        // texts (是, 否, 确定 in their message boxes) follow, whatever the user's locale.
        for (const char *catalog : {"qtbase", "qtwebengine"}) {
            auto *translator = new QTranslator(m_gui.get());
            if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QLatin1String(catalog),
                                 QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
                QCoreApplication::installTranslator(translator);
        }
    }
    return true;
}

void CFenlowApp::EndOnSignal()
{
    // Every event loop ends, the modal ones of a login, a message box or the update's
    // progress too; the windows then close in order and the web profile goes to disk as
    // the program's objects are destroyed.
    if (m_main)
        m_main->ExitProgram();
    else
        QCoreApplication::exit(0);
}

void CFenlowApp::EndWithoutDisplay()
{
    if (m_main)
        m_main->ExitProgram();
    // The windows cannot close in order any more; their pages go first, then the
    // profile with the application object, which writes cookies and storage.
    DeleteEveryPage();
    m_gui.reset();
}

bool CFenlowApp::Ending()
{
    return ExitSignals::Received() != 0;
}

bool CFenlowApp::UpdateAtStart()
{
    UpdateDescriptor offer;
    if (!CheckForUpdate(m_hosts, false, &offer) || !ApplyUpdate(m_hosts, offer))
        return false;
    RecordUpdateTime();
    return true;
}

bool CFenlowApp::HandOverToRunningInstance()
{
    if (m_mode != StartMode::InstalledCopy) {
        const auto answer = QMessageBox::question(nullptr, QString::fromUtf8(kProgramTitle), QString::fromUtf8(kAskHandOver),
                                                  QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return false;
    }
    if (InstanceChannel::HandOver())
        return true;
    QMessageBox::information(nullptr, QString::fromUtf8(kProgramTitle), QString::fromUtf8(kHandOverFailed));
    return false;
}

void CFenlowApp::Uninstall()
{
    const auto answer = QMessageBox::question(nullptr, QString::fromUtf8(kProgramTitle), QString::fromUtf8(kAskUninstall),
                                              QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::No)
        return;
    RemoveUpdateTimeStore();
    RemoveShortcutsAndStartMenu();
    // The package manager owns an executable the package installed; only it removes it.
    QString closing = QString::fromUtf8(kRemoved);
    if (IsOwnedByPackage(PlatformFolders::ExecutablePath(), OwnPackageFileList()))
        closing += QString::fromUtf8(kRemovePackage);
    else
        WriteSelfDeleteScript();
    QMessageBox::information(nullptr, QString::fromUtf8(kProgramTitle), closing);
}
