#include "web/AppAddressBridge.h"

const char *const AppAddressBridge::kChannelName = "appAddressBridge";

void AppAddressBridge::report(const QString &address)
{
    emit reported(address);
}

void AppAddressBridge::offer(const QString &address)
{
    emit offered(address);
}

void AppAddressBridge::arrived(const QString &url)
{
    emit documentArrived(url);
}

void AppAddressBridge::startWindowDrag()
{
    emit windowDragRequested();
}
