#pragma once

#include <ostream>

#include <QString>
#include <QStringList>

#include "support/QtPrinters.h"

class TestHttpServer;

// One way a page can send a frame to an "app:" address, served by a test server: the page
// at Path() goes there by itself once loaded (or, for a real-click case, once its element
// "frame" is clicked).
struct InterceptionCase {
    // How the address reaches the host: as the page wrote it; with a GET form's fields
    // as its query; or, where no script of the page can see the text (an HTTP redirect,
    // a script-driven navigation of an opaque frame, a script of the opener sending an
    // opened window on), as the engine's URL gives it back.
    enum class Arrives { AsWritten, WithFormQuery, AsTheEngineGivesIt };

    const char *name;
    // The page; {{A}} stands for the address in an attribute, {{J}} for it as a script
    // string ({{JA}} in a script inside an attribute), {{D}} for it inside a data: address,
    // {{OTHER}} for the server's other origin.
    const char *page;
    Arrives arrives{Arrives::AsWritten};
    bool realClick{false};
    // Whether the page opens the address in a new window (so an http(s) address in its
    // place goes to the desktop's browser).
    bool opensWindow{false};

    QString Path() const { return QStringLiteral("/case/") + QLatin1String(name); }
    // The text that must reach the host for `address`.
    QString Expected(const QString &address) const;
};

// Every case, each with a page the host must not leave.
const QList<InterceptionCase> &InterceptionCases();

// Serves every case's page for `address`, with the frames, redirect and slow image they use.
void ServeInterceptionCases(TestHttpServer &server, const QString &address);

// Readable case names in test output.
inline std::string CaseName(const InterceptionCase &c)
{
    return c.name;
}
inline void PrintTo(const InterceptionCase &c, std::ostream *out)
{
    *out << c.name;
}
