#include "support/FaultHttpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/ssl.h>

namespace {

constexpr int kPollMs = 20;
constexpr size_t kMaxHead = 16 * 1024;
// A generated body repeats a block of this many bytes (a prime, so it never lines up with
// the client's buffers).
constexpr long long kPatternPeriod = 65521;

const std::string &PatternBlock()
{
    static const std::string block = [] {
        std::string bytes(size_t(kPatternPeriod), '\0');
        for (long long i = 0; i < kPatternPeriod; ++i)
            bytes[size_t(i)] = char('a' + (i * 7 + i / 61) % 26);
        return bytes;
    }();
    return block;
}

std::string ReasonOf(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

} // namespace

FaultHttpServer::FaultHttpServer()
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 && ::listen(m_listener, 64) == 0
        && ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        m_port = ntohs(address.sin_port);
    m_acceptor = std::thread(&FaultHttpServer::AcceptLoop, this);
}

FaultHttpServer::~FaultHttpServer()
{
    m_stopping = true;
    m_acceptor.join();
    {
        const std::lock_guard lock(m_mutex);
        for (int client : m_clients)
            ::shutdown(client, SHUT_RDWR);
    }
    for (std::thread &thread : m_threads)
        thread.join();
    ::close(m_listener);
    SSL_CTX_free(m_tls);
}

bool FaultHttpServer::UseTls(const std::string &certificateFile, const std::string &keyFile)
{
    SSL_CTX *context = SSL_CTX_new(TLS_server_method());
    if (!context || SSL_CTX_use_certificate_chain_file(context, certificateFile.c_str()) != 1
        || SSL_CTX_use_PrivateKey_file(context, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        SSL_CTX_free(context);
        return false;
    }
    const std::lock_guard lock(m_mutex);
    SSL_CTX_free(m_tls);
    m_tls = context;
    return true;
}

void FaultHttpServer::Set(const std::string &path, const Reply &reply)
{
    const std::lock_guard lock(m_mutex);
    m_replies[path] = reply;
}

std::string FaultHttpServer::Url(const std::string &path) const
{
    return (m_tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(m_port) + path;
}

int FaultHttpServer::Hits(const std::string &path)
{
    const std::lock_guard lock(m_mutex);
    return m_hits[path];
}

std::string FaultHttpServer::LastHead(const std::string &path)
{
    const std::lock_guard lock(m_mutex);
    return m_heads[path];
}

char FaultHttpServer::PatternByte(long long offset)
{
    return PatternBlock()[size_t(offset % kPatternPeriod)];
}

void FaultHttpServer::AcceptLoop()
{
    while (!m_stopping) {
        pollfd waiting{m_listener, POLLIN, 0};
        if (::poll(&waiting, 1, kPollMs) <= 0)
            continue;
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        const std::lock_guard lock(m_mutex);
        m_clients.push_back(client);
        m_threads.emplace_back(&FaultHttpServer::Serve, this, client);
    }
}

bool FaultHttpServer::Pause(int ms)
{
    for (int waited = 0; waited < ms && !m_stopping; waited += kPollMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(kPollMs, ms - waited)));
    return !m_stopping;
}

bool FaultHttpServer::SendAll(Connection &connection, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t sent = connection.tls ? SSL_write(connection.tls, data, int(size))
                                            : ::send(connection.socket, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= size_t(sent);
    }
    return true;
}

bool FaultHttpServer::SendBody(Connection &connection, const Reply &reply, long long from, long long to)
{
    if (reply.generated == 0)
        return SendAll(connection, reply.body.data() + from, size_t(to - from));
    const std::string &block = PatternBlock();
    for (long long offset = from; offset < to;) {
        const long long start = offset % kPatternPeriod;
        const long long length = std::min(to - offset, kPatternPeriod - start);
        if (!SendAll(connection, block.data() + start, size_t(length)))
            return false;
        offset += length;
    }
    return true;
}

bool FaultHttpServer::StartTls(Connection &connection)
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_tls)
            return true;
        connection.tls = SSL_new(m_tls);
    }
    if (connection.tls && SSL_set_fd(connection.tls, connection.socket) == 1 && SSL_accept(connection.tls) == 1)
        return true;
    ++m_refusedHandshakes;
    return false;
}

std::string FaultHttpServer::ReadHead(Connection &connection)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxHead && !m_stopping) {
        pollfd waiting{connection.socket, POLLIN, 0};
        const bool buffered = connection.tls && SSL_pending(connection.tls) > 0;
        if (!buffered && ::poll(&waiting, 1, kPollMs) <= 0)
            continue;
        const ssize_t got = connection.tls ? SSL_read(connection.tls, buffer, sizeof buffer)
                                           : ::recv(connection.socket, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        head.append(buffer, size_t(got));
    }
    return head;
}

void FaultHttpServer::Serve(int client)
{
    // TLS writes to a client that hung up raise SIGPIPE in this thread alone; blocked, it
    // makes them fail instead.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    Connection connection{client};
    if (StartTls(connection)) {
        Answer(connection);
        if (connection.tls)
            SSL_shutdown(connection.tls);
    }
    SSL_free(connection.tls);
    const std::lock_guard lock(m_mutex);
    m_clients.erase(std::find(m_clients.begin(), m_clients.end(), client));
    ::close(client);
}

void FaultHttpServer::Answer(Connection &connection)
{
    const std::string head = ReadHead(connection);
    const size_t start = head.find(' ') + 1;
    const std::string path = head.substr(start, head.find(' ', start) - start);

    Reply reply;
    {
        const std::lock_guard lock(m_mutex);
        ++m_hits[path];
        m_heads[path] = head;
        const auto found = m_replies.find(path);
        if (found != m_replies.end())
            reply = found->second;
        else
            reply = Reply::With(404, "<html>not found</html>");
    }
    const long long size = reply.generated > 0 ? reply.generated : (long long)reply.body.size();
    std::string answer = "HTTP/1.1 " + std::to_string(reply.status) + " " + ReasonOf(reply.status) + "\r\n";
    if (reply.announced != -2)
        answer += "Content-Length: " + std::to_string(reply.announced == -1 ? size : reply.announced) + "\r\n";
    if (!reply.location.empty())
        answer += "Location: " + reply.location + "\r\n";
    answer += "Connection: close\r\n\r\n";

    switch (reply.mode) {
    case Mode::Answer:
        if (SendAll(connection, answer.data(), answer.size()))
            SendBody(connection, reply, 0, size);
        break;
    case Mode::Silent:
        Pause(INT32_MAX);
        break;
    case Mode::Trickle:
        if (SendAll(connection, answer.data(), answer.size())) {
            for (long long i = 0; i < size && Pause(reply.intervalMs); ++i) {
                if (!SendBody(connection, reply, i, i + 1))
                    break;
            }
        }
        break;
    case Mode::Reset:
        if (SendAll(connection, answer.data(), answer.size()) && SendBody(connection, reply, 0, size / 2)) {
            linger hard{1, 0};
            ::setsockopt(connection.socket, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        }
        break;
    case Mode::Stall:
        if (SendAll(connection, answer.data(), answer.size()) && SendBody(connection, reply, 0, std::min(size, reply.stallAfter)))
            Pause(INT32_MAX);
        break;
    }
}
