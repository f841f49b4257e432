#pragma once

// Makes this process ready for the web engine, as the program's start does: the engine's
// sandbox is turned off when run as root (it refuses to start there) and the "app" scheme
// is registered. Call before the QApplication exists.
void PrepareWebEngineProcess();
