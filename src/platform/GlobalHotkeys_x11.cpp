#include "platform/GlobalHotkeys.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#define XK_MISCELLANY
#include <X11/keysymdef.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include "platform/HotkeyEvent.h"
#include "platform/HotkeyModifiers.h"
#include "platform/VirtualKeys.h"
#include "platform/XcbConnection.h"

namespace {

constexpr int kKnownModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT;
constexpr uint16_t kModifierStateMask = 0xff;
// XKB's keyboard-change events that alter which keycodes carry which symbols.
constexpr uint8_t kXkbNewKeyboardNotify = 0;
constexpr uint8_t kXkbMapNotify = 1;

template <typename T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

// One grab request on the root window: a keycode with a complete modifier state.
struct Grab
{
    xcb_keycode_t keycode;
    uint16_t state;
};

struct Registration
{
    QPointer<QObject> window;
    int id = 0;
    int modifiers = 0;
    int virtualKey = 0;
    uint16_t state = 0;
    std::vector<Grab> grabs;
};

// Holds the key grabs of every registration on the root window of Qt's own X
// connection and turns the grabbed key presses into HotkeyEvents.
class HotkeyGrabber : public QAbstractNativeEventFilter
{
public:
    static HotkeyGrabber *Instance()
    {
        static HotkeyGrabber *grabber = [] {
            xcb_connection_t *connection = XcbConnection::Current();
            return connection ? new HotkeyGrabber(connection) : nullptr;
        }();
        return grabber;
    }

    bool Register(QObject *window, int id, int modifiers, int virtualKey)
    {
        if (!window || virtualKey <= 0 || (modifiers & ~kKnownModifiers) || modifiers < 0)
            return false;
        for (const Registration &r : m_registrations) {
            if (r.window && r.modifiers == modifiers && r.virtualKey == virtualKey)
                return false;
        }
        Registration registration;
        registration.window = window;
        registration.id = id;
        registration.modifiers = modifiers;
        registration.virtualKey = virtualKey;
        registration.state = StateFor(modifiers);
        if (!GrabAll(registration))
            return false;
        const bool watched = std::any_of(m_registrations.begin(), m_registrations.end(),
                                         [window](const Registration &r) { return r.window == window; });
        m_registrations.push_back(std::move(registration));
        if (!watched)
            QObject::connect(window, &QObject::destroyed, [this, window] { RemoveWindow(window); });
        return true;
    }

    bool Unregister(QObject *window, int id)
    {
        bool found = false;
        for (auto it = m_registrations.begin(); it != m_registrations.end();) {
            if (it->window == window && it->id == id) {
                Ungrab(it->grabs);
                it = m_registrations.erase(it);
                found = true;
            } else {
                ++it;
            }
        }
        xcb_flush(m_connection);
        return found;
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<xcb_generic_event_t *>(message);
        const uint8_t type = event->response_type & ~0x80;
        if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE)
            return HandleKey(reinterpret_cast<const xcb_key_press_event_t *>(event), type == XCB_KEY_PRESS);
        if (type == XCB_MAPPING_NOTIFY) {
            if (reinterpret_cast<const xcb_mapping_notify_event_t *>(event)->request != XCB_MAPPING_POINTER)
                ScheduleRegrab();
        } else if (m_xkbEvent && type == m_xkbEvent) {
            const uint8_t xkbType = reinterpret_cast<const uint8_t *>(event)[1];
            if (xkbType == kXkbNewKeyboardNotify || xkbType == kXkbMapNotify)
                ScheduleRegrab();
        }
        return false;
    }

private:
    explicit HotkeyGrabber(xcb_connection_t *connection)
        : m_connection(connection)
        , m_root(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root)
        , m_symbols(xcb_key_symbols_alloc(connection))
    {
        static constexpr char kXkb[] = "XKEYBOARD";
        const XcbReply<xcb_query_extension_reply_t> xkb(
            xcb_query_extension_reply(connection, xcb_query_extension(connection, sizeof kXkb - 1, kXkb), nullptr),
            &std::free);
        if (xkb && xkb->present)
            m_xkbEvent = xkb->first_event;
        ReadLockMasks();
        m_regrabTimer.setSingleShot(true);
        QObject::connect(&m_regrabTimer, &QTimer::timeout, [this] { Regrab(); });
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    static uint16_t StateFor(int modifiers)
    {
        uint16_t state = 0;
        if (modifiers & MOD_ALT)
            state |= XCB_MOD_MASK_1;
        if (modifiers & MOD_CONTROL)
            state |= XCB_MOD_MASK_CONTROL;
        if (modifiers & MOD_SHIFT)
            state |= XCB_MOD_MASK_SHIFT;
        return state;
    }

    // The keycodes that carry `keySym` in the current mapping.
    std::vector<xcb_keycode_t> KeycodesFor(xcb_keysym_t keySym) const
    {
        std::vector<xcb_keycode_t> codes;
        const std::unique_ptr<xcb_keycode_t, decltype(&std::free)> list(
            xcb_key_symbols_get_keycode(m_symbols, keySym), &std::free);
        for (const xcb_keycode_t *code = list.get(); code && *code != XCB_NO_SYMBOL; ++code) {
            if (std::find(codes.begin(), codes.end(), *code) == codes.end())
                codes.push_back(*code);
        }
        return codes;
    }

    // Num Lock and Scroll Lock sit on whichever modifier the mapping gives them.
    void ReadLockMasks()
    {
        m_numLock = m_scrollLock = 0;
        const XcbReply<xcb_get_modifier_mapping_reply_t> map(
            xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr),
            &std::free);
        if (!map)
            return;
        const std::vector<xcb_keycode_t> num = KeycodesFor(XK_Num_Lock);
        const std::vector<xcb_keycode_t> scroll = KeycodesFor(XK_Scroll_Lock);
        const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(map.get());
        const int perModifier = map->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8; ++modifier) {
            for (int i = 0; i < perModifier; ++i) {
                const xcb_keycode_t code = codes[modifier * perModifier + i];
                if (code == 0)
                    continue;
                if (std::find(num.begin(), num.end(), code) != num.end())
                    m_numLock |= uint16_t(1u << modifier);
                if (std::find(scroll.begin(), scroll.end(), code) != scroll.end())
                    m_scrollLock |= uint16_t(1u << modifier);
            }
        }
    }

    // Every combination of the lock modifiers, none first.
    std::vector<uint16_t> LockVariants() const
    {
        std::vector<uint16_t> variants{0};
        for (const uint16_t lock : {uint16_t(XCB_MOD_MASK_LOCK), m_numLock, m_scrollLock}) {
            if (lock == 0)
                continue;
            const std::size_t n = variants.size();
            for (std::size_t i = 0; i < n; ++i) {
                if (std::find(variants.begin(), variants.end(), uint16_t(variants[i] | lock)) == variants.end())
                    variants.push_back(variants[i] | lock);
            }
        }
        return variants;
    }

    uint16_t LockMask() const { return uint16_t(XCB_MOD_MASK_LOCK | m_numLock | m_scrollLock); }

    // Grabs every keycode of the key with every lock variant. A grab another client holds
    // fails the whole registration, and what was grabbed for it is released again.
    bool GrabAll(Registration &registration)
    {
        const xcb_keysym_t keySym = VirtualKeys::KeySymForVirtualKey(registration.virtualKey);
        const std::vector<xcb_keycode_t> codes = keySym ? KeycodesFor(keySym) : std::vector<xcb_keycode_t>{};
        if (codes.empty())
            return false;
        std::vector<std::pair<Grab, xcb_void_cookie_t>> requests;
        for (const xcb_keycode_t code : codes) {
            for (const uint16_t lock : LockVariants()) {
                const Grab grab{code, uint16_t(registration.state | lock)};
                requests.emplace_back(grab, xcb_grab_key_checked(m_connection, 1, m_root, grab.state, code,
                                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            }
        }
        bool ok = true;
        std::vector<Grab> granted;
        for (const auto &[grab, cookie] : requests) {
            if (xcb_generic_error_t *error = xcb_request_check(m_connection, cookie)) {
                std::free(error);
                ok = false;
            } else {
                granted.push_back(grab);
            }
        }
        if (!ok) {
            Ungrab(granted);
            xcb_flush(m_connection);
            return false;
        }
        registration.grabs = std::move(granted);
        return true;
    }

    void Ungrab(const std::vector<Grab> &grabs)
    {
        for (const Grab &grab : grabs)
            xcb_ungrab_key(m_connection, grab.keycode, m_root, grab.state);
    }

    bool HandleKey(const xcb_key_press_event_t *event, bool press)
    {
        if (event->event != m_root)
            return false;
        const uint16_t state = event->state & kModifierStateMask & ~LockMask();
        for (const Registration &r : m_registrations) {
            if (!r.window || r.state != state)
                continue;
            for (const Grab &grab : r.grabs) {
                if (grab.keycode == event->detail) {
                    if (press)
                        QCoreApplication::postEvent(r.window, new HotkeyEvent(r.id));
                    return true;
                }
            }
        }
        return false;
    }

    // Lets the rest of the program see the new mapping first, then grabs again.
    void ScheduleRegrab() { m_regrabTimer.start(0); }

    // After a mapping change the keys may sit on other keycodes and the locks on other
    // modifiers: every registration gives up its grabs and grabs anew. One that cannot be
    // grabbed any more stays registered without grabs until the next change.
    void Regrab()
    {
        for (Registration &r : m_registrations) {
            Ungrab(r.grabs);
            r.grabs.clear();
        }
        xcb_key_symbols_free(m_symbols);
        m_symbols = xcb_key_symbols_alloc(m_connection);
        ReadLockMasks();
        for (Registration &r : m_registrations) {
            if (r.window)
                GrabAll(r);
        }
        xcb_flush(m_connection);
    }

    void RemoveWindow(QObject *window)
    {
        for (auto it = m_registrations.begin(); it != m_registrations.end();) {
            if (it->window == window || !it->window) {
                Ungrab(it->grabs);
                it = m_registrations.erase(it);
            } else {
                ++it;
            }
        }
        xcb_flush(m_connection);
    }

    xcb_connection_t *m_connection;
    xcb_window_t m_root;
    xcb_key_symbols_t *m_symbols;
    uint8_t m_xkbEvent = 0;
    uint16_t m_numLock = 0;
    uint16_t m_scrollLock = 0;
    std::vector<Registration> m_registrations;
    QTimer m_regrabTimer;
};

} // namespace

bool RegisterHotKey(QObject *window, int id, int modifiers, int virtualKey)
{
    HotkeyGrabber *grabber = HotkeyGrabber::Instance();
    return grabber && grabber->Register(window, id, modifiers, virtualKey);
}

bool UnregisterHotKey(QObject *window, int id)
{
    HotkeyGrabber *grabber = HotkeyGrabber::Instance();
    return grabber && grabber->Unregister(window, id);
}
