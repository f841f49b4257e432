#include "web/AppAddressBridge.h"

const char *const AppAddressBridge::kChannelName = "appAddressBridge";

void AppAddressBridge::report(const QString &address)
{
    emit reported(address);
}

void AppAddressBridge::startWindowDrag()
{
    emit windowDragRequested();
}
