#pragma once

#include <QObject>
#include <QString>

// The object a page's scripts reach through the web channel (as "appAddressBridge").
// The address script reports every cancelled "app:" navigation here; the element
// behaviours of browser host dialogs ask for window drags here.
class AppAddressBridge : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Name under which the bridge is registered on the channel.
    static const char *const kChannelName;

    Q_INVOKABLE void report(const QString &address);
    Q_INVOKABLE void startWindowDrag();

signals:
    void reported(const QString &address);
    void windowDragRequested();
};
