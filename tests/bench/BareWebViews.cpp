// The yardstick for the launcher's memory and CPU: a program that does nothing but show web
// pages, one QWebEngineView per address given, all of them the size of the launcher's game
// page area, the last one shown and the others hidden. All views share one store of
// cookies and storage; with --stores each view after the first has one of its own, kept in
// memory, as the launcher's further accounts do.
// Usage: fenlow-bare-views [--geometry X,Y,W,H] [--stores] URL...
#include <QApplication>
#include <QRect>
#include <QStringList>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <memory>
#include <vector>

namespace {

QRect ParseGeometry(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return {};
    return QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    QRect geometry(4, 30, 1592, 966);
    if (arguments.size() >= 2 && arguments.first() == QLatin1String("--geometry")) {
        geometry = ParseGeometry(arguments.at(1));
        arguments = arguments.mid(2);
    }
    const bool ownStores = !arguments.isEmpty() && arguments.first() == QLatin1String("--stores");
    if (ownStores)
        arguments.removeFirst();
    if (arguments.isEmpty() || !geometry.isValid()) {
        qCritical("usage: fenlow-bare-views [--geometry X,Y,W,H] [--stores] URL...");
        return 2;
    }
    std::vector<std::unique_ptr<QWebEngineView>> views;
    for (const QString &address : std::as_const(arguments)) {
        auto view = std::make_unique<QWebEngineView>();
        if (ownStores && !views.empty())
            view->setPage(new QWebEnginePage(new QWebEngineProfile(&app), view.get()));
        view->setGeometry(geometry);
        view->load(QUrl(address));
        views.push_back(std::move(view));
    }
    views.back()->show();
    return app.exec();
}
