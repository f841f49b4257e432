#pragma once

#include <QProcessEnvironment>
#include <QTemporaryDir>

// The environment of a launcher started by a test, with `home` as its home and its data,
// settings, cache and temporary folders inside it. Without a runtime folder the
// single-instance endpoints live under the temporary folder, where no launcher of another
// test or of the user can take a hand-over. Answers an empty environment when the
// temporary folder cannot be made.
QProcessEnvironment PrivateHomeEnvironment(const QTemporaryDir &home);
