#include <gtest/gtest.h>

#include <QApplication>

#include "support/WebEngineProcess.h"

// Main of the tests that start the web engine: the "app" scheme is registered before the
// QApplication exists, as the program does.
int main(int argc, char **argv)
{
    PrepareWebEngineProcess();
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
