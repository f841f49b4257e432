#include "support/RealInput.h"

#include <QEventLoop>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWidget>

namespace RealInput {

namespace {

constexpr int kScriptTimeoutMs = 5000;

} // namespace

bool Xdo(const QStringList &arguments, int settleMs)
{
    const bool ok = QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
    QTest::qWait(settleMs);
    return ok;
}

bool MoveTo(QPoint screen)
{
    return Xdo({QStringLiteral("mousemove"), QString::number(screen.x()), QString::number(screen.y())});
}

QVariant Eval(QWebEnginePage *page, const QString &script)
{
    QVariant result;
    QEventLoop loop;
    page->runJavaScript(script, [&](const QVariant &value) {
        result = value;
        loop.quit();
    });
    QTimer::singleShot(kScriptTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return result;
}

QPoint ElementCenter(QWidget *view, QWebEnginePage *page, const QString &id)
{
    const QVariantList centre = Eval(page, QStringLiteral("(function () { const r = document.getElementById('%1')"
                                                          ".getBoundingClientRect(); return [Math.round(r.left + r.width / 2),"
                                                          " Math.round(r.top + r.height / 2)]; })()")
                                               .arg(id))
                                    .toList();
    if (centre.size() != 2)
        return {};
    return view->mapToGlobal(QPoint(centre.at(0).toInt(), centre.at(1).toInt()));
}

bool ClickElement(QWidget *view, QWebEnginePage *page, const QString &id, int button)
{
    return MoveTo(ElementCenter(view, page, id)) && Xdo({QStringLiteral("click"), QString::number(button)});
}

} // namespace RealInput
