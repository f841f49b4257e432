#include "game/ReadyLogin.h"

ReadyLogin::ReadyLogin(Factory factory, QWidget *owner)
    : m_factory(std::move(factory))
    , m_owner(owner)
{
    m_delay.setSingleShot(true);
    m_delay.setInterval(kDelayMs);
    QObject::connect(&m_delay, &QTimer::timeout, &m_delay, [this] {
        m_ready = m_factory(m_owner);
        m_age.start();
    });
}

void ReadyLogin::PrepareSoon()
{
    if (m_factory && !m_ready && !m_delay.isActive())
        m_delay.start();
}

void ReadyLogin::Drop()
{
    m_delay.stop();
    m_ready.reset();
}

std::unique_ptr<QDialog> ReadyLogin::Take()
{
    m_delay.stop();
    if (m_ready && m_age.elapsed() > kMaxAgeMs)
        m_ready.reset();
    if (m_ready)
        return std::move(m_ready);
    return m_factory ? m_factory(m_owner) : nullptr;
}
