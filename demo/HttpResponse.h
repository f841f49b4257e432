#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// One response of the demo platform, with the ways it may misbehave on purpose.
struct HttpResponse {
    int status = 200;
    QByteArray contentType = "text/html; charset=utf-8";
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers; // besides the standard ones

    int delayMs = 0;              // wait this long before answering
    qint64 announcedLength = -1;  // Content-Length to claim; -1 claims the body's size
    bool omitLength = false;      // send no Content-Length at all

    // The status line and headers, ending with the blank line.
    QByteArray Head() const;
    // Head and, unless `headOnly`, the body.
    QByteArray Serialize(bool headOnly) const;

    static HttpResponse Page(int status, const QByteArray &html);
    // A small page for an error status, in the platform's look.
    static HttpResponse Error(int status);
};

// The reason phrase of `status` ("OK", "Not Found", ...); "Status" for unusual codes.
QByteArray ReasonPhrase(int status);
