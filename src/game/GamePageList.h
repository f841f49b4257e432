#pragma once

#include <functional>
#include <memory>

#include <QList>
#include <QStringList>

class CGameWnd;
class QWebEngineProfile;

// Creates the game page host for an entered game address, showing it with the profile of
// the login that entered it; start-up hands it to the login.
using GamePageFactory =
    std::function<CGameWnd *(const QString &address, const std::shared_ptr<QWebEngineProfile> &profile)>;

// The process-wide record of the entered game pages: seven index-aligned arrays, index i
// being page i and, once the page has a window, tab i. `Accounts` and `Servers` always
// have the size of `Pages`; the four later arrays may be shorter while the newest pages
// have not reported yet. Used on the GUI thread only.
class GamePageList
{
public:
    enum class Field { Titles, Urls, RawTitles, Captions };
    static constexpr int kNotFound = -1;

    // The one list of the process.
    static GamePageList &Instance();

    int Count() const { return static_cast<int>(Pages.size()); }
    void Append(CGameWnd *page, const QString &account, const QString &server);
    int IndexOf(const CGameWnd *page) const;

    // Stores `value` at `page`'s index of the field: appended when the field does not
    // reach that index yet (earlier missing entries become empty texts), else replacing
    // the page's element; nothing for a page not in the list. Answers whether the value
    // was appended.
    bool Store(Field field, const CGameWnd *page, const QString &value);

    // Removes element i of every array that has one; the caller deletes the page object.
    void RemoveAt(int i);

    // Empties all arrays without deleting the page objects.
    void Clear();

    // True when some index holds exactly this account and this server.
    bool Contains(const QString &account, const QString &server) const;

    QStringList &Values(Field field);
    const QStringList &Values(Field field) const;

    QList<CGameWnd *> Pages;
    QStringList Accounts;
    QStringList Servers;
    QStringList Titles;
    QStringList Urls;
    QStringList RawTitles;
    QStringList Captions;
};
