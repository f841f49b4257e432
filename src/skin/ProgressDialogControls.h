#pragma once

#include <QList>
#include <QRect>
#include <QString>

class CBtnEx;
class CImgProgress;
class CStaticEx;
class QWidget;

// The controls the small skinned progress dialogs share, placed as ProgressDialogLayout
// says: a status line above an image progress bar, buttons at the bottom right.
namespace ProgressDialogControls {

// A status line showing `text` at `units` (dialog units) on `dialog`.
CStaticEx *AddStatus(QWidget *dialog, const QRect &units, const QString &text);
// The progress bar below the status line.
CImgProgress *AddProgress(QWidget *dialog);
// A dialog button with control id `id` and the text `utf8Text` at `units`.
CBtnEx *AddButton(QWidget *dialog, int id, const QRect &units, const char *utf8Text);
// Gives the controls their skin, the status text in `fontSize`; the dialog's set-up calls
// it. A button without its image would not show at all.
void SkinControls(CStaticEx *status, int fontSize, CImgProgress *progress, const QList<CBtnEx *> &buttons);

} // namespace ProgressDialogControls
