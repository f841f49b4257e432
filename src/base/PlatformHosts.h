#pragma once

#include <optional>

#include <QString>
#include <QStringList>

// The platform's web hosts, each an origin such as "http://www.example.localhost:18321"
// (scheme, host and optional port, no trailing slash). They are deployment
// configuration, read from "Platform.ini" beside the executable or, without one there,
// from the system's "/etc/fenlow/Platform.ini", section "Hosts".
struct PlatformHosts {
    QString apps;     // key "Apps": the launcher login page "/ycj/" and the game pages
    QString resource; // key "Resource": update descriptor and new executables
    QString download; // key "Download": other games' installers
    QString portal;   // key "Portal": official site, also the fallback page of game pages
    QString forum;    // key "Forum"
    QString pay;      // key "Pay"
    QString service;  // key "Service": customer service
    // Section "Update", key "PublicKey": the key descriptors must be signed with, as
    // written; nothing when the file names none.
    std::optional<QString> updateKey;

    // The demo platform on loopback, used where the file or one of its keys is missing.
    static PlatformHosts Defaults();

    // Reads `iniPath`; missing or empty keys keep their default.
    static PlatformHosts Load(const QString &iniPath);

    // The first of `candidates` that exists, read by Load; the defaults when none does.
    // A file that is empty, cannot be read or is not text gives the
    // defaults too, and `problem` (when given) says what is wrong with it.
    static PlatformHosts LoadFirst(const QStringList &candidates, QString *problem = nullptr);

    // Where this installation's hosts may be: beside the executable, then the system's.
    static QStringList Candidates();

    // The hosts of this installation, read from its file now; a broken file is reported
    // on stderr. The start-up reads them once and hands them to whoever needs them.
    static PlatformHosts Installed();

    QString LoginPageUrl() const; // apps + "/ycj/"
};

// Port of the demo platform's defaults.
inline constexpr int kDemoPlatformPort = 18321;
