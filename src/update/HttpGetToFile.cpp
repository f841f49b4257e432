#include "update/HttpGetToFile.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/socket.h>
#include <unistd.h>

#include <curl/curl.h>

#include <QFile>

#include "update/HttpTransfer.h"
#include "update/HttpUrl.h"

namespace {

constexpr char kAgent[] = "VEZ";
// The request's own headers; the blank before the first line end is part of the value.
// "Accept:" drops the library's default accept type, as the request names none.
constexpr const char *kHeaders[] = {
    "Accept-Language: zh-cn ",
    "Content-Type: application/x-www-form-urlencoded",
    "Cache-Control: no-cache",
    "Pragma: no-cache",
    "Accept:",
};
constexpr long kReceiveBufferBytes = 100 * 1024;
constexpr int kMaxRedirects = 5;
constexpr long kNotFound = 404;

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// One transfer's state, shared with the library's callbacks.
struct Fetch {
    Fetch(const HttpGetOptions &givenOptions, QString firstAddress, QByteArray targetPath, CURL *handle)
        : options(givenOptions), origin(std::move(firstAddress)), target(std::move(targetPath)), curl(handle)
    {
    }

    const HttpGetOptions &options;
    QString origin;       // scheme, host and port of the first address: redirects stay there
    QByteArray target;
    CURL *curl = nullptr;
    FILE *file = nullptr;
    bool answered = false;   // the final answer's head passed its tests
    bool failed = false;
    QString redirect;        // a redirect's target, when the last head was one
    qint64 expected = 0;
    qint64 total = 0;
    int percent = -1;

    void Report()
    {
        if (!options.progress)
            return;
        const int now = expected > 0 ? int(std::min<qint64>(100, total * 100 / expected)) : 100;
        if (now != percent) {
            percent = now;
            options.progress(now);
        }
    }

    // The blank line after a head: decides whether this answer's body is wanted.
    bool HeadEnded()
    {
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        if (status < 200)
            return true;
        // The transfer keeps this head's fields; a redirect's Location is among them.
        curl_header *header = nullptr;
        const QByteArray location = status / 100 == 3
                && curl_easy_header(curl, "Location", 0, CURLH_HEADER, -1, &header) == CURLHE_OK
            ? QByteArray(header->value).trimmed()
            : QByteArray();
        if (!location.isEmpty()) {
            redirect = Resolve(location.constData());
            return IsOnHost(redirect, origin);
        }
        curl_off_t length = -1;
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        if (status == kNotFound || length < 0 || length > options.maxBytes)
            return false;
        file = OpenTarget();
        if (!file)
            return false;
        expected = length;
        answered = true;
        Report();
        return true;
    }

    FILE *OpenTarget() const
    {
        if (!options.exclusive)
            return std::fopen(target.constData(), "wb");
        constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
        const int fd = ::open(target.constData(), kFlags, S_IRUSR | S_IWUSR);
        FILE *opened = fd < 0 ? nullptr : ::fdopen(fd, "wb");
        if (fd >= 0 && !opened)
            ::close(fd);
        return opened;
    }

    // `relative` (a Location value) read against the address this head answered.
    QString Resolve(const char *relative) const
    {
        char *base = nullptr;
        curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &base);
        CURLU *url = curl_url();
        char *resolved = nullptr;
        QString result;
        if (base && curl_url_set(url, CURLUPART_URL, base, 0) == CURLUE_OK
            && curl_url_set(url, CURLUPART_URL, relative, 0) == CURLUE_OK
            && curl_url_get(url, CURLUPART_URL, &resolved, 0) == CURLUE_OK)
            result = QString::fromUtf8(resolved);
        curl_free(resolved);
        curl_url_cleanup(url);
        return result;
    }

    bool Body(const char *data, size_t size)
    {
        if (options.transfer && options.transfer->IsCancelled())
            return false;
        if (!answered)
            return true; // the body of a redirect
        if (total + qint64(size) > options.maxBytes || std::fwrite(data, 1, size, file) != size)
            return false;
        total += qint64(size);
        Report();
        return true;
    }
};

size_t OnHeader(char *data, size_t size, size_t count, void *user)
{
    auto *fetch = static_cast<Fetch *>(user);
    const size_t bytes = size * count;
    const QByteArray line(data, qsizetype(bytes));
    if (line.startsWith("HTTP/")) {
        fetch->redirect.clear();
    } else if (line == "\r\n" || line == "\n") {
        if (!fetch->HeadEnded()) {
            fetch->failed = true;
            return 0;
        }
    }
    return bytes;
}

size_t OnBody(char *data, size_t size, size_t count, void *user)
{
    auto *fetch = static_cast<Fetch *>(user);
    if (!fetch->Body(data, size * count)) {
        fetch->failed = true;
        return 0;
    }
    return size * count;
}

curl_socket_t OnOpenSocket(void *user, curlsocktype, curl_sockaddr *address)
{
    const int socket = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    HttpTransfer *transfer = static_cast<Fetch *>(user)->options.transfer;
    if (socket >= 0 && transfer)
        transfer->SocketOpened(socket);
    return socket >= 0 ? socket : CURL_SOCKET_BAD;
}

int OnCloseSocket(void *user, curl_socket_t socket)
{
    HttpTransfer *transfer = static_cast<Fetch *>(user)->options.transfer;
    if (transfer)
        transfer->SocketClosing(socket);
    return ::close(socket);
}

// https: the peer's certificate and host name are checked against the system's CA
// store, or the bundle or folder SSL_CERT_FILE / SSL_CERT_DIR name, as OpenSSL
// programs do. A failed check fails the transfer; nothing is retried over http.
void SetTrust(CURL *curl)
{
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    const QByteArray bundle = qgetenv("SSL_CERT_FILE");
    if (!bundle.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, bundle.constData());
    const QByteArray folder = qgetenv("SSL_CERT_DIR");
    if (!folder.isEmpty())
        curl_easy_setopt(curl, CURLOPT_CAPATH, folder.constData());
}

void SetRequest(CURL *curl, Fetch &fetch, curl_slist *headers)
{
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kAgent);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, kStallBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, fetch.options.timeLimitSeconds);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &fetch);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &fetch);
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, OnOpenSocket);
    curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, &fetch);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, OnCloseSocket);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, &fetch);
    SetTrust(curl);
}

} // namespace

bool HttpGetToFile(const QString &address, const QString &targetFile, const HttpGetOptions &options)
{
    if (!options.requiredOrigin.isEmpty() && !IsOnHost(address, options.requiredOrigin))
        return false;
    const std::optional<HttpUrlParts> parts = SplitHttpUrl(address);
    if (!parts || (options.transfer && options.transfer->IsCancelled()))
        return false;

    InitCurlOnce();
    CURL *curl = curl_easy_init();
    if (!curl)
        return false;
    curl_slist *headers = nullptr;
    for (const char *header : kHeaders)
        headers = curl_slist_append(headers, header);

    Fetch fetch(options, JoinHttpUrl(*parts), QFile::encodeName(targetFile), curl);
    SetRequest(curl, fetch, headers);
    QString url = fetch.origin;
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        curl_easy_setopt(curl, CURLOPT_URL, url.toUtf8().constData());
        fetch.redirect.clear();
        curl_easy_perform(curl);
        if (fetch.failed || fetch.answered || fetch.redirect.isEmpty())
            break;
        url = fetch.redirect;
    }
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);

    if (fetch.file && std::fclose(fetch.file) != 0)
        fetch.failed = true;
    const bool cancelled = options.transfer && options.transfer->IsCancelled();
    return fetch.answered && !fetch.failed && !cancelled && fetch.total >= fetch.expected;
}
