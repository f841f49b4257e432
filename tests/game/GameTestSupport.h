#pragma once

#include <ostream>

#include <QObject>
#include <QUrl>

#include <QString>
#include <QStringList>
#include <QVariant>

#include "support/PageScript.h"
#include "support/QtPrinters.h"

class QTemporaryDir;
class QWebEnginePage;
class QWidget;


// Helpers for the game window tests that drive real windows under X11.
namespace GameTestSupport {

// A new temporary folder that HOME, XDG_DATA_HOME, XDG_CONFIG_HOME and TMPDIR now name,
// so that the suite's settings, profile and instance endpoints are its own.
QTemporaryDir *NewPrivateHome();

// Sends `window` the close request a window manager sends for Alt+F4 or its close
// button (WM_DELETE_WINDOW); true when it was sent.
bool RequestCloseByWindowManager(QWidget *window);

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

using PageScript::RunScript;

} // namespace GameTestSupport
