#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>

#include "web/WebEngineSetup.h"

// Main of the tests that start the web engine: the "app" scheme is registered before the
// QApplication exists, as the program does.
int main(int argc, char **argv)
{
    // The engine refuses its sandbox when run as root.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    WebEngineSetup::BeforeApplication();
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
