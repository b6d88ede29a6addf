// A bookmark of a place (Word's "_GoBack", a cross-reference's target) and a
// field that shows nothing stand in the page on a hidden span of U+2060
// alone, a carrier. The engine puts a caret at the end of a paragraph before
// the hidden spans that end it, so words typed there would go before its
// carriers: the mark would follow the new words instead of the words it
// followed. Typing, Return and a line break at such a place go after them.
(function (global) {
    'use strict';

    var HIDDEN = 'span[data-hidden]';
    // The page's style lays hidden text out while this is set on the root.
    var SHOWING = 'data-showing-hidden';
    var BLOCKS = 'p, li, div, h1, h2, h3, h4, h5, h6, blockquote, pre, td, th';
    var TYPED = /^(insertText|insertParagraph|insertLineBreak)$/;

    function elementOf(node) {
        return node.nodeType === Node.ELEMENT_NODE ? node : node.parentNode;
    }

    function isCarrier(span) {
        return /^\u2060+$/.test(span.textContent);
    }

    function isOutermostHidden(span) {
        return !span.parentElement || !span.parentElement.closest(HIDDEN);
    }

    // What a range shows: its text but that of hidden spans and of the
    // placeholders that hold a caret, and its pictures and line breaks.
    function showsAnything(range) {
        var fragment = range.cloneContents();
        if (fragment.querySelector('img, br, object'))
            return true;
        var spans = fragment.querySelectorAll(HIDDEN);
        for (var i = 0; i < spans.length; ++i)
            spans[i].textContent = '';
        return fragment.textContent.replace(/\uFEFF/g, '') !== '';
    }

    // The carriers between a collapsed caret and the end of its paragraph,
    // when nothing shown stands there; none when anything does.
    function carriersEndingParagraph(caret) {
        var block = elementOf(caret.startContainer).closest(BLOCKS);
        if (!block)
            return [];
        var rest = global.document.createRange();
        rest.setStart(caret.startContainer, caret.startOffset);
        rest.setEnd(block, block.childNodes.length);
        var carriers = [];
        var all = block.querySelectorAll(HIDDEN);
        for (var i = 0; i < all.length; ++i) {
            if (!rest.intersectsNode(all[i]) || !isOutermostHidden(all[i]))
                continue;
            if (!isCarrier(all[i]) || all[i].contains(caret.startContainer))
                return [];
            carriers.push(all[i]);
        }
        if (!carriers.length)
            return [];
        // A paragraph of carriers alone ends in a break that draws its line.
        var last = carriers[carriers.length - 1];
        var upToLast = rest.cloneRange();
        upToLast.setEndAfter(last);
        var afterLast = rest.cloneRange();
        afterLast.setStartAfter(last);
        var trailing = afterLast.cloneContents();
        var onlyLineEnd = trailing.childNodes.length === 0 ||
            (trailing.textContent.replace(/\uFEFF/g, '') === '' && !trailing.querySelector('img, object') &&
             trailing.querySelectorAll('br').length <= 1);
        if (showsAnything(upToLast) || !onlyLineEnd)
            return [];
        return carriers;
    }

    var typing = false;

    function typeAfterCarriers(event) {
        var selection = global.getSelection();
        if (typing || event.defaultPrevented || !selection || !selection.rangeCount || !selection.isCollapsed)
            return;
        var carriers = carriersEndingParagraph(selection.getRangeAt(0));
        if (!carriers.length)
            return;
        event.preventDefault();
        // Laid out and closed to editing, the carriers have a place after
        // them that the engine keeps and types into.
        var root = global.document.documentElement;
        typing = true;
        root.setAttribute(SHOWING, '');
        carriers.forEach(function (carrier) { carrier.setAttribute('contenteditable', 'false'); });
        try {
            var after = global.document.createRange();
            after.setStartAfter(carriers[carriers.length - 1]);
            after.collapse(true);
            selection.removeAllRanges();
            selection.addRange(after);
            global.document.execCommand(event.inputType, false, event.data);
        } finally {
            carriers.forEach(function (carrier) { carrier.removeAttribute('contenteditable'); });
            root.removeAttribute(SHOWING);
            typing = false;
        }
    }

    global.document.addEventListener('beforeinput', function (event) {
        if (TYPED.test(event.inputType || ''))
            typeAfterCarriers(event);
    }, true);
})(window);
