#pragma once

#include <QRect>
#include <QSize>
#include <QString>

// Platform message-box types and result codes kept by every skinned dialog.
inline constexpr int MB_OK = 0;
inline constexpr int MB_OKCANCEL = 1;
inline constexpr int MB_YESNO = 4;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Control ids of the message box's two buttons.
inline constexpr int kFirstButtonId = 5000;
inline constexpr int kSecondButtonId = 5001;

// Where everything of a message box goes, computed from its type, the measured text and
// the size of one frame of the button strip.
struct MessageBoxGeometry
{
    QSize window;
    QRect first;
    QRect second; // empty for a one-button box
    QString firstText;
    QString secondText;
};

// Number of lines of a message text: one more than its line feeds.
int MessageLineCount(const QString &text);

// Window size and button rectangles of a box whose client area equals its window.
MessageBoxGeometry LayoutMessageBox(int type, QSize text, int lines, QSize buttonFrame);

// The result of a click on button `buttonId` of a box of type `type`.
int MessageBoxResult(int type, int buttonId);

// Top of the first text line; each further line sits its line height plus this gap lower.
inline constexpr int kMessageTextTop = 55;
inline constexpr int kMessageLineGap = 3;
