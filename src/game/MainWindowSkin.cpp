#include "game/MainWindowSkin.h"

#include "game/GameLayout.h"
#include "skin/CBtnEx.h"
#include "skin/CTabCtrlBase.h"
#include "skin/SkinImage.h"

void SkinCaptionButton(CBtnEx *button)
{
    const GameLayout::ButtonFace face = GameLayout::ButtonFaceOf(button->GetDlgCtrlID());
    button->SetImage(LoadSkinImage(face.image), true);
    button->m_strText = QString::fromUtf8(face.text);
    button->m_crText = Qt::white;
}

void SkinTabStrip(CTabCtrlBase *tabs)
{
    tabs->SetTabImages(LoadSkinImage(SkinId::TabExtra), LoadSkinImage(SkinId::TabItem));
    tabs->m_nTextLeft = GameLayout::kTabTextLeft;
    tabs->m_nTextRight = GameLayout::kTabTextRight;
    tabs->m_nTextFormat = TextFormat::VCenter | TextFormat::SingleLine;
}
