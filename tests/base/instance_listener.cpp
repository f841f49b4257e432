// A stand-in for a running main window in the single-instance tests: opens this
// process's endpoint, prints "listening <path>" and then every message it receives, one
// per line, and runs until killed.
#include <cstdio>

#include <QCoreApplication>

#include "base/InstanceChannel.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    InstanceEndpoint endpoint;
    if (!endpoint.Listen())
        return 1;
    QObject::connect(&endpoint, &InstanceEndpoint::messageReceived, [](int message) {
        std::printf("%d\n", message);
        std::fflush(stdout);
    });
    std::printf("listening %s\n", qPrintable(endpoint.Path()));
    std::fflush(stdout);
    return app.exec();
}
