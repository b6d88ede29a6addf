// Words typed at the end of a link, or of a field's result (a date, a
// form's choice), follow it as text of their own. The engine types them
// outside a link but in the colour and underline of its words, so that they
// look like part of it, and saved they take the link's looks away from it;
// and it types them into a field's result, where a form's list drops them
// for its choice. They go after the link or field instead, in the font and
// size of its last words, without a link's colour and underline.
(function (global) {
    'use strict';

    var BLOCKS = 'p, li, div, h1, h2, h3, h4, h5, h6, blockquote, pre, td, th';
    // What the page shows nothing for: list placeholders and mark carriers.
    var UNSHOWN = /[\uFEFF\u2060]/g;

    function elementOf(node) {
        return node.nodeType === Node.ELEMENT_NODE ? node : node.parentNode;
    }

    var ENDED = 'a[href], span[data-field]:not([data-hidden])';

    function endsAt(element, caret) {
        var rest = global.document.createRange();
        rest.setStart(caret.startContainer, caret.startOffset);
        rest.setEnd(element, element.childNodes.length);
        return rest.toString().replace(UNSHOWN, '') === '';
    }

    // The outermost link or field a collapsed caret stands at the end of,
    // inside it or right after it; none when its words go on after the caret.
    function linkEndingAt(caret) {
        var link = elementOf(caret.startContainer).closest(ENDED);
        if (!link && caret.startContainer.nodeType === Node.ELEMENT_NODE && caret.startOffset > 0) {
            var before = caret.startContainer.childNodes[caret.startOffset - 1];
            if (before && before.nodeType === Node.ELEMENT_NODE && before.matches(ENDED))
                link = before;
        }
        if (!link || !endsAt(link, caret))
            return null;
        for (var outer = link.parentElement && link.parentElement.closest(ENDED); outer && endsAt(outer, caret);
             outer = outer.parentElement && outer.parentElement.closest(ENDED))
            link = outer;
        return link;
    }

    // The last words of the link that the page shows.
    function lastShownText(link) {
        var walker = global.document.createTreeWalker(link, NodeFilter.SHOW_TEXT);
        var found = null;
        for (var node = walker.nextNode(); node; node = walker.nextNode()) {
            if (node.data.replace(UNSHOWN, '').trim() !== '' && !elementOf(node).closest('span[data-hidden]'))
                found = node;
        }
        return found;
    }

    // The typed words in copies of the elements that hold the link's last
    // words inside it, less the looks that make them a link's, in the font,
    // size and colour of the text around the link: the engine would
    // otherwise give inserted words the looks of the page's own root.
    function typedInLinkLooks(link, typed) {
        var html = typed.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
            .replace(/^ | $/g, '&nbsp;');
        var text = lastShownText(link);
        var isLink = link.matches('a[href]');
        var words = global.getComputedStyle(text ? text.parentElement : link);
        var around = global.getComputedStyle(link.parentElement);
        var outer = global.document.createElement('span');
        outer.style.fontFamily = words.fontFamily;
        outer.style.fontSize = words.fontSize;
        outer.style.color = around.color;
        // A field's own element holds looks of its words; a link's none.
        var last = isLink ? link : link.parentElement;
        for (var element = text ? text.parentElement : null; element && element !== last; element = element.parentElement) {
            if (isLink && element.tagName === 'U')
                continue;
            var copy = element.cloneNode(false);
            copy.removeAttribute('id');
            copy.removeAttribute('data-field');
            if (isLink && copy.tagName === 'FONT')
                copy.removeAttribute('color');
            if (isLink)
                ['color', 'text-decoration', 'text-decoration-line', 'text-decoration-color', 'text-decoration-style',
                 '-webkit-text-decorations-in-effect'].forEach(function (name) { copy.style.removeProperty(name); });
            if (copy.getAttribute('style') === '')
                copy.removeAttribute('style');
            copy.innerHTML = html;
            html = copy.outerHTML;
        }
        outer.innerHTML = html;
        return outer.outerHTML;
    }

    global.document.addEventListener('beforeinput', function (event) {
        var selection = global.getSelection();
        if (event.defaultPrevented || event.inputType !== 'insertText' || typeof event.data !== 'string' || !event.data ||
            !selection || !selection.rangeCount || !selection.isCollapsed)
            return;
        var caret = selection.getRangeAt(0);
        var link = linkEndingAt(caret);
        if (!link || !link.closest(BLOCKS))
            return;
        event.preventDefault();
        var after = global.document.createRange();
        after.setStartAfter(link);
        after.collapse(true);
        selection.removeAllRanges();
        selection.addRange(after);
        global.document.execCommand('insertHTML', false, typedInLinkLooks(link, event.data));
    }, true);
})(window);
