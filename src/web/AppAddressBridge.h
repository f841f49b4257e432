#pragma once

#include <QObject>
#include <QString>

// The object a page's scripts in the program's world reach through the web channel (as
// "appAddressBridge"). The address script reports the top frame's cancelled "app:"
// navigations and offers the texts frames see on their way to others; the element
// behaviours of browser host dialogs ask for window drags here.
class AppAddressBridge : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Name under which the bridge is registered on the channel.
    static const char *const kChannelName;

    Q_INVOKABLE void report(const QString &address);
    Q_INVOKABLE void offer(const QString &address);
    Q_INVOKABLE void arrived(const QString &url);
    Q_INVOKABLE void startWindowDrag();

signals:
    void reported(const QString &address);
    void offered(const QString &address);
    // The top frame's document has been parsed.
    void documentArrived(const QString &url);
    void windowDragRequested();
};
