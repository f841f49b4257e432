#include "settings/CSettingDlg.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include "base/ProgramTitle.h"
#include "platform/GlobalHotkeys.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/VirtualKeys.h"
#include "settings/HotkeySettings.h"
#include "settings/SettingLayout.h"
#include "skin/CBtnEx.h"
#include "skin/CMessageBox.h"
#include "skin/CStaticEx.h"
#include "skin/SkinImage.h"

namespace {

struct GroupSpec
{
    int groupId, promptId, editId, exampleId;
    const char *group, *prompt, *example, *failure;
};

// By hotkey identifier 1, 2, 3.
constexpr std::array<GroupSpec, 3> kGroups{{
    {1006, 1004, 1003, 1005, "老板键设置", "请输入老板键", "例如: Ctrl + X",
     "重置老板键失败，可能与其他窗口热键冲突！原老板键也已经失效，请重置！"},
    {1010, 1007, 1008, 1009, "窗口切换键设置", "请输入窗口切换键", "例如: Ctrl + Tab",
     "重置窗口切换键失败，可能与其他窗口热键冲突！原切换键也已经失效，请重置！"},
    {1014, 1011, 1012, 1013, "声音键设置", "请输入声音键", "例如: Ctrl + S",
     "重置声音键失败，可能与其他窗口热键冲突！原声音键也已经失效，请重置！"},
}};

const char *const kTitle = "设置";
const char *const kNotStored = "设置未能保存到“%1”，新的热键只在本次运行中有效。";
constexpr int kCaptionHeight = 30;
constexpr int kBorder = 4;

// The group boxes: a transparent frame, black text on the dialog's light panel colour.
const char *const kGroupStyle = "QGroupBox { border: 1px solid rgb(150, 170, 185); margin-top: 7px; }"
                                "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px;"
                                " color: black; background-color: rgb(231, 241, 247); }";

int HeldModifiers(const QKeyEvent *event)
{
    int modifiers = 0;
    if (event->modifiers() & Qt::ControlModifier)
        modifiers |= MOD_CONTROL;
    if (event->modifiers() & Qt::ShiftModifier)
        modifiers |= MOD_SHIFT;
    if (event->modifiers() & Qt::AltModifier)
        modifiers |= MOD_ALT;
    return modifiers;
}

bool IsEscOrEnter(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        return false;
    }
}

std::size_t Index(int hotkeyId)
{
    return std::size_t(hotkeyId - BossKeyId);
}

} // namespace

CSettingDlg::CSettingDlg(QWidget *parent)
    : CDlgEx(SettingLayout::kTemplateId, parent)
{
    setWindowFlag(Qt::WindowStaysOnTopHint);
    resize(SettingLayout::DialogSize());
    for (std::size_t i = 0; i < kGroups.size(); ++i) {
        const GroupSpec &spec = kGroups[i];
        const int row = int(i);
        m_groups[i] = new QGroupBox(QString::fromUtf8(spec.group), this);
        m_groups[i]->setStyleSheet(QString::fromLatin1(kGroupStyle));
        m_groups[i]->setGeometry(SettingLayout::GroupRect(row));
        m_statics[2 * i] = new CStaticEx(QString::fromUtf8(spec.prompt), this);
        m_statics[2 * i]->setGeometry(SettingLayout::PromptRect(row));
        m_statics[2 * i + 1] = new CStaticEx(QString::fromUtf8(spec.example), this);
        m_statics[2 * i + 1]->setGeometry(SettingLayout::ExampleRect(row));
        m_edits[i] = new QLineEdit(this);
        m_edits[i]->setGeometry(SettingLayout::EditRect(row));
        // The edits show what was pressed, never text pasted or dropped into them.
        m_edits[i]->setContextMenuPolicy(Qt::NoContextMenu);
        m_edits[i]->setAcceptDrops(false);
        m_edits[i]->installEventFilter(this);
        m_groups[i]->setObjectName(QString::number(spec.groupId));
        m_statics[2 * i]->setObjectName(QString::number(spec.promptId));
        m_statics[2 * i + 1]->setObjectName(QString::number(spec.exampleId));
        m_edits[i]->setObjectName(QString::number(spec.editId));
    }
    m_ok = new CBtnEx(IDOK, this);
    m_cancel = new CBtnEx(IDCANCEL, this);
    m_ok->m_strText = QStringLiteral("确定");
    m_cancel->m_strText = QStringLiteral("取消");
    connect(m_ok, &CBtnEx::clicked, this, &CSettingDlg::accept);
    connect(m_cancel, &CBtnEx::clicked, this, &CSettingDlg::reject);
}

QLineEdit *CSettingDlg::Edit(int hotkeyId) const
{
    return hotkeyId >= BossKeyId && hotkeyId <= SoundKeyId ? m_edits[Index(hotkeyId)] : nullptr;
}

CBtnEx *CSettingDlg::Button(int id) const
{
    return id == IDOK ? m_ok : id == IDCANCEL ? m_cancel : nullptr;
}

bool CSettingDlg::OnInitDialog()
{
    CDlgEx::OnInitDialog();
    m_nCaptionHeight = kCaptionHeight;
    m_nBtnRightMargin = 0;
    m_nBtnTop = 0;
    m_nBtnGap = 0;
    m_nBorder = kBorder;
    SetTitle(QString::fromUtf8(kTitle));
    SetSkin(LoadSkinImage(SkinId::SmallDialogBack), LoadSkinImage(SkinId::CloseButton), {}, {}, {});
    const QImage buttonImage = LoadSkinImage(SkinId::DialogButton);
    for (CBtnEx *button : {m_ok, m_cancel}) {
        button->SetImage(buttonImage, true);
        button->move(SettingLayout::ButtonOrigin(button->GetDlgCtrlID()));
    }
    for (int id = BossKeyId; id <= SoundKeyId; ++id) {
        HotkeyPair pair = RegisteredHotkey(id);
        if (pair.key == -1 || pair.modifiers == -1)
            pair = ReadHotkeySetting(id);
        m_capturedKeys[Index(id)] = pair.key;
        m_edits[Index(id)]->setText(CombinationText(pair));
    }
    return true;
}

bool CSettingDlg::eventFilter(QObject *watched, QEvent *event)
{
    const bool middleClick = (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)
        && static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton;
    if (middleClick)
        return true;
    if (event->type() == QEvent::KeyPress) {
        for (int id = BossKeyId; id <= SoundKeyId; ++id) {
            if (watched == m_edits[Index(id)])
                return CaptureKeyPress(id, static_cast<QKeyEvent *>(event));
        }
    }
    return CDlgEx::eventFilter(watched, event);
}

void CSettingDlg::keyPressEvent(QKeyEvent *event)
{
    if (IsEscOrEnter(event)) {
        event->accept();
        return;
    }
    CDlgEx::keyPressEvent(event);
}

bool CSettingDlg::CaptureKeyPress(int hotkeyId, QKeyEvent *event)
{
    if (IsEscOrEnter(event))
        return true;
    const int key = VirtualKeys::VirtualKeyForKeyPress(event->nativeScanCode(), event->nativeVirtualKey());
    if (key == VK_ESCAPE || key == VK_RETURN)
        return true;
    int &captured = m_capturedKeys[Index(hotkeyId)];
    const CaptureResult result = CaptureKey(hotkeyId, key, HeldModifiers(event), captured);
    captured = result.capturedKey;
    QLineEdit *edit = m_edits[Index(hotkeyId)];
    edit->setText(result.text);
    edit->setCursorPosition(int(result.text.size()));
    return true;
}

// A settings file that cannot be written (a read-only home, a full disk) keeps its old
// content; the player hears once that the new keys hold for this run only.
void CSettingDlg::accept()
{
    done(IDOK);
    bool stored = true;
    for (int id = BossKeyId; id <= SoundKeyId; ++id)
        stored = ApplyHotkey(id) && stored;
    if (!stored)
        ShowSkinnedMessage(MB_OK, QString::fromUtf8(kProgramTitle),
                           QString::fromUtf8(kNotStored).arg(HotkeySettingsPlace()));
}

bool CSettingDlg::ApplyHotkey(int hotkeyId)
{
    const std::optional<HotkeyPair> pair =
        HotkeyFromText(m_edits[Index(hotkeyId)]->text(), m_capturedKeys[Index(hotkeyId)]);
    if (!pair)
        return true;
    QWidget *window = parentWidget();
    UnregisterHotKey(window, hotkeyId);
    if (pair->key == 0) {
        RegisteredHotkey(hotkeyId) = kNotRegistered;
        return WriteHotkeySetting(hotkeyId, *pair);
    }
    if (RegisterHotKey(window, hotkeyId, pair->modifiers, pair->key)) {
        RegisteredHotkey(hotkeyId) = *pair;
        return WriteHotkeySetting(hotkeyId, *pair);
    }
    RegisteredHotkey(hotkeyId) = kNotRegistered;
    ShowSkinnedMessage(MB_OK, QString::fromUtf8(kProgramTitle),
                       QString::fromUtf8(kGroups[Index(hotkeyId)].failure));
    return true;
}
