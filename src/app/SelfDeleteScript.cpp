#include "app/SelfDeleteScript.h"

namespace {

// The paths are assigned once and only ever used inside double quotes; "--" keeps a path
// that might begin with "-" from being read as an option.
const char *const kHead =
    "#!/bin/sh\n"
    "exec </dev/null >/dev/null 2>&1\n"
    "exe=%EXE%\n"
    "folder=%FOLDER%\n"
    "self=%SELF%\n"
    "cd /\n"
    "running() {\n"
    "  for link in /proc/[0-9]*/exe; do\n"
    "    if [ \"$link\" -ef \"$exe\" ]; then return 0; fi\n"
    "  done\n"
    "  return 1\n"
    "}\n"
    "while :; do\n"
    "  sleep 1\n"
    "  running || rm -f -- \"$exe\"\n"
    "  if [ ! -e \"$exe\" ] && [ ! -L \"$exe\" ]; then break; fi\n"
    "done\n";

const char *const kFolderPart =
    "for entry in \"$folder\"/* \"$folder\"/.[!.]* \"$folder\"/..?*; do\n"
    "  if [ -f \"$entry\" ] || [ -L \"$entry\" ]; then rm -f -- \"$entry\"; fi\n"
    "done\n"
    "rmdir -- \"$folder\"\n";

const char *const kTail = "rm -f -- \"$self\"\n";

} // namespace

QByteArray ShellQuoted(const QByteArray &text)
{
    QByteArray quoted = text;
    quoted.replace('\'', "'\\''");
    return '\'' + quoted + '\'';
}

QByteArray SelfDeleteScriptText(const QByteArray &executable, const QByteArray &folder,
                                const QByteArray &script, bool removeFolder)
{
    QByteArray text(kHead);
    // Each placeholder is replaced once, the last one first: a path inserted that way lies
    // behind every placeholder still to be found, so a path that holds a placeholder's
    // text changes nothing.
    text.replace(text.indexOf("%SELF%"), 6, ShellQuoted(script));
    text.replace(text.indexOf("%FOLDER%"), 8, ShellQuoted(folder));
    text.replace(text.indexOf("%EXE%"), 5, ShellQuoted(executable));
    if (removeFolder)
        text += kFolderPart;
    text += kTail;
    return text;
}
