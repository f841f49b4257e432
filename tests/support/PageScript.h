#pragma once

#include <QString>
#include <QVariant>

class QWebEnginePage;

// Reading a page's state in tests: scripts run in the page's main frame, in the page's own
// script world.
namespace PageScript {

// Runs `source` in `page`'s main frame and waits for its value (invalid when none came).
QVariant RunScript(QWebEnginePage *page, const QString &source);

} // namespace PageScript
