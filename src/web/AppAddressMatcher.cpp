#include "web/AppAddressMatcher.h"

#include <QRegularExpression>

namespace {

const QString kScheme = QStringLiteral("app");

// The parts QUrl lists in the description of an invalid URL:
//   ...; source was "<text>"; scheme = "app", host = "", path = "...", query = "..."
QString ErrorPart(const QString &error, const QString &name)
{
    const QRegularExpression part(QStringLiteral(" %1 = \"(.*?)\"(?:,|$)").arg(name));
    const QRegularExpressionMatch match = part.match(error);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool HasErrorPart(const QString &error, const QString &name)
{
    return error.contains(QStringLiteral(" %1 = \"").arg(name));
}

} // namespace

QStringList AppAddressMatcher::AddText(const QString &text, qint64 nowMs)
{
    const QString key = EngineUrlKeyOfText(text);
    for (qsizetype i = 0; i < m_navigations.size(); ++i) {
        if (m_navigations.at(i).key == key) {
            m_navigations.removeAt(i);
            return {text};
        }
    }
    m_texts.append({key, text, nowMs});
    return {};
}

QStringList AppAddressMatcher::AddNavigation(const QUrl &url, qint64 nowMs)
{
    const QString key = EngineUrlKey(url);
    for (qsizetype i = 0; i < m_texts.size(); ++i) {
        if (m_texts.at(i).key == key) {
            const QString text = m_texts.takeAt(i).text;
            return {text};
        }
    }
    const std::optional<QString> recovered = RecoverAppAddress(url);
    if (recovered)
        m_navigations.append({key, *recovered, nowMs});
    return {};
}

QStringList AppAddressMatcher::Expire(qint64 nowMs)
{
    QStringList due;
    while (!m_navigations.isEmpty() && nowMs - m_navigations.first().since >= kGraceMs)
        due.append(m_navigations.takeFirst().text);
    while (!m_texts.isEmpty() && nowMs - m_texts.first().since >= kTextLifeMs)
        m_texts.removeFirst();
    return due;
}

std::optional<qint64> AppAddressMatcher::NextDeadline() const
{
    std::optional<qint64> next;
    if (!m_navigations.isEmpty())
        next = m_navigations.first().since + kGraceMs;
    if (!m_texts.isEmpty() && (!next || m_texts.first().since + kTextLifeMs < *next))
        next = m_texts.first().since + kTextLifeMs;
    return next;
}

QString EngineUrlKey(const QUrl &url)
{
    return url.isValid() ? url.toString(QUrl::FullyEncoded) : url.errorString();
}

QString EngineUrlKeyOfText(const QString &text)
{
    return EngineUrlKey(QUrl::fromEncoded(text.toUtf8()));
}

std::optional<QString> RecoverAppAddress(const QUrl &url)
{
    if (url.isValid())
        return url.scheme() == kScheme ? std::optional<QString>(url.toString(QUrl::FullyEncoded)) : std::nullopt;
    const QString error = url.errorString();
    if (ErrorPart(error, QStringLiteral("scheme")) != kScheme)
        return std::nullopt;
    const QRegularExpression sourcePattern(QStringLiteral("; source was \"(.*?)\";"));
    const QString source = sourcePattern.match(error).captured(1);
    // Some errors quote the whole text; a host error only the host.
    if (source.startsWith(kScheme + QLatin1Char(':')))
        return source;
    const QString path = ErrorPart(error, QStringLiteral("path"));
    // The host ends where the text's first "/" is; the colon before an embedded "//"
    // ("...|http://") was taken for an empty port.
    QString text = kScheme + QStringLiteral("://") + QString(source).replace(QStringLiteral("%7C"), QStringLiteral("|"));
    if (path.startsWith(QStringLiteral("//")))
        text += QLatin1Char(':');
    text += path;
    if (HasErrorPart(error, QStringLiteral("query")))
        text += QLatin1Char('?') + ErrorPart(error, QStringLiteral("query"));
    if (HasErrorPart(error, QStringLiteral("fragment")))
        text += QLatin1Char('#') + ErrorPart(error, QStringLiteral("fragment"));
    return text;
}
