#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// Pairs the "app:" navigations the engine refused with the exact address texts the page's
// scripts saw, so that every refused navigation is reported once, with the page's own
// text. The engine hands such addresses over as URLs that lost part of their text (the
// command protocol's addresses are no valid URLs); the scripts see the text but cannot
// tell which navigations really happen. A text alone is never reported: only a refused
// navigation is, with the matching text when one arrives in time, else with the text
// recovered from the engine's URL. Times are milliseconds on one monotonic clock.
class AppAddressMatcher
{
public:
    // How long a refused navigation waits for its text before it is reported with the
    // recovered one.
    static constexpr qint64 kGraceMs = 300;
    // How long a text waits for its navigation (a page may cancel the click it came from).
    static constexpr qint64 kTextLifeMs = 5000;

    // A text a frame's scripts saw on its way to a navigation. Answers the addresses now
    // due: the text when a refused navigation was waiting for it.
    QStringList AddText(const QString &text, qint64 nowMs);
    // A navigation the engine refused, as the engine gave its URL. Answers the addresses
    // now due: the matching text when one arrived already.
    QStringList AddNavigation(const QUrl &url, qint64 nowMs);
    // Answers the navigations whose grace ran out, with their recovered texts, and drops
    // texts past their life.
    QStringList Expire(qint64 nowMs);
    // When Expire next has something to do; nothing when nothing waits.
    std::optional<qint64> NextDeadline() const;

private:
    struct Entry {
        QString key;
        QString text;
        qint64 since{};
    };
    QList<Entry> m_texts;
    QList<Entry> m_navigations;
};

// What identifies an address once the engine has turned it into a URL: two texts with the
// same key reach the program as the same URL.
QString EngineUrlKey(const QUrl &url);
// The key of the URL the engine makes of `text`.
QString EngineUrlKeyOfText(const QString &text);

// The address text recovered from a URL the engine made of an "app:" address; nothing
// when the URL is of another scheme. Exact for a valid URL but for the host's letter case,
// and for the protocol's usual addresses ("app://name:args|http://..."); a "%7C" written
// in the name part comes back as "|".
std::optional<QString> RecoverAppAddress(const QUrl &url);
