#pragma once

#include <atomic>
#include <mutex>

// What another thread needs to stop a running transfer at once: a cancel flag and the
// transfer's socket. Cancel sets the flag and shuts the socket down, which wakes the
// transfer even while the server sends nothing; the transfer then ends as failed.
class HttpTransfer
{
public:
    HttpTransfer() = default;
    HttpTransfer(const HttpTransfer &) = delete;
    HttpTransfer &operator=(const HttpTransfer &) = delete;

    // Any thread. Also stops transfers that have not started yet.
    void Cancel();
    bool IsCancelled() const { return m_cancelled.load(); }

    // The transfer's side: the socket it opened and is about to close.
    void SocketOpened(int socket);
    void SocketClosing(int socket);

private:
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex; // guards m_socket against its closing while Cancel shuts it down
    int m_socket = -1;
};
