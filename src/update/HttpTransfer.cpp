#include "update/HttpTransfer.h"

#include <sys/socket.h>

void HttpTransfer::Cancel()
{
    m_cancelled.store(true);
    const std::lock_guard lock(m_mutex);
    if (m_socket >= 0)
        ::shutdown(m_socket, SHUT_RDWR);
}

void HttpTransfer::SocketOpened(int socket)
{
    const std::lock_guard lock(m_mutex);
    m_socket = socket;
    if (m_cancelled.load())
        ::shutdown(m_socket, SHUT_RDWR);
}

void HttpTransfer::SocketClosing(int socket)
{
    const std::lock_guard lock(m_mutex);
    if (m_socket == socket)
        m_socket = -1;
}
