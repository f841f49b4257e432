#pragma once

#include <QByteArray>

// Runs one fuzz input, read as UTF-8 (with and without the "app://" prefix) and as
// UTF-16, through the address grammar and the loadgame rules. Answers false when a rule
// is broken (an argument list outside 1..100 entries); a crash or overflow shows up
// under the sanitizers.
bool CheckAppAddressInput(const QByteArray &input);
