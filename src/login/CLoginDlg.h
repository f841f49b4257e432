#pragma once

#include <map>
#include <optional>

#include <QElapsedTimer>
#include <QImage>
#include <QRegion>
#include <QString>
#include <QStringList>
#include <QTimer>

#include "login/CDHtmDlgEx.h"
#include "skin/MessageBoxLayout.h"
#include "game/GamePageList.h"

// The login page window: shows the platform's login page over the login background and
// turns the page's "app://" requests into program actions. Page areas of exactly
// RGB(254,254,254) show the background window through, at every display scale. It has no
// taskbar entry, stays hidden until the first page's document has arrived (its images may
// still load) or its first load ended otherwise, shows nothing of the page before the
// page's first frame, and ignores Esc and F5. Its commands end the
// owning login window (a QDialog) with IDOK or IDCANCEL. "loadgame" enters a game only
// with a page factory; without one it does nothing.
class CLoginDlg : public CDHtmDlgEx
{
    Q_OBJECT
public:
    using CommandHandler = bool (CLoginDlg::*)(int argc, const QStringList &argv);

    // The platform's result codes the commands end the login window with.
    static constexpr int IDOK = ::IDOK;
    static constexpr int IDCANCEL = ::IDCANCEL;
    // Page pixels of this colour show the window behind.
    static constexpr unsigned kColorKey = 0xFEFEFE;

    // `pageFactory` creates the page host "loadgame" appends to the game page list; the
    // login page and the game page it enters both use `profile`.
    CLoginDlg(const QString &pageUrl, GamePageFactory pageFactory, QWidget *owner = nullptr,
              SlotProfile profile = WebEngineSetup::FirstSlot());
    ~CLoginDlg() override;

    // Starts loading PageUrl; the window shows once the first document arrives. A page
    // loaded before its window shows renders its first frame meanwhile, so that the window
    // has its picture as soon as it shows.
    void Create();
    // Shows the window with its owner (once a page has loaded) or hides it.
    void FollowOwner(bool ownerShown);

    // Runs the command an "app://" address names; answers whether the navigation is
    // cancelled (addresses without the prefix and unknown commands are not).
    bool DispatchAppCommand(const QString &address);

    const QString PageUrl;
    const std::map<QString, CommandHandler> CommandTable;

protected:
    void OnBeforeNavigate(const QString &address) override;
    void OnNavigateComplete(const QUrl &url) override;
    void OnLoadInterrupted(const QUrl &url) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool Minimize(int argc, const QStringList &argv);
    bool ExitGame(int argc, const QStringList &argv);
    bool Restart(int argc, const QStringList &argv);
    bool LoadGame(int argc, const QStringList &argv);

    void EndLogin(int result);
    // The first page's document arrived or its load ended: the window comes up.
    void PageArrived();
    // The page's load ended, completed or not.
    void PageLoaded();
    void UpdateKeyMask();
    // Where the rendering's top-left device pixel shows in the window.
    QPoint RenderingOffset();
    // Shows only these device pixels of the window.
    void ShowOnly(const QRegion &devicePixels);
    // The window moved to another screen.
    void ScreenChanged();
    // The window is about to show: its shape waits for the page's first frame.
    void AwaitFirstFrame();
    // Whether `rendering` is still the engine's plain canvas rather than the page.
    bool FrameStillAwaited(const QImage &rendering) const;

    const GamePageFactory m_pageFactory;
    bool m_navigated{false};
    // Whether the owner has shown; until then the page's commands wait in m_heldCommands.
    bool m_ownerShown{false};
    QStringList m_heldCommands;
    bool m_loaded{false};
    bool m_frameAwaited{false};
    // Since the window showed or the page loaded, whichever came later.
    QElapsedTimer m_canvasSince;
    QTimer m_maskTimer{this};
    QImage m_rendering;
    // The window's shape in device pixels; none before the window was first shaped.
    std::optional<QRegion> m_shape;
};
