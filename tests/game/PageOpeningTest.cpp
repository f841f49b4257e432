#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QWebEngineView>

#include "game/CGameWnd.h"
#include "game/GameTestSupport.h"
#include "login/CDHtmDlgEx.h"
#include "login/CMyBrowserControlSite.h"
#include "support/FaultHttpServer.h"
#include "support/InterceptionCases.h"
#include "support/RealInput.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"
#include "skin/CBtnEx.h"
#include "skin/MessageBoxLayout.h"
#include "web/CPageDownloadDlg.h"
#include "web/DesktopOpenLimit.h"
#include "web/HostWebPage.h"

namespace {

using namespace GameTestSupport;
using RealInput::Eval;

constexpr int kOpenTimeoutMs = 10000;
// Long enough for a second hand-over of the same window to have come.
constexpr int kSecondOpenMs = 1500;

// The desktop's browser as Qt finds it here: an "xdg-open" on PATH. This one writes each
// address it was given on a line of its log.
class DesktopBrowserStandIn
{
public:
    DesktopBrowserStandIn()
    {
        QFile script(m_dir.filePath(QStringLiteral("xdg-open")));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$(dirname \"$0\")/opened\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", m_dir.path().toUtf8() + ':' + qgetenv("PATH"));
    }
    QStringList Opened() const
    {
        QFile log(m_dir.filePath(QStringLiteral("opened")));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    void Clear() const { QFile::remove(m_dir.filePath(QStringLiteral("opened"))); }

private:
    QTemporaryDir m_dir;
};

enum class Host { Game, Login };

// A page of the game page host or of a browser host dialog, over `url`.
struct HostedPage {
    HostedPage(Host host, const QString &url)
    {
        if (host == Host::Login) {
            dialog = std::make_unique<CDHtmDlgEx>();
            dialog->setGeometry(100, 100, 620, 375);
            dialog->show();
            dialog->Navigate(url);
            page = dialog->Page();
            return;
        }
        owner.setGeometry(100, 100, 640, 400);
        owner.show();
        game = std::make_unique<CGameWnd>(url, PlatformHosts::Defaults());
        game->Create(&owner);
        game->setGeometry(owner.geometry());
        game->show();
        page = qobject_cast<HostWebPage *>(game->View()->page());
    }

    QWidget owner;
    std::unique_ptr<CGameWnd> game;
    std::unique_ptr<CDHtmDlgEx> dialog;
    HostWebPage *page{};
};

std::string HostName(Host host)
{
    return host == Host::Game ? "Game" : "Login";
}

class PageOpening : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        home = NewPrivateHome();
        browser = new DesktopBrowserStandIn;
        server = new TestHttpServer;
    }
    static void TearDownTestSuite()
    {
        delete server;
        delete browser;
        delete home;
    }
    void SetUp() override { browser->Clear(); }

    // Loads `path` in `host` and waits until the stand-in browser got something.
    void ExpectOpened(Host host, const QString &path, const QStringList &expected)
    {
        HostedPage hosted(host, server->Url(path));
        ASSERT_NE(hosted.page, nullptr);
        ASSERT_EVENTUALLY(!browser->Opened().isEmpty(), kOpenTimeoutMs);
        TestWait::ProcessFor(kSecondOpenMs);
        EXPECT_EQ(browser->Opened(), expected) << HostName(host);
        EXPECT_EQ(hosted.page->url(), QUrl(server->Url(path))) << HostName(host);
        EXPECT_EQ(Eval(hosted.page, QStringLiteral("window.stayed === true")), QVariant(true)) << HostName(host);
    }

    static inline QTemporaryDir *home = nullptr;
    static inline DesktopBrowserStandIn *browser = nullptr;
    static inline TestHttpServer *server = nullptr;
};

TEST_F(PageOpening, EveryWayOfOpeningAWindowHandsItsAddressToTheDesktopOnce)
{
    // Escapes the address needs stay as the page wrote them.
    const QString address = server->Url(QStringLiteral("/news?id=7&q=%E6%B1%90%2F%26"));
    ServeInterceptionCases(*server, address);
    for (const InterceptionCase &c : InterceptionCases()) {
        if (!c.opensWindow)
            continue;
        for (Host host : {Host::Game, Host::Login}) {
            SCOPED_TRACE(c.name);
            browser->Clear();
            ExpectOpened(host, c.Path(), {address});
        }
    }
    // The desktop's browser asks the server; the hosts never did.
    EXPECT_EQ(server->Hits(QStringLiteral("/news")), 0);
}

const char *const kHead = "<!doctype html><html><head><meta charset=\"utf-8\"><script>window.stayed = true;</script></head><body>";

TEST_F(PageOpening, OtherSchemesAndBadAddressesNeverReachTheDesktop)
{
    const QString marker = server->Url(QStringLiteral("/marker"));
    server->SetPage(QStringLiteral("/schemes"), QByteArray(kHead) + R"(<script>setTimeout(() => {
for (const a of ['file:///etc/passwd', 'data:text/html,x', 'javascript:void(0)', 'steam://run/1', '', 'http://[', 'about:blank'])
  try { window.open(a); } catch (e) {}
setTimeout(() => window.open(')" + marker.toUtf8() + R"('), 1500); }, 100)</script>)");
    for (Host host : {Host::Game, Host::Login}) {
        browser->Clear();
        ExpectOpened(host, QStringLiteral("/schemes"), {marker});
    }
}

TEST_F(PageOpening, APageOpeningAHundredWindowsHandsOverThreeIn10s)
{
    server->SetPage(QStringLiteral("/flood"), QByteArray(kHead) + R"(<script>setTimeout(() => {
for (let i = 0; i < 100; ++i) window.open('/news?n=' + i); }, 100)</script>)");
    HostedPage hosted(Host::Game, server->Url(QStringLiteral("/flood")));
    ASSERT_EVENTUALLY(browser->Opened().size() >= DesktopOpenLimit::kMaxOpens, kOpenTimeoutMs);
    TestWait::ProcessFor(3000);
    const QStringList opened = browser->Opened();
    ASSERT_EQ(opened.size(), DesktopOpenLimit::kMaxOpens);
    for (const QString &address : opened)
        EXPECT_TRUE(address.startsWith(server->Url(QStringLiteral("/news?n=")))) << address.toStdString();
    EXPECT_EQ(Eval(hosted.page, QStringLiteral("window.stayed === true")), QVariant(true));
}

// Downloads from a page served next to a server that sends the files.
class PageDownload : public PageOpening
{
protected:
    static QString Folder() { return QDir(home->path()).filePath(QStringLiteral("Downloads")); }

    void Serve(const std::string &name, FaultHttpServer::Mode mode)
    {
        FaultHttpServer::Reply reply;
        reply.generated = 300000;
        reply.mode = mode;
        reply.headers = "Content-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"" + name + "\"\r\n";
        files.Set("/file", reply);
        server->SetPage(QStringLiteral("/download"),
                        QByteArray(kHead) + "<a id=\"go\" href=\"" + QByteArray::fromStdString(files.Url("/file"))
                            + "\">go</a><script>setTimeout(() => go.click(), 100)</script>");
    }
    static CPageDownloadDlg *DownloadDialog()
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *dialog = qobject_cast<CPageDownloadDlg *>(window); dialog && dialog->isVisible())
                return dialog;
        }
        return nullptr;
    }
    // The download's dialog ends saying it failed, and no file is left.
    void ExpectFailedWithoutFile()
    {
        ASSERT_EVENTUALLY(DownloadDialog() != nullptr, kOpenTimeoutMs);
        QPointer<CPageDownloadDlg> dialog = DownloadDialog();
        ASSERT_EVENTUALLY(!dialog->Running(), kOpenTimeoutMs);
        TestWait::ProcessFor(500);
        EXPECT_EQ(Saved(), QStringList{});
        EXPECT_EQ(dialog->Button()->m_strText, QStringLiteral("确定"));
        dialog->close();
    }
    QStringList Saved() const { return QDir(Folder()).entryList(QDir::Files | QDir::Hidden | QDir::System); }
    static QByteArray Pattern(long long size)
    {
        QByteArray bytes(size, '\0');
        for (long long i = 0; i < size; ++i)
            bytes[i] = FaultHttpServer::PatternByte(i);
        return bytes;
    }

    FaultHttpServer files;
};

TEST_F(PageDownload, SavesUnderACleanUniqueNameNeverExecutable)
{
    QDir(Folder()).removeRecursively();
    Serve("../../.bashrc", FaultHttpServer::Mode::Answer);
    for (Host host : {Host::Game, Host::Login}) {
        HostedPage hosted(host, server->Url(QStringLiteral("/download")));
        ASSERT_EVENTUALLY(Saved().size() == (host == Host::Game ? 1 : 2), kOpenTimeoutMs);
        TestWait::ProcessFor(500);
    }
    EXPECT_EQ(Saved(), (QStringList{QStringLiteral("bashrc"), QStringLiteral("bashrc (2)")}));
    for (const QString &name : Saved()) {
        QFile file(QDir(Folder()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), Pattern(300000));
        EXPECT_FALSE(file.permissions() & (QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
    }
    EXPECT_FALSE(QFile::exists(QDir(home->path()).filePath(QStringLiteral(".bashrc"))));
}

TEST_F(PageDownload, AServerResetMidBodyLeavesNoFileAndSaysSo)
{
    QDir(Folder()).removeRecursively();
    Serve("reset.bin", FaultHttpServer::Mode::Reset);
    HostedPage hosted(Host::Game, server->Url(QStringLiteral("/download")));
    ExpectFailedWithoutFile();
}

TEST_F(PageDownload, AFullDiskLeavesNoFileAndSaysSo)
{
    QDir(Folder()).removeRecursively();
    QDir().mkpath(Folder());
    // A download folder with room for a third of the file.
    if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=100k", "tmpfs", Folder()}) != 0)
        GTEST_SKIP() << "a small file system needs mount (root)";
    const auto unmount = qScopeGuard([] { QProcess::execute(QStringLiteral("umount"), {Folder()}); });
    Serve("big.bin", FaultHttpServer::Mode::Answer);
    HostedPage hosted(Host::Login, server->Url(QStringLiteral("/download")));
    ExpectFailedWithoutFile();
}

TEST_F(PageDownload, AFolderThatCannotBeWrittenGivesAMessageAndSavesNothing)
{
    QDir(Folder()).removeRecursively();
    QFile blocker(Folder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Serve("x.bin", FaultHttpServer::Mode::Answer);
    MessageBoxAnswerer answer(IDOK);
    HostedPage hosted(Host::Login, server->Url(QStringLiteral("/download")));
    ASSERT_EVENTUALLY(!answer.texts.isEmpty(), kOpenTimeoutMs);
    EXPECT_TRUE(answer.texts.first().contains(Folder())) << answer.texts.first().toStdString();
    EXPECT_EQ(files.Hits("/file"), 1);
    QFile::remove(Folder());
}

} // namespace
