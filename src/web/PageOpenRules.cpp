#include "web/PageOpenRules.h"

namespace {

const char *const kFallbackName = "download";

bool IsUnwanted(QChar c)
{
    return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
        || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// Cuts `text` to at most `bytes` bytes of UTF-8 without splitting a character.
QString CutToBytes(const QString &text, int bytes)
{
    QString cut;
    int used = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        used += static_cast<int>(character.toUtf8().size());
        if (used > bytes)
            break;
        cut += character;
        i += length - 1;
    }
    return cut;
}

// Splits "stem.ext" at its last dot; a name whose only dot leads has no extension.
std::pair<QString, QString> SplitExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return {name, QString()};
    return {name.left(dot), name.mid(dot)};
}

} // namespace

OpenedWindowAction DecideOpenedWindow(const QUrl &url)
{
    if (url.isEmpty())
        return OpenedWindowAction::Drop;
    if (!url.isValid() || url.scheme() == QLatin1String("app"))
        return OpenedWindowAction::Command;
    if (url.scheme() == QLatin1String("about") && url.path() == QLatin1String("blank"))
        return OpenedWindowAction::Wait;
    const bool web = url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
    return web && !url.host().isEmpty() ? OpenedWindowAction::Desktop : OpenedWindowAction::Drop;
}

QString CleanDownloadName(const QString &serverName)
{
    QString name = serverName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    name = name.section(QLatin1Char('/'), -1);
    name.removeIf(IsUnwanted);
    while (!name.isEmpty() && (name.front() == QLatin1Char('.') || name.front().isSpace()))
        name.remove(0, 1);
    name = name.trimmed();
    if (name.isEmpty())
        return QString::fromLatin1(kFallbackName);
    if (name.toUtf8().size() <= kMaxDownloadNameBytes)
        return name;
    auto [stem, extension] = SplitExtension(name);
    if (extension.toUtf8().size() > kMaxDownloadNameBytes / 4) {
        stem = name;
        extension.clear();
    }
    return CutToBytes(stem, kMaxDownloadNameBytes - static_cast<int>(extension.toUtf8().size())).trimmed() + extension;
}

QString UniqueDownloadName(const QString &name, const std::function<bool(const QString &)> &taken)
{
    if (!taken(name))
        return name;
    const auto [stem, extension] = SplitExtension(name);
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(extension);
        if (!taken(candidate))
            return candidate;
    }
}
