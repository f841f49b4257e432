#pragma once

#include <functional>
#include <ostream>

#include <QObject>
#include <QUrl>

#include <QString>
#include <QStringList>

#include "support/QtPrinters.h"

class QWidget;


// Helpers for the game window tests that drive real windows under X11.
namespace GameTestSupport {

// Processes events until `done` holds or `timeoutMs` passed; answers `done()`.
bool WaitUntil(const std::function<bool()> &done, int timeoutMs = 10000);

// Answers every skinned message box that comes up with `result` and records its title
// and text, until destroyed.
class MessageBoxAnswerer
{
public:
    explicit MessageBoxAnswerer(int result);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer &) = delete;
    MessageBoxAnswerer &operator=(const MessageBoxAnswerer &) = delete;

    QStringList titles;
    QStringList texts;

private:
    struct Impl;
    Impl *m_impl;
};

// The text of a skinned message box.
QString MessageBoxText(QWidget *box);

// Receives the addresses the program opens in the user's browser
// (QDesktopServices::setUrlHandler).
class BrowserSink : public QObject
{
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl &url) { opened << url.toString(); }
};

// Runs xdotool with `arguments` and waits for it; answers whether it succeeded.
bool Xdotool(const QStringList &arguments);

} // namespace GameTestSupport
