#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHostAddress>

#include "DemoRouter.h"
#include "DemoServer.h"
#include "base/PlatformHosts.h"
#include "update/DescriptorSigner.h"

namespace {

// The key the descriptors are signed with: the PEM file `path`, or a new one.
std::shared_ptr<const DescriptorSigner> LoadSigner(const QString &path)
{
    if (path.isEmpty()) {
        std::optional<DescriptorSigner> made = DescriptorSigner::Generate();
        return made ? std::make_shared<const DescriptorSigner>(std::move(*made)) : nullptr;
    }
    QFile file(path);
    std::optional<DescriptorSigner> read =
        file.open(QIODevice::ReadOnly) ? DescriptorSigner::FromPem(file.readAll()) : std::nullopt;
    return read ? std::make_shared<const DescriptorSigner>(std::move(*read)) : nullptr;
}

} // namespace

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
    const QCommandLineOption keyOption(
        QStringLiteral("key"), QStringLiteral("Ed25519 private key (PEM, as fenlow-sign --new-key writes it) the "
                                              "descriptors are signed with; default: a new key for this run."),
        QStringLiteral("KEYFILE"));
    parser.addOptions({portOption, bindOption, updateOption, keyOption});
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

    const std::shared_ptr<const DescriptorSigner> signer = LoadSigner(parser.value(keyOption));
    if (!signer) {
        qCritical("fenlow-demo: no signing key (%s)", qPrintable(parser.value(keyOption)));
        return 2;
    }
    DemoServer server(DemoRouter(parser.value(updateOption), port, signer));
    if (!server.Listen(address, static_cast<quint16>(port))) {
        qCritical("fenlow-demo: cannot listen on %s:%d: %s", qPrintable(address.toString()), port,
                  qPrintable(server.ErrorString()));
        return 1;
    }
    qInfo("fenlow-demo: descriptors signed with public key %s", signer->PublicKeyBase64().constData());
    qInfo("fenlow-demo: listening on http://%s:%d", qPrintable(address.toString()), server.Port());
    return app.exec();
}
