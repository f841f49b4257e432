// Runs at document creation in every frame, wrapped in one function together with
// qwebchannel.js. Every navigation to an "app:" address is cancelled and its exact text
// goes to the program: from the top frame over the web channel, from subframes by a
// message to the top frame, which passes it on.
'use strict';

const APP_PREFIX = 'app:';
const MESSAGE_KEY = '__fenlowAppAddress';

function isAppAddress(text) {
    return typeof text === 'string' && text.startsWith(APP_PREFIX);
}

let send;
if (window === window.top) {
    let pending = [];
    let bridge = null;
    let resolveBridge;
    const bridgeReady = new Promise(function (resolve) { resolveBridge = resolve; });
    // The element behaviours of browser host dialogs share this one channel client.
    Object.defineProperty(window, '__fenlowHostBridge', { value: bridgeReady });

    send = function (text) {
        if (bridge)
            bridge.report(text);
        else
            pending.push(text);
    };
    const connect = function () {
        if (typeof qt === 'undefined' || !qt.webChannelTransport)
            return false;
        new QWebChannel(qt.webChannelTransport, function (channel) {
            bridge = channel.objects.appAddressBridge;
            pending.forEach(function (text) { bridge.report(text); });
            pending = [];
            resolveBridge(bridge);
        });
        return true;
    };
    if (!connect())
        document.addEventListener('DOMContentLoaded', connect, { once: true });

    window.addEventListener('message', function (event) {
        const data = event.data;
        if (data && typeof data === 'object' && isAppAddress(data[MESSAGE_KEY]))
            send(data[MESSAGE_KEY]);
    });
} else {
    send = function (text) {
        const message = {};
        message[MESSAGE_KEY] = text;
        window.top.postMessage(message, '*');
    };
}

if (window.navigation) {
    window.navigation.addEventListener('navigate', function (event) {
        const address = event.destination.url;
        if (!isAppAddress(address))
            return;
        if (event.cancelable)
            event.preventDefault();
        send(address);
    });
}
