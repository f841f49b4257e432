#include "SkinText.h"

#include <Qt>

int TextFormatToQtFlags(unsigned format)
{
    int flags = 0;
    if (format & TextFormat::Center)
        flags |= Qt::AlignHCenter;
    else if (format & TextFormat::Right)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if ((format & TextFormat::SingleLine) && (format & TextFormat::VCenter))
        flags |= Qt::AlignVCenter;
    else if ((format & TextFormat::SingleLine) && (format & TextFormat::Bottom))
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (format & TextFormat::SingleLine)
        flags |= Qt::TextSingleLine;
    else if (format & TextFormat::WordBreak)
        flags |= Qt::TextWordWrap;
    return flags;
}

QStringList WrapTextLines(const QString &text, int width, int charWidth, const TextMeasure &measure)
{
    QStringList lines;
    if (width < charWidth)
        return lines;
    QString line;
    for (const QChar c : text) {
        if (c == QLatin1Char('\r'))
            continue;
        if (c == QLatin1Char('\n')) {
            lines << line;
            line.clear();
            continue;
        }
        line += c;
        if (measure(line) > width && line.size() > 1) {
            line.chop(1);
            lines << line;
            line = c;
        }
        if (line.size() == 1 && measure(line) > width) {
            // Too wide for any line: it stands alone so the walk still moves on.
            lines << line;
            line.clear();
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

QString CharWidthSample()
{
    return QStringLiteral("测试用汉字来获取宽度");
}
