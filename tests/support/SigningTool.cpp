#include "support/SigningTool.h"

#include <QFile>
#include <QProcess>

namespace SigningTool {

namespace {

constexpr int kToolTimeoutMs = 10000;

QByteArray Run(const QStringList &arguments, const QByteArray &input, bool *ok)
{
    QProcess tool;
    tool.start(QStringLiteral(FENLOW_BIN_DIR "/fenlow-sign"), arguments);
    tool.write(input);
    tool.closeWriteChannel();
    *ok = tool.waitForFinished(kToolTimeoutMs) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
    return tool.readAllStandardOutput();
}

} // namespace

KeyPair NewKeyPair(const QString &folder, const QString &name)
{
    const QString keyFile = folder + QLatin1Char('/') + name;
    bool ok = false;
    Run({QStringLiteral("--new-key"), keyFile}, {}, &ok);
    QFile publicKey(keyFile + QStringLiteral(".pub"));
    if (!ok || !publicKey.open(QIODevice::ReadOnly))
        return {keyFile, {}};
    return {keyFile, QString::fromLatin1(publicKey.readAll().trimmed())};
}

QByteArray Sign(const QString &keyFile, const QByteArray &descriptor)
{
    bool ok = false;
    const QByteArray signedDescriptor = Run({keyFile}, descriptor, &ok);
    return ok ? signedDescriptor : QByteArray();
}

QByteArray PlatformIniKey(const QString &publicKey)
{
    return "[Update]\nPublicKey=" + publicKey.toLatin1() + '\n';
}

} // namespace SigningTool
