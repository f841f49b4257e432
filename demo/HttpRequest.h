#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// Largest request head (request line and headers) the demo platform reads.
inline constexpr int kMaxRequestHeadBytes = 8192;

// One HTTP/1.x request head as the demo platform reads it.
struct HttpRequest {
    enum class State { Incomplete, Complete, Bad };

    QByteArray method;
    QByteArray target;   // the request target as sent
    QByteArray path;     // origin-form path without the query
    QByteArray query;    // the text after "?", empty without one
    QByteArray version;  // "HTTP/1.0" or "HTTP/1.1"
    QByteArray authority; // Host header (or absolute target's authority) as sent
    QByteArray host;     // authority in lower case without port and trailing dot
    QList<QPair<QByteArray, QByteArray>> headers;

    // The value of the first header named `name` (case-insensitive), trimmed.
    QByteArray Header(const QByteArray &name) const;
    // The percent-decoded value of query parameter `key`; empty when absent.
    QByteArray QueryValue(const QByteArray &key) const;
    // The port of the authority, or `fallback` when it names none.
    int AuthorityPort(int fallback) const;
};

struct HttpParseResult {
    HttpRequest::State state = HttpRequest::State::Incomplete;
    HttpRequest request;
};

// Reads the request head at the start of `buffer`. Incomplete while the head has not
// ended and is within kMaxRequestHeadBytes; Bad for a malformed or oversized head.
HttpParseResult ParseHttpRequest(const QByteArray &buffer);
