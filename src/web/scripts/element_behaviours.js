// Element behaviours of a browser host dialog, run in the top frame once the document is
// ready. Elements of class "button" show three image states (their background is a
// horizontal strip: normal, hover, pressed); a press takes the capture, and only a
// release inside the pressed element clicks it, once. A press on plain body, td or div
// areas drags the window. The page's own context menu never opens.
(function () {
    'use strict';
    let pressed = null;

    function buttonOf(target) {
        return target instanceof Element ? target.closest('.button') : null;
    }
    function isDisabled(element) {
        return element.disabled === true || element.hasAttribute('disabled');
    }
    function setState(element, index) {
        element.style.backgroundPositionX = (-index * element.offsetWidth) + 'px';
    }
    function normal(element) {
        if (!pressed)
            setState(element, 0);
    }
    function hover(element) {
        if (!pressed && !isDisabled(element))
            setState(element, 1);
    }
    function isDragArea(target) {
        if (!(target instanceof Element))
            return false;
        if (target.closest('a, button, input, select, textarea, label, option, iframe, [contenteditable], .button'))
            return false;
        return ['BODY', 'TD', 'DIV'].includes(target.tagName) || target.closest('body, td, div') !== null;
    }

    document.addEventListener('mouseover', function (event) {
        const button = buttonOf(event.target);
        if (button && !button.contains(event.relatedTarget))
            hover(button);
    }, true);
    document.addEventListener('mouseout', function (event) {
        const button = buttonOf(event.target);
        if (button && !button.contains(event.relatedTarget))
            normal(button);
    }, true);

    document.addEventListener('pointerdown', function (event) {
        if (event.button !== 0)
            return;
        const button = buttonOf(event.target);
        if (button) {
            event.preventDefault();
            if (isDisabled(button))
                return;
            pressed = button;
            button.setPointerCapture(event.pointerId);
            setState(button, 2);
            return;
        }
        if (isDragArea(event.target)) {
            event.preventDefault();
            window.__fenlowHostBridge.then(function (bridge) { bridge.startWindowDrag(); });
        }
    }, true);

    document.addEventListener('pointerup', function (event) {
        if (!pressed)
            return;
        const button = pressed;
        pressed = null;
        const rect = button.getBoundingClientRect();
        const inside = event.clientX >= rect.left && event.clientX < rect.right
            && event.clientY >= rect.top && event.clientY < rect.bottom;
        if (inside) {
            hover(button);
            button.click();
        } else {
            normal(button);
        }
    }, true);

    // The engine's own click after a press is replaced by the one above.
    document.addEventListener('click', function (event) {
        if (event.isTrusted && event.detail > 0 && buttonOf(event.target)) {
            event.preventDefault();
            event.stopImmediatePropagation();
        }
    }, true);

    document.addEventListener('contextmenu', function (event) { event.preventDefault(); }, true);
    document.addEventListener('selectstart', function (event) {
        if (isDragArea(event.target) || buttonOf(event.target))
            event.preventDefault();
    }, true);
})();
