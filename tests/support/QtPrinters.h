#pragma once

#include <ostream>

#include <QString>

// Readable failure messages for texts (lists of them print through this too).
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE
