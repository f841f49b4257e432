#pragma once

#include <memory>

#include <QString>

#include "HttpRequest.h"
#include "HttpResponse.h"

class DescriptorSigner;

// Decides the demo platform's answer to one request: which site the Host header names
// (the login and game pages, the portal, resource and download hosts, forum, payment,
// customer service) and which page or file of that site the path names.
class DemoRouter {
public:
    // `updateFilePath` is offered as the launcher's new executable; it is read at every
    // request, so a rebuilt file is served at once. `port` is used in the addresses the
    // router writes when a request's Host header names no port. With a `signer`, every
    // descriptor ends with its signature line.
    DemoRouter(QString updateFilePath, int port, std::shared_ptr<const DescriptorSigner> signer = {});

    // The port the server really listens on, once it is known.
    void SetPort(int port) { m_port = port; }

    HttpResponse Route(const HttpRequest &request) const;

    // The bytes served as the new executable: the update file, or a small placeholder
    // when it cannot be read.
    QByteArray UpdateFileBytes() const;

private:
    HttpResponse RouteApps(const HttpRequest &request) const;
    HttpResponse RouteResource(const QByteArray &game, const HttpRequest &request) const;
    HttpResponse RouteDownload(const HttpRequest &request) const;
    HttpResponse Descriptor(const QByteArray &game, const HttpRequest &request) const;
    QByteArray Origin(const char *host, const HttpRequest &request) const;

    QString m_updateFilePath;
    int m_port = 0;
    std::shared_ptr<const DescriptorSigner> m_signer;
};
