#include "settings/KeyNames.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<int, const char *>, 39> kNamedKeys{{
    {8, "Back"},      {9, "Tab"},        {13, "Enter"},          {16, "Shift"},     {17, "Ctrl"},
    {18, "Alt"},      {19, "Pause Break"}, {20, "Caps"},         {27, "Esc"},       {33, "Page Up"},
    {34, "Page Down"}, {35, "End"},      {36, "Home"},           {37, "Left"},      {38, "Up"},
    {39, "Right"},    {40, "Down"},      {45, "Insert"},         {46, "Del"},       {91, "LWin"},
    {92, "RWin"},     {106, "Num *"},    {107, "Num +"},         {109, "Num -"},    {110, "Num Del"},
    {111, "Num /"},   {144, "Num Lock"}, {145, "Scroll Lock"},   {186, ";"},        {187, "+"},
    {188, ","},       {189, "-"},        {190, "."},             {191, "/"},        {192, "`"},
    {219, "["},       {220, "\\"},       {221, "]"},             {222, "'"},
}};

} // namespace

QString KeyDisplayName(int virtualKey)
{
    if (virtualKey >= '0' && virtualKey <= '9')
        return QString(QChar(virtualKey));
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return QString(QChar(virtualKey));
    if (virtualKey >= 96 && virtualKey <= 105)
        return QStringLiteral("Num %1").arg(virtualKey - 96);
    if (virtualKey >= 112 && virtualKey <= 123)
        return QStringLiteral("F%1").arg(virtualKey - 111);
    for (const auto &[code, name] : kNamedKeys) {
        if (code == virtualKey)
            return QString::fromLatin1(name);
    }
    return {};
}
