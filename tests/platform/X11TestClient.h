#pragma once

#include <cstdint>

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

    static constexpr uint16_t kShift = 1, kLock = 2, kControl = 4, kNumLock = 16;

private:
    xcb_connection_t *m_connection{};
    uint32_t m_root = 0;
};

// Presses `keys` (xdotool key sequences such as "ctrl+F9", separated by spaces) and lets
// the events arrive.
bool PressKeys(const QString &keys);
