// Runs at document creation in every frame, in the program's own script world (the page's
// scripts cannot reach it), wrapped in one function together with qwebchannel.js.
//
// The top frame cancels its own navigations to "app:" addresses and hands their exact
// text to the program over the web channel. Every other navigation to such an address is
// refused by the program itself, which learns of it from the engine with part of its text
// lost; every frame therefore tells the program the exact texts it sees on their way to
// a navigation (links, forms, frame sources, navigations of its own), and the program
// pairs them with the navigations it refused. A text alone never runs a command.
'use strict';

const APP_PREFIX = 'app:';
const MESSAGE_KEY = '__fenlowAppAddress';

function isAppAddress(text) {
    return typeof text === 'string' && text.startsWith(APP_PREFIX);
}

let offer;
let report = null;
if (window === window.top) {
    let pending = [];
    let bridge = null;
    let resolveBridge;
    const bridgeReady = new Promise(function (resolve) { resolveBridge = resolve; });
    // The element behaviours of browser host dialogs share this one channel client.
    Object.defineProperty(window, '__fenlowHostBridge', { value: bridgeReady });

    const call = function (method, text) {
        if (bridge)
            bridge[method](text);
        else
            pending.push([method, text]);
    };
    report = function (text) { call('report', text); };
    offer = function (text) { call('offer', text); };

    const connect = function () {
        if (typeof qt === 'undefined' || !qt.webChannelTransport)
            return false;
        new QWebChannel(qt.webChannelTransport, function (channel) {
            bridge = channel.objects.appAddressBridge;
            pending.forEach(function (entry) { bridge[entry[0]](entry[1]); });
            pending = [];
            resolveBridge(bridge);
        });
        return true;
    };
    if (!connect())
        document.addEventListener('DOMContentLoaded', connect, { once: true });
    document.addEventListener('DOMContentLoaded', function () { call('arrived', location.href); }, { once: true });

    // Texts from the frames below; the page's own message listeners never see them.
    window.addEventListener('message', function (event) {
        const data = event.data;
        if (!data || typeof data !== 'object' || !(MESSAGE_KEY in data))
            return;
        event.stopImmediatePropagation();
        if (isAppAddress(data[MESSAGE_KEY]))
            offer(data[MESSAGE_KEY]);
    }, true);
} else {
    offer = function (text) {
        const message = {};
        message[MESSAGE_KEY] = text;
        window.top.postMessage(message, '*');
    };
}

function offerIfApp(text) {
    if (isAppAddress(text))
        offer(text);
}

if (window.navigation) {
    window.navigation.addEventListener('navigate', function (event) {
        const address = event.destination.url;
        if (!isAppAddress(address))
            return;
        if (report && event.cancelable) {
            event.preventDefault();
            report(address);
        } else {
            offer(address);
        }
    });
}

// Links and image-map areas, whichever frame they target.
document.addEventListener('click', function (event) {
    const link = event.target instanceof Element ? event.target.closest('a[href], area[href]') : null;
    if (link)
        offerIfApp(link.href);
}, true);

// The address a form submission navigates to: a GET replaces the query with the fields.
function submissionAddress(form, submitter) {
    const action = (submitter && submitter.hasAttribute('formaction')) ? submitter.formAction : form.action;
    const method = ((submitter && submitter.hasAttribute('formmethod')) ? submitter.formMethod : form.method).toLowerCase();
    if (!isAppAddress(action) || method !== 'get')
        return action;
    const hash = action.indexOf('#');
    const fragment = hash < 0 ? '' : action.slice(hash);
    const withoutFragment = hash < 0 ? action : action.slice(0, hash);
    const query = withoutFragment.indexOf('?');
    const base = query < 0 ? withoutFragment : withoutFragment.slice(0, query);
    const fields = new FormData(form);
    if (submitter && submitter.name)
        fields.append(submitter.name, submitter.value);
    return base + '?' + new URLSearchParams(fields).toString() + fragment;
}
document.addEventListener('submit', function (event) {
    if (event.target instanceof HTMLFormElement)
        offerIfApp(submissionAddress(event.target, event.submitter));
}, true);
// form.submit(), which fires no "submit" event (see page_hooks.js).
document.addEventListener('__fenlowSubmit', function (event) {
    if (event.target instanceof HTMLFormElement)
        offerIfApp(submissionAddress(event.target, null));
}, true);

// Frames whose source is an address: in the markup, inserted later, or given a new source.
function offerFrameSources(node) {
    if (!(node instanceof Element))
        return;
    if (node instanceof HTMLIFrameElement || node instanceof HTMLFrameElement)
        offerIfApp(node.src);
    node.querySelectorAll('iframe[src], frame[src]').forEach(function (frame) { offerIfApp(frame.src); });
}
new MutationObserver(function (records) {
    records.forEach(function (record) {
        if (record.type === 'attributes')
            offerFrameSources(record.target);
        else
            record.addedNodes.forEach(offerFrameSources);
    });
}).observe(document, { childList: true, subtree: true, attributes: true, attributeFilter: ['src'] });

// window.open (see page_hooks.js).
document.addEventListener('__fenlowOpen', function (event) {
    offerIfApp(event.detail);
}, true);
