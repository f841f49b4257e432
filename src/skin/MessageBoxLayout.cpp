#include "MessageBoxLayout.h"

namespace {

constexpr int kSideSpace = 60;       // text or buttons plus this much gives the width
constexpr int kBaseHeight = 90;      // caption, text top and button margin together
constexpr int kButtonBottom = 30;    // buttons end this far above the bottom
constexpr int kButtonHalfGap = 10;   // the two buttons stand this far from the centre

bool HasTwoButtons(int type)
{
    return type == MB_OKCANCEL || type == MB_YESNO;
}

} // namespace

int MessageLineCount(const QString &text)
{
    return 1 + int(text.count(QLatin1Char('\n')));
}

MessageBoxGeometry LayoutMessageBox(int type, QSize text, int lines, QSize buttonFrame)
{
    MessageBoxGeometry g;
    const int bw = buttonFrame.width(), bh = buttonFrame.height();
    const int buttonsWidth = 2 * bw + kSideSpace;
    g.window.setWidth(text.width() <= buttonsWidth ? buttonsWidth : text.width() + kSideSpace);
    g.window.setHeight(3 * lines + kBaseHeight + text.height() + bh);

    const int cw = g.window.width(), ch = g.window.height();
    const int bottom = ch - kButtonBottom;
    const int top = bottom - bh;
    if (HasTwoButtons(type)) {
        g.first = QRect(QPoint(cw / 2 - kButtonHalfGap - bw, top), QSize(bw, bh));
        g.second = QRect(QPoint(cw / 2 + kButtonHalfGap, top), QSize(bw, bh));
        g.firstText = type == MB_YESNO ? QStringLiteral("是") : QStringLiteral("确定");
        g.secondText = type == MB_YESNO ? QStringLiteral("否") : QStringLiteral("取消");
    } else {
        g.first = QRect(QPoint((cw - bw) / 2, top), QSize(bw, bh));
        g.firstText = QStringLiteral("确定");
    }
    return g;
}

int MessageBoxResult(int type, int buttonId)
{
    if (buttonId == kFirstButtonId)
        return type == MB_YESNO ? IDYES : IDOK;
    return type == MB_YESNO ? IDNO : IDCANCEL;
}
