// Tells the editor once the page has loaded: through the message handler
// where the web view offers one, else by a location change it cancels.
if (!window._SSWebViewDOMLoadTimer) {
    window._SSWebViewDOMLoadTimer = setInterval(function () {
        if (/loaded|complete/.test(document.readyState)) {
            clearInterval(window._SSWebViewDOMLoadTimer);
            var h = window.webkit && window.webkit.messageHandlers && window.webkit.messageHandlers.rte;
            if (h) {
                h.postMessage('x-twwebview://dom-loaded');
            } else {
                location.href = 'x-twwebview://dom-loaded';
            }
        }
    }, 10);
}
