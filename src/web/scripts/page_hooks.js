// Runs at document creation in every frame, in the page's own world: the calls that
// navigate without an event the program's world could see (window.open, form.submit())
// tell it about their address with an event of their own. Nothing here acts on it.
(function () {
    'use strict';
    const open = window.open;
    window.open = function (url) {
        if (url !== undefined) {
            let address = String(url);
            try {
                address = new URL(address, document.baseURI).href;
            } catch (error) {
                // The engine refuses what cannot be parsed; the text stays as given.
            }
            document.dispatchEvent(new CustomEvent('__fenlowOpen', { detail: address }));
        }
        return open.apply(this, arguments);
    };
    const submit = HTMLFormElement.prototype.submit;
    HTMLFormElement.prototype.submit = function () {
        this.dispatchEvent(new CustomEvent('__fenlowSubmit'));
        return submit.apply(this, arguments);
    };
})();
