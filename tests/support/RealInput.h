#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVariant>

class QWebEnginePage;
class QWidget;

// Real pointer and key input on the X display (xdotool) and script results of a real
// page, for tests that act as the player does.
namespace RealInput {

// Runs xdotool with `arguments`; answers whether it succeeded. Events it causes are
// processed for `settleMs` afterwards.
bool Xdo(const QStringList &arguments, int settleMs = 150);

// Moves the pointer to `screen` (screen coordinates).
bool MoveTo(QPoint screen);

// The result of `script` in `page`'s top frame; invalid after a time-out.
QVariant Eval(QWebEnginePage *page, const QString &script);

// Screen position of the centre of the element with id `id` of the page `view` shows.
QPoint ElementCenter(QWidget *view, QWebEnginePage *page, const QString &id);

// Clicks (button 1, or `button`) at the centre of element `id`.
bool ClickElement(QWidget *view, QWebEnginePage *page, const QString &id, int button = 1);

} // namespace RealInput
