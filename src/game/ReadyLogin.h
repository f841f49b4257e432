#pragma once

#include <functional>
#include <memory>

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

// A further login window built ahead and kept hidden, its login page loaded meanwhile:
// a second start's hand-over then only has to show it. A login kept longer than
// kMaxAgeMs is built anew when asked for, so that no player meets a page loaded long ago.
// The owner holds it as a member: its login then goes before the owner's child windows.
class ReadyLogin
{
public:
    // Creates the login window a further login runs modally over `owner`.
    using Factory = std::function<std::unique_ptr<QDialog>(QWidget *owner)>;

    // How long after it is asked for a login is built: until the page that needed the last
    // one has mostly loaded, so that the two compete little.
    static constexpr int kDelayMs = 3000;
    static constexpr int kMaxAgeMs = 10 * 60 * 1000;

    // Without `factory`, nothing is built ahead and Take answers none.
    ReadyLogin(Factory factory, QWidget *owner);
    ReadyLogin(const ReadyLogin &) = delete;
    ReadyLogin &operator=(const ReadyLogin &) = delete;

    // Builds a login kDelayMs from now, unless one is ready.
    void PrepareSoon();
    // Frees the login built ahead, with its page and the page's renderer, and builds none.
    void Drop();
    // The login built ahead when it is fresh, else a new one.
    std::unique_ptr<QDialog> Take();

private:
    const Factory m_factory;
    QWidget *const m_owner;
    std::unique_ptr<QDialog> m_ready;
    QElapsedTimer m_age;
    QTimer m_delay;
};
