#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>

#include "DemoRouter.h"
#include "DemoServer.h"
#include "base/PlatformHosts.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("fenlow-demo"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The demo game platform on loopback."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Port to listen on (0: a free one)."),
                                        QStringLiteral("N"), QString::number(kDemoPlatformPort));
    const QCommandLineOption bindOption(QStringLiteral("bind"), QStringLiteral("Address to listen on."),
                                        QStringLiteral("ADDR"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption updateOption(
        QStringLiteral("update-file"), QStringLiteral("File offered as the launcher's new executable."),
        QStringLiteral("PATH"), QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("fenlow-next")));
    parser.addOptions({portOption, bindOption, updateOption});
    parser.process(app);

    bool portOk = false;
    const int port = parser.value(portOption).toInt(&portOk);
    if (!portOk || port < 0 || port > 65535) {
        qCritical("fenlow-demo: invalid port %s", qPrintable(parser.value(portOption)));
        return 2;
    }
    const QHostAddress address(parser.value(bindOption));
    if (address.isNull()) {
        qCritical("fenlow-demo: invalid bind address %s", qPrintable(parser.value(bindOption)));
        return 2;
    }

    DemoServer server(DemoRouter(parser.value(updateOption), port));
    if (!server.Listen(address, static_cast<quint16>(port))) {
        qCritical("fenlow-demo: cannot listen on %s:%d: %s", qPrintable(address.toString()), port,
                  qPrintable(server.ErrorString()));
        return 1;
    }
    qInfo("fenlow-demo: listening on http://%s:%d", qPrintable(address.toString()), server.Port());
    return app.exec();
}
