#include "settings/HotkeyCombination.h"

#include <climits>

#include "platform/VirtualKeyCodes.h"
#include "settings/KeyNames.h"

namespace {

const char *const kNone = "无";

// Reads a decimal integer from the start of `text` the way the C library's atoi family
// does, clamping instead of overflowing.
int ReadDecimal(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > INT_MAX) {
            value = INT_MAX + 1LL;
            break;
        }
    }
    if (negative)
        return int(-value);
    return value > INT_MAX ? INT_MAX : int(value);
}

} // namespace

QString ModifierPrefix(int modifiers)
{
    QString text;
    if (modifiers & MOD_CONTROL)
        text += QStringLiteral("Ctrl  +  ");
    if (modifiers & MOD_SHIFT)
        text += QStringLiteral("Shift  +  ");
    if (modifiers & MOD_ALT)
        text += QStringLiteral("Alt  +  ");
    return text;
}

QString CombinationText(HotkeyPair pair)
{
    if (pair.key == 0)
        return QString::fromUtf8(kNone);
    return ModifierPrefix(pair.modifiers) + KeyDisplayName(pair.key);
}

HotkeyPair ParseHotkeyValue(const QString &value)
{
    const qsizetype comma = value.indexOf(QLatin1Char(','));
    if (comma < 0)
        return {ReadDecimal(value), 0};
    return {ReadDecimal(QStringView(value).left(comma)), ReadDecimal(QStringView(value).mid(comma + 1))};
}

QString HotkeyValueText(HotkeyPair pair)
{
    return QStringLiteral("%1,%2").arg(pair.modifiers).arg(pair.key);
}

std::optional<HotkeyPair> HotkeyFromText(const QString &text, int capturedKey)
{
    if (text.isEmpty() || text.endsWith(QLatin1Char(' ')))
        return std::nullopt;
    HotkeyPair pair;
    pair.key = text.contains(QString::fromUtf8(kNone)) ? 0 : capturedKey;
    if (text.contains(QLatin1String("Ctrl")))
        pair.modifiers |= MOD_CONTROL;
    if (text.contains(QLatin1String("Shift")))
        pair.modifiers |= MOD_SHIFT;
    if (text.contains(QLatin1String("Alt")))
        pair.modifiers |= MOD_ALT;
    return pair;
}

bool IsAllowedKey(int k, bool tabAllowed)
{
    return (k >= VK_F1 && k <= VK_F11) || (k >= '0' && k <= '9') || (k >= 'A' && k <= 'Z')
        || (k >= VK_PRIOR && k <= VK_DOWN) || k == VK_CAPITAL || k == VK_INSERT || (k >= VK_NUMPAD0 && k <= VK_ADD)
        || (k >= VK_SUBTRACT && k <= VK_DIVIDE) || k == VK_NUMLOCK || (k >= VK_OEM_1 && k <= VK_OEM_3)
        || (k >= VK_OEM_4 && k <= VK_OEM_7) || (tabAllowed && k == VK_TAB);
}

CaptureResult CaptureKey(int hotkeyId, int virtualKey, int heldModifiers, int capturedKey)
{
    const bool clears = virtualKey == VK_BACK || virtualKey == VK_DELETE || virtualKey == VK_LWIN
        || virtualKey == VK_RWIN || (virtualKey == VK_F12 && hotkeyId != SwitchKeyId);
    if (clears)
        return {QString::fromUtf8(kNone), capturedKey};
    QString text = ModifierPrefix(heldModifiers);
    if (IsAllowedKey(virtualKey, hotkeyId == SwitchKeyId)) {
        capturedKey = virtualKey;
        text += KeyDisplayName(virtualKey);
    }
    return {text, capturedKey};
}
