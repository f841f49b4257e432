#include "support/PrivateHome.h"

#include <QDir>

QProcessEnvironment PrivateHomeEnvironment(const QTemporaryDir &home)
{
    if (!QDir().mkpath(home.filePath("tmp")))
        return {};
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_CACHE_HOME", home.filePath("cache"));
    env.insert("TMPDIR", home.filePath("tmp"));
    env.remove("XDG_RUNTIME_DIR");
    return env;
}
