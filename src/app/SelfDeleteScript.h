#pragma once

#include <QByteArray>

// The text of the POSIX sh script that removes the launcher after it has ended. It
// changes to the root folder, then once a second checks whether any process still runs
// the executable and, when none does, deletes it, until the executable is gone. With
// `removeFolder` (the executable was alone in its folder) it then deletes every file in
// the folder and the folder itself; last it deletes the script. Every path is one
// single-quoted shell word, so no character in it is ever read as code.
QByteArray SelfDeleteScriptText(const QByteArray &executable, const QByteArray &folder,
                                const QByteArray &script, bool removeFolder);

// `text` as one single-quoted sh word.
QByteArray ShellQuoted(const QByteArray &text);
