#pragma once

#include <QString>

// The display name of a virtual-key code, as hotkey combinations show it; empty for a
// code the table does not name.
QString KeyDisplayName(int virtualKey);
