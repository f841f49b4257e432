#include "support/PageScript.h"

#include <QWebEnginePage>

#include "support/Wait.h"

namespace PageScript {

QVariant RunScript(QWebEnginePage *page, const QString &source)
{
    QVariant result;
    bool done = false;
    page->runJavaScript(source, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    TestWait::Until([&] { return done; });
    return result;
}

} // namespace PageScript
