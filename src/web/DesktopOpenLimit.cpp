#include "web/DesktopOpenLimit.h"

bool DesktopOpenLimit::Admit(qint64 nowMs)
{
    while (!m_admitted.isEmpty() && nowMs - m_admitted.first() >= kWindowMs)
        m_admitted.removeFirst();
    if (m_admitted.size() >= kMaxOpens)
        return false;
    m_admitted.append(nowMs);
    return true;
}
