#pragma once

#include <QList>
#include <QtGlobal>

// How many addresses one page may hand to the desktop's browser: at most kMaxOpens in
// any kWindowMs. A page that opens windows in a loop gets its first few and no more.
// Times are milliseconds on one monotonic clock.
class DesktopOpenLimit
{
public:
    static constexpr int kMaxOpens = 3;
    static constexpr qint64 kWindowMs = 10000;

    // Whether an open at `nowMs` may go ahead; an admitted one counts against the limit.
    bool Admit(qint64 nowMs);

private:
    QList<qint64> m_admitted;
};
