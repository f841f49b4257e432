#include <gtest/gtest.h>

#include "settings/HotkeyCombination.h"
#include "settings/KeyNames.h"

namespace {

TEST(KeyNamesTest, TableAndRangesGiveTheirNames)
{
    EXPECT_EQ(KeyDisplayName(120), "F9");
    EXPECT_EQ(KeyDisplayName(112), "F1");
    EXPECT_EQ(KeyDisplayName(123), "F12");
    EXPECT_EQ(KeyDisplayName('0'), "0");
    EXPECT_EQ(KeyDisplayName('Z'), "Z");
    EXPECT_EQ(KeyDisplayName(96), "Num 0");
    EXPECT_EQ(KeyDisplayName(105), "Num 9");
    EXPECT_EQ(KeyDisplayName(19), "Pause Break");
    EXPECT_EQ(KeyDisplayName(110), "Num Del");
    EXPECT_EQ(KeyDisplayName(187), "+");
    EXPECT_EQ(KeyDisplayName(220), "\\");
    EXPECT_EQ(KeyDisplayName(222), "'");
}

TEST(KeyNamesTest, CodesOutsideTheTableHaveNoName)
{
    for (int code : {0, -1, 7, 47, 64, 91 + 2, 106 + 2, 124, 146, 185, 193, 218, 223, 255, 100000})
        EXPECT_EQ(KeyDisplayName(code), QString()) << code;
}

TEST(CombinationTest, TextsJoinModifiersInTheirOrderWithTheKeyName)
{
    EXPECT_EQ(CombinationText({MOD_CONTROL, 120}), "Ctrl  +  F9");
    EXPECT_EQ(CombinationText({MOD_ALT | MOD_SHIFT | MOD_CONTROL, 'S'}), "Ctrl  +  Shift  +  Alt  +  S");
    EXPECT_EQ(CombinationText({MOD_ALT, 9}), "Alt  +  Tab");
    EXPECT_EQ(CombinationText({0, 222}), "'");
    EXPECT_EQ(CombinationText({MOD_CONTROL, 0}), "无");
    EXPECT_EQ(CombinationText({-1, -1}), "Ctrl  +  Shift  +  Alt  +  ");
}

TEST(CombinationTest, StoredValuesReadAsTheirLeadingNumbers)
{
    EXPECT_EQ(ParseHotkeyValue("2,120"), (HotkeyPair{2, 120}));
    EXPECT_EQ(ParseHotkeyValue(" 6 , 83"), (HotkeyPair{6, 83}));
    EXPECT_EQ(ParseHotkeyValue("6, 83"), (HotkeyPair{6, 83}));
    EXPECT_EQ(ParseHotkeyValue("2"), (HotkeyPair{2, 0}));
    EXPECT_EQ(ParseHotkeyValue(","), (HotkeyPair{0, 0}));
    EXPECT_EQ(ParseHotkeyValue(""), (HotkeyPair{0, 0}));
    EXPECT_EQ(ParseHotkeyValue("abc,def"), (HotkeyPair{0, 0}));
    EXPECT_EQ(ParseHotkeyValue("2,-1"), (HotkeyPair{2, -1}));
    EXPECT_EQ(ParseHotkeyValue("2x,9y,3"), (HotkeyPair{2, 9}));
    EXPECT_EQ(ParseHotkeyValue("99999999999,5"), (HotkeyPair{INT_MAX, 5}));
    EXPECT_EQ(ParseHotkeyValue("-99999999999999999999,+7"), (HotkeyPair{INT_MIN, 7}));
    EXPECT_EQ(HotkeyValueText({2, 120}), "2,120");
    EXPECT_EQ(HotkeyValueText({0, 0}), "0,0");
}

TEST(CombinationTest, ConfirmedTextsGiveTheirHotkey)
{
    EXPECT_EQ(HotkeyFromText("Ctrl  +  F9", 120), (HotkeyPair{MOD_CONTROL, 120}));
    EXPECT_EQ(HotkeyFromText("Ctrl  +  Shift  +  Alt  +  S", 'S'), (HotkeyPair{7, 'S'}));
    // Only modifiers pressed, or nothing: the hotkey stays as it is.
    EXPECT_EQ(HotkeyFromText("Ctrl  +  ", 120), std::nullopt);
    EXPECT_EQ(HotkeyFromText("", 120), std::nullopt);
    EXPECT_EQ(HotkeyFromText("无", 120), (HotkeyPair{0, 0}));
    EXPECT_EQ(HotkeyFromText("Shift  +  无", 120), (HotkeyPair{MOD_SHIFT, 0}));
}

TEST(CaptureTest, AllowedKeysEndTheCombinationWithTheModifiersHeld)
{
    EXPECT_EQ(CaptureKey(BossKeyId, 120, MOD_CONTROL, 123).text, "Ctrl  +  F9");
    EXPECT_EQ(CaptureKey(BossKeyId, 120, MOD_CONTROL, 123).capturedKey, 120);
    EXPECT_EQ(CaptureKey(SoundKeyId, 96, MOD_ALT | MOD_SHIFT, 83).text, "Shift  +  Alt  +  Num 0");
    for (int key : {112, 122, int('0'), int('Z'), 33, 40, 20, 45, 96, 107, 109, 111, 144, 186, 192, 219, 222})
        EXPECT_EQ(CaptureKey(BossKeyId, key, 0, 1).capturedKey, key) << key;
}

TEST(CaptureTest, KeysNotAllowedLeaveTheKeyAndShowOnlyTheModifiers)
{
    for (int key : {17, 16, 18, 108, 145, 19, 32, 13, 27, 0, 193, 223}) {
        const CaptureResult result = CaptureKey(BossKeyId, key, MOD_CONTROL, 120);
        EXPECT_EQ(result.text, "Ctrl  +  ") << key;
        EXPECT_EQ(result.capturedKey, 120) << key;
    }
}

TEST(CaptureTest, TabOnlyForTheSwitchKeyAndF12NeverAllowed)
{
    EXPECT_EQ(CaptureKey(SwitchKeyId, 9, MOD_CONTROL, 0).text, "Ctrl  +  Tab");
    EXPECT_EQ(CaptureKey(BossKeyId, 9, MOD_CONTROL, 120).text, "Ctrl  +  ");
    EXPECT_EQ(CaptureKey(SoundKeyId, 9, 0, 83).capturedKey, 83);
    // F12 clears the boss and sound keys and is simply not allowed for the switch key.
    EXPECT_EQ(CaptureKey(BossKeyId, 123, MOD_CONTROL, 120).text, "无");
    EXPECT_EQ(CaptureKey(SoundKeyId, 123, 0, 83).text, "无");
    EXPECT_EQ(CaptureKey(SwitchKeyId, 123, MOD_CONTROL, 9).text, "Ctrl  +  ");
    EXPECT_EQ(CaptureKey(SwitchKeyId, 123, MOD_CONTROL, 9).capturedKey, 9);
}

TEST(CaptureTest, BackspaceDeleteAndWindowsKeysSwitchTheHotkeyOff)
{
    for (int key : {8, 46, 91, 92}) {
        const CaptureResult result = CaptureKey(SwitchKeyId, key, MOD_CONTROL | MOD_ALT, 9);
        EXPECT_EQ(result.text, "无") << key;
        EXPECT_EQ(result.capturedKey, 9) << key;
    }
}

} // namespace
