#include "skin/ProgressDialogControls.h"

#include "skin/CBtnEx.h"
#include "skin/CImgProgress.h"
#include "skin/CStaticEx.h"
#include "skin/DialogUnits.h"
#include "skin/ProgressDialogLayout.h"
#include "skin/SkinImage.h"

namespace ProgressDialogControls {

CStaticEx *AddStatus(QWidget *dialog, const QRect &units, const QString &text)
{
    auto *status = new CStaticEx(text, dialog);
    status->setGeometry(DialogUnitsToPixels(units));
    return status;
}

CImgProgress *AddProgress(QWidget *dialog)
{
    auto *progress = new CImgProgress(dialog);
    progress->setGeometry(DialogUnitsToPixels(ProgressDialogLayout::kProgressUnits));
    return progress;
}

CBtnEx *AddButton(QWidget *dialog, int id, const QRect &units, const char *utf8Text)
{
    auto *button = new CBtnEx(id, dialog);
    button->setGeometry(DialogUnitsToPixels(units));
    button->m_strText = QString::fromUtf8(utf8Text);
    return button;
}

void SkinControls(CStaticEx *status, int fontSize, CImgProgress *progress, const QList<CBtnEx *> &buttons)
{
    const QImage buttonImage = LoadSkinImage(SkinId::DialogButton);
    for (CBtnEx *button : buttons)
        button->SetImage(buttonImage, true);
    status->m_crNormal = ProgressDialogLayout::kStatusColor;
    status->m_nFontHeight = fontSize;
    progress->SetImages(LoadSkinImage(SkinId::ProgressBack), LoadSkinImage(SkinId::ProgressFill));
}

} // namespace ProgressDialogControls
