#pragma once

#include <array>

#include "platform/VirtualKeyCodes.h"
#include "skin/CDlgEx.h"

class CBtnEx;
class CStaticEx;
class QGroupBox;
class QLineEdit;

// The hotkey settings: the player presses a combination in one of three edits (boss key,
// window-switch key, sound key); OK registers every changed hotkey again on the parent
// window, which must be the window the hotkeys belong to, and stores it in the settings
// file. Esc and Enter never close it; only its buttons do.
class CSettingDlg : public CDlgEx
{
    Q_OBJECT
public:
    explicit CSettingDlg(QWidget *parent);

    QLineEdit *Edit(int hotkeyId) const;
    CBtnEx *Button(int id) const;

    void accept() override;

protected:
    bool OnInitDialog() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Handles a key pressed in the edit of `hotkeyId`; answers whether it was consumed.
    bool CaptureKeyPress(int hotkeyId, QKeyEvent *event);
    // Registers and stores the edit's combination; false when it could not be stored.
    bool ApplyHotkey(int hotkeyId);

    std::array<QGroupBox *, 3> m_groups{};
    std::array<CStaticEx *, 6> m_statics{};
    std::array<QLineEdit *, 3> m_edits{};
    std::array<int, 3> m_capturedKeys{VK_F12, VK_TAB, 'S'};
    CBtnEx *m_ok{};
    CBtnEx *m_cancel{};
};
