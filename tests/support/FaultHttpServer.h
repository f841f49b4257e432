#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ssl_st;
struct ssl_ctx_st;

// A loopback HTTP server on its own threads that answers each path the way a test asks,
// also the ways a dead, slow or lying server would: for clients that block the calling
// thread. One request per connection; unknown paths get 404 with a length.
class FaultHttpServer
{
public:
    enum class Mode {
        Answer,  // the head, then the body
        Silent,  // reads the request and never answers
        Trickle, // the head, then the body one byte every `intervalMs`
        Reset,   // the head and half the body, then a connection reset
        Stall,   // the head and the first `stallAfter` bytes, then nothing
    };

    struct Reply {
        int status = 200;
        std::string body;
        long long announced = -1; // Content-Length sent; -1 the body's size, -2 none
        Mode mode = Mode::Answer;
        std::string location;     // a Location header when not empty
        std::string headers;      // further header lines, each ending in "\r\n"
        int intervalMs = 1000;
        long long stallAfter = 0;
        long long generated = 0;  // instead of `body`: this many bytes of a fixed pattern

        static Reply With(int status, std::string body)
        {
            Reply reply;
            reply.status = status;
            reply.body = std::move(body);
            return reply;
        }
        // This reply with another Content-Length, or sent in another mode.
        Reply Announcing(long long length) const
        {
            Reply reply = *this;
            reply.announced = length;
            return reply;
        }
        Reply In(Mode sent) const
        {
            Reply reply = *this;
            reply.mode = sent;
            return reply;
        }
    };

    FaultHttpServer();
    ~FaultHttpServer();
    FaultHttpServer(const FaultHttpServer &) = delete;
    FaultHttpServer &operator=(const FaultHttpServer &) = delete;

    void Set(const std::string &path, const Reply &reply);
    // From now on every connection speaks TLS with this certificate chain and key (PEM
    // files); Url() then names https.
    bool UseTls(const std::string &certificateFile, const std::string &keyFile);
    // Connections whose TLS handshake failed (the client refused the certificate).
    int RefusedHandshakes() const { return m_refusedHandshakes; }
    int Port() const { return m_port; }
    // "http://127.0.0.1:<port>" + path ("https://" once TLS is on).
    std::string Url(const std::string &path) const;
    // Requests that asked for `path`, and the head of the last one.
    int Hits(const std::string &path);
    std::string LastHead(const std::string &path);

    // The byte at `offset` of a generated body.
    static char PatternByte(long long offset);

private:
    struct Connection {
        int socket = -1;
        ssl_st *tls = nullptr;
    };

    void AcceptLoop();
    void Serve(int client);
    void Answer(Connection &connection);
    bool StartTls(Connection &connection);
    std::string ReadHead(Connection &connection);
    bool SendAll(Connection &connection, const char *data, size_t size);
    bool SendBody(Connection &connection, const Reply &reply, long long from, long long to);
    bool Pause(int ms);

    ssl_ctx_st *m_tls = nullptr;
    std::atomic<int> m_refusedHandshakes{0};
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex;
    std::map<std::string, Reply> m_replies;
    std::map<std::string, int> m_hits;
    std::map<std::string, std::string> m_heads;
    std::vector<int> m_clients;
    std::vector<std::thread> m_threads;
    std::thread m_acceptor;
};
