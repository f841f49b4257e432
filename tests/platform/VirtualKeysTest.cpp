#include <gtest/gtest.h>

#define XK_MISCELLANY
#define XK_LATIN1
#define XK_XKB_KEYS
#include <X11/keysymdef.h>

#include "platform/VirtualKeys.h"

namespace {

using VirtualKeys::KeySymForVirtualKey;
using VirtualKeys::VirtualKeyForKeySym;

TEST(VirtualKeysTest, EveryKeyTheSettingsAcceptHasASymbolThatLeadsBack)
{
    std::vector<int> keys{8, 9, 13, 19, 20, 27, 45, 46, 91, 92, 106, 107, 109, 110, 111, 144, 145, 186, 187, 188,
                          189, 190, 191, 192, 219, 220, 221, 222};
    for (int k = 33; k <= 40; ++k)
        keys.push_back(k);
    for (int k = '0'; k <= '9'; ++k)
        keys.push_back(k);
    for (int k = 'A'; k <= 'Z'; ++k)
        keys.push_back(k);
    for (int k = 96; k <= 105; ++k)
        keys.push_back(k);
    for (int k = 112; k <= 123; ++k)
        keys.push_back(k);
    for (int key : keys) {
        const unsigned sym = KeySymForVirtualKey(key);
        EXPECT_NE(sym, 0u) << key;
        EXPECT_EQ(VirtualKeyForKeySym(sym), key) << key;
    }
}

TEST(VirtualKeysTest, SymbolsMapToTheKeysAWindowsKeyboardReports)
{
    EXPECT_EQ(KeySymForVirtualKey('S'), unsigned(XK_s));
    EXPECT_EQ(KeySymForVirtualKey(120), unsigned(XK_F9));
    EXPECT_EQ(KeySymForVirtualKey(96), unsigned(XK_KP_0));
    EXPECT_EQ(VirtualKeyForKeySym(XK_S), 'S');
    EXPECT_EQ(VirtualKeyForKeySym(XK_Control_R), 17);
    EXPECT_EQ(VirtualKeyForKeySym(XK_KP_Insert), 45);
    EXPECT_EQ(VirtualKeyForKeySym(XK_KP_Delete), 46);
    EXPECT_EQ(VirtualKeyForKeySym(XK_ISO_Left_Tab), 9);
}

TEST(VirtualKeysTest, CodesWithoutAKeyGiveNothing)
{
    for (int key : {0, -1, 7, 108, 255, 1000})
        EXPECT_EQ(KeySymForVirtualKey(key), 0u) << key;
    EXPECT_EQ(VirtualKeyForKeySym(0), 0);
    EXPECT_EQ(VirtualKeyForKeySym(0xffffff), 0);
}

} // namespace
