#pragma once

#include <cstdint>

#include <QList>
#include <QRect>
#include <QString>

struct xcb_connection_t;

// A second X client on the test display, apart from the program's own connection: it
// holds key grabs as another program would and reads the keyboard state. Keys are
// pressed through XTEST (xdotool), which passes the server's grabs like a keyboard.
class X11TestClient
{
public:
    X11TestClient();
    ~X11TestClient();
    X11TestClient(const X11TestClient &) = delete;
    X11TestClient &operator=(const X11TestClient &) = delete;

    // Grabs the key carrying `keySymName` with exactly the modifier state `state`; false
    // when the server refuses (someone else holds it).
    bool Grab(const QString &keySymName, uint16_t state);
    // The modifier bits currently set, locks included.
    uint16_t ModifierState();
    // Switches a lock key ("Num_Lock", "Caps_Lock") to `on` by pressing it when needed.
    bool SetLock(const QString &keyName, uint16_t mask, bool on);

    // Maps a dock of `height` pixels along the top of the screen that reserves its strip
    // (a panel, as a desktop's top bar does); it stays until this client goes. Returns its id.
    uint32_t ShowTopPanel(int height);
    // The work area the window manager publishes (_NET_WORKAREA of the first desktop).
    QRect WorkArea();
    // The managed windows from bottom to top (_NET_CLIENT_LIST_STACKING).
    QList<uint32_t> ClientStacking();
    // The window that has the keyboard (_NET_ACTIVE_WINDOW), 0 for none.
    uint32_t ActiveWindow();

    static constexpr uint16_t kShift = 1, kLock = 2, kControl = 4, kNumLock = 16;

private:
    uint32_t Atom(const char *name);
    QList<uint32_t> RootCardinals(const char *property);

    xcb_connection_t *m_connection{};
    uint32_t m_root = 0;
};

// Presses `keys` (xdotool key sequences such as "ctrl+F9", separated by spaces) and lets
// the events arrive.
bool PressKeys(const QString &keys);
