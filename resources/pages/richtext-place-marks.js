// A bookmark of a place (Word's "_GoBack", a cross-reference's target) and a
// field that shows nothing stand in the page on a hidden span of U+2060
// alone, a carrier. Edits keep them, and all hidden text, where it was among
// the words:
// - the engine puts a caret at the end of a paragraph before the hidden
//   spans that end it, so words typed there would go before its carriers
//   and the mark would follow the new words instead of the words it
//   followed: typing, words an input method composed and a line break at
//   such a place go after them, and words typed on the line that break
//   begins take the language and looks of the words before the mark;
// - the engine takes hidden text beside a selection it replaces for text
//   that does not matter, and deletes it with the selection;
// - find's replacement of words that run across hidden text deletes only
//   the words it found.
(function (global) {
    'use strict';

    var HIDDEN = 'span[data-hidden]';
    var BLOCKS = 'p, li, div, h1, h2, h3, h4, h5, h6, blockquote, pre, td, th';
    var TYPED = /^(insertText|insertFromComposition|insertParagraph|insertLineBreak)$/;
    // Words a key or an input method gives, as the engine's insertText takes them.
    var WORDS = /^(insertText|insertFromComposition)$/;

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
    // Blanks at a line's end show nothing, unless asked for.
    function showsAnything(range, blanksShow) {
        var fragment = range.cloneContents();
        if (fragment.querySelector('img, br, object'))
            return true;
        var spans = fragment.querySelectorAll(HIDDEN);
        for (var i = 0; i < spans.length; ++i)
            spans[i].textContent = '';
        return fragment.textContent.replace(blanksShow ? /\uFEFF/g : /[\uFEFF \t\r\n]/g, '') !== '';
    }

    // The carriers between a collapsed caret and the end of its paragraph,
    // when nothing shown stands there; none when anything does. A blank
    // before them is not drawn at the line's end, where the engine puts the
    // caret before it: the words typed there go after them all the same.
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

    // The hidden spans the engine is kept from while an edit is under way:
    // closed to editing, the page's style lays them out, so that the engine
    // sees them and keeps the words it edits apart from them; it neither
    // deletes one that stands beside what it replaces nor puts new words
    // inside one. Those a person selected whole go with the selection, as a
    // deletion takes them.
    var kept = null;
    // Whether the page's own edit holds them (else one of the engine's,
    // which its input event ends).
    var keptByPage = false;

    function blocksOf(range) {
        var blocks = [];
        [range.startContainer, range.endContainer].forEach(function (node) {
            var block = elementOf(node).closest(BLOCKS);
            if (block && blocks.indexOf(block) < 0)
                blocks.push(block);
        });
        return blocks;
    }

    function keepHiddenAround(range, wholeInsideGoes) {
        release();
        var spans = [];
        blocksOf(range).forEach(function (block) {
            var all = block.querySelectorAll(HIDDEN);
            for (var i = 0; i < all.length; ++i) {
                var span = all[i];
                if (!isOutermostHidden(span) || spans.indexOf(span) >= 0)
                    continue;
                if (wholeInsideGoes && !range.collapsed && range.comparePoint(span, 0) >= 0 &&
                    range.comparePoint(span, span.childNodes.length) <= 0 &&
                    !span.contains(range.startContainer) && !span.contains(range.endContainer))
                    continue;
                spans.push(span);
            }
        });
        if (!spans.length)
            return false;
        spans.forEach(function (span) { span.setAttribute('contenteditable', 'false'); });
        kept = spans;
        return true;
    }

    function release() {
        if (!kept)
            return;
        kept.forEach(function (span) { span.removeAttribute('contenteditable'); });
        kept = null;
        keptByPage = false;
    }

    function select(range) {
        var selection = global.getSelection();
        selection.removeAllRanges();
        selection.addRange(range);
    }

    // The last text before the caret that the page shows, in its block.
    function shownTextBefore(caret, block) {
        var walker = global.document.createTreeWalker(block, NodeFilter.SHOW_TEXT);
        var found = null;
        for (var node = walker.nextNode(); node; node = walker.nextNode()) {
            var before = global.document.createRange();
            before.setStart(node, 0);
            if (before.comparePoint(caret.startContainer, caret.startOffset) < 0 && node !== caret.startContainer)
                break;
            if (!elementOf(node).closest(HIDDEN) && /[^\s\uFEFF]/.test(node.data))
                found = node;
        }
        return found;
    }

    // The typed text in the elements that hold the words before the caret
    // (a language, a colour, a style of their own), as the engine would
    // have typed it among them; null where the block holds them directly.
    function typedAmongWordsBefore(caret, block, typed) {
        var text = shownTextBefore(caret, block);
        var html = typed.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;')
            .replace(/^ | $/g, '&nbsp;');
        var wrapped = false;
        for (var element = text ? text.parentElement : null; element && element !== block; element = element.parentElement) {
            var copy = element.cloneNode(false);
            copy.removeAttribute('id');
            copy.innerHTML = html;
            html = copy.outerHTML;
            wrapped = true;
        }
        return wrapped ? html : null;
    }

    // Inserts the words at the caret in the elements of the words before it,
    // with the hidden spans beside it kept from the engine.
    function insertAmongWordsBefore(caret, block, event, given) {
        var words = WORDS.test(event.inputType);
        var html = given || (words ? typedAmongWordsBefore(caret, block, event.data) : null);
        keepHiddenAround(caret, false);
        keptByPage = true;
        try {
            select(caret);
            if (html)
                global.document.execCommand('insertHTML', false, html);
            else
                global.document.execCommand(words ? 'insertText' : event.inputType, false, event.data);
        } finally {
            release();
        }
    }

    // A caret at the end of a paragraph that ends in carriers types after
    // them: the engine is given a place there and asked again.
    function typeAfterCarriers(event, caret) {
        var carriers = carriersEndingParagraph(caret);
        if (!carriers.length)
            return false;
        // Return just before them makes a new paragraph after the one they
        // end, in the elements of its last words; a blank before them, which
        // the engine would take along, is left where it is by a Return after
        // them.
        var between = caret.cloneRange();
        between.setEndBefore(carriers[0]);
        if (event.inputType === 'insertParagraph' && between.toString() === '')
            return false;
        // The page's own insertions (a paste, a date, a symbol) come as
        // HTML without text of their own.
        var given = event.inputType === 'insertText' && typeof event.data !== 'string' && event.dataTransfer
            ? event.dataTransfer.getData('text/html') : null;
        if (WORDS.test(event.inputType) && typeof event.data !== 'string' && !given)
            return false;
        event.preventDefault();
        var block = elementOf(caret.startContainer).closest(BLOCKS);
        // The place after the carriers is the block's own: one inside an
        // element of the text is no place the engine keeps.
        var last = carriers[carriers.length - 1];
        while (last.parentNode !== block && !last.nextSibling)
            last = last.parentNode;
        var after = global.document.createRange();
        after.setStartAfter(last);
        after.collapse(true);
        insertAmongWordsBefore(after, block, event, given);
        return true;
    }

    // Whether nothing shown stands from the caret to the end of its line.
    function restOfLineShowsNothing(caret, block) {
        var rest = global.document.createRange();
        rest.setStart(caret.startContainer, caret.startOffset);
        rest.setEnd(block, block.childNodes.length);
        var breaks = block.querySelectorAll('br');
        for (var i = 0; i < breaks.length; ++i) {
            if (rest.comparePoint(breaks[i], 0) >= 0) {
                rest.setEndBefore(breaks[i]);
                break;
            }
        }
        return !showsAnything(rest);
    }

    // A line break after the carriers that end a line begins a line in the
    // block's own text, outside the elements that give the words before the
    // mark their language and looks: words typed at the start of that line,
    // with nothing after them on it, are typed among those elements, as
    // they would be after a line break among the words.
    function typeOnLineAfterCarriers(event, caret) {
        if (!WORDS.test(event.inputType) || typeof event.data !== 'string' || !event.data)
            return false;
        var block = elementOf(caret.startContainer).closest(BLOCKS);
        if (!block || elementOf(caret.startContainer) !== block)
            return false;
        var text = shownTextBefore(caret, block);
        if (!text || text.parentElement === block)
            return false;
        var between = global.document.createRange();
        between.setStartAfter(text);
        between.setEnd(caret.startContainer, caret.startOffset);
        var fragment = between.cloneContents();
        var hidden = fragment.querySelectorAll(HIDDEN);
        var carriers = 0;
        for (var i = 0; i < hidden.length; ++i) {
            if (!isCarrier(hidden[i]))
                return false;
            ++carriers;
            hidden[i].textContent = '';
        }
        if (!carriers || !fragment.querySelector('br') || fragment.querySelector('img, object') ||
            fragment.textContent.replace(/[\uFEFF \t\r\n]/g, '') !== '' || !restOfLineShowsNothing(caret, block))
            return false;
        event.preventDefault();
        insertAmongWordsBefore(caret, block, event, null);
        return true;
    }

    global.document.addEventListener('beforeinput', function (event) {
        var selection = global.getSelection();
        if (kept || event.defaultPrevented || !/^insert/.test(event.inputType || '') || !selection || !selection.rangeCount)
            return;
        var range = selection.getRangeAt(0);
        if (selection.isCollapsed && TYPED.test(event.inputType) &&
            (typeAfterCarriers(event, range) || typeOnLineAfterCarriers(event, range)))
            return;
        // A caret takes nothing away; laid out, the hidden text after it
        // would stop it being at its paragraph's end.
        if (selection.isCollapsed || !keepHiddenAround(range, true))
            return;
        // An edit the engine does not make sends no input event.
        global.setTimeout(function () {
            if (!keptByPage)
                release();
        }, 0);
    }, true);
    // Before any other listener reads the page.
    global.addEventListener('input', function () {
        if (!keptByPage)
            release();
    }, true);

    // Replaces the words of a range found by a search with the text. What
    // the page keeps but does not show among them, and the carriers of
    // bookmarks and fields, are not part of what was found and stay, after
    // the replacement; the shown words between them go.
    global.replaceKeepingMarks = function (range, text) {
        var inside = [];
        var all = elementOf(range.commonAncestorContainer).querySelectorAll(HIDDEN);
        for (var i = 0; i < all.length; ++i) {
            if (isOutermostHidden(all[i]) && range.intersectsNode(all[i]))
                inside.push(all[i]);
        }
        var first = range.cloneRange();
        var later = [];
        if (inside.length) {
            first.setEndBefore(inside[0]);
            inside.forEach(function (span, index) {
                var part = range.cloneRange();
                part.setStartAfter(span);
                if (index + 1 < inside.length)
                    part.setEndBefore(inside[index + 1]);
                later.push(part);
            });
        }
        keepHiddenAround(range, false);
        keptByPage = true;
        try {
            later.reverse().forEach(function (part) {
                if (showsAnything(part, true)) {
                    select(part);
                    global.document.execCommand('delete');
                }
            });
            select(first);
            global.document.execCommand('insertText', false, text);
        } finally {
            release();
        }
    };
})(window);
