// Text a word processor keeps but does not show stands in the page as a
// span with "data-hidden", which the page's style does not lay out. WebKit
// takes text without a layout for insignificant, and a Delete or Backspace
// beside such a span removes it with the character the person meant: the
// save would then write back less than the file held. Such a deletion is
// made here instead: it takes the characters it would have taken but none
// of the hidden text. A selection that holds hidden text whole was chosen
// with it, and is deleted as the engine deletes it.
(function (global) {
    'use strict';

    var HIDDEN = 'span[data-hidden]';
    // While set on the root element, the page's style lays hidden text out,
    // so that the engine deletes exactly the characters selected.
    var SHOWING = 'data-showing-hidden';
    var BLOCKS = 'p, li, div, h1, h2, h3, h4, h5, h6, blockquote, pre, td, th';

    function elementOf(node) {
        return node.nodeType === Node.ELEMENT_NODE ? node : node.parentNode;
    }

    function outermostHidden(node) {
        var found = null;
        for (var element = elementOf(node); element; element = element.parentElement) {
            if (element.matches(HIDDEN))
                found = element;
        }
        return found;
    }

    // The words a range shows: its text but that of hidden spans and the
    // placeholders that hold a caret.
    function shownText(range) {
        var fragment = range.cloneContents();
        var spans = fragment.querySelectorAll(HIDDEN);
        for (var i = 0; i < spans.length; ++i)
            spans[i].textContent = '';
        return fragment.textContent.replace(/\uFEFF/g, '');
    }

    function blockOf(node) {
        return elementOf(node).closest(BLOCKS);
    }

    // Whether a range shows something to delete: words, a picture or line
    // break, or the end of a paragraph that joins the next.
    function showsAnything(range) {
        if (range.collapsed)
            return false;
        if (shownText(range) !== '' || range.cloneContents().querySelector('img, br'))
            return true;
        return blockOf(range.startContainer) !== blockOf(range.endContainer);
    }

    // The hidden spans in the paragraphs a deletion reaches that it would
    // take or stand beside with nothing shown between.
    function hiddenSpansTouched(range) {
        var candidates = [];
        [blockOf(range.startContainer), blockOf(range.endContainer)].forEach(function (block) {
            if (block && candidates.indexOf(block) < 0)
                candidates.push(block);
        });
        var touched = [];
        candidates.forEach(function (block) {
            var spans = block.querySelectorAll(HIDDEN);
            for (var i = 0; i < spans.length; ++i) {
                var span = spans[i];
                var between = global.document.createRange();
                if (range.intersectsNode(span)) {
                    touched.push(span);
                    continue;
                }
                if (range.comparePoint(span, 0) < 0) {
                    between.setStartAfter(span);
                    between.setEnd(range.startContainer, range.startOffset);
                } else {
                    between.setStart(range.endContainer, range.endOffset);
                    between.setEndBefore(span);
                }
                if (!showsAnything(between))
                    touched.push(span);
            }
        });
        return touched;
    }

    // The parts of a range between the hidden spans in it, last first, so
    // that deleting one leaves the places of the others as they are.
    function partsBetweenHidden(range) {
        var parts = [];
        var part = range.cloneRange();
        var spans = [];
        var all = elementOf(range.commonAncestorContainer).querySelectorAll(HIDDEN);
        for (var i = 0; i < all.length; ++i) {
            if (range.intersectsNode(all[i]) && outermostHidden(all[i]) === all[i])
                spans.push(all[i]);
        }
        var startSpan = outermostHidden(range.startContainer);
        if (startSpan)
            part.setStartAfter(startSpan);
        spans.forEach(function (span) {
            if (span === startSpan)
                return;
            if (part.comparePoint(span, 0) >= 0) {
                var before = part.cloneRange();
                before.setEndBefore(span);
                parts.push(before);
            }
            part.setStartAfter(span);
        });
        var endSpan = outermostHidden(range.endContainer);
        if (endSpan && part.comparePoint(endSpan, 0) >= 0)
            part.setEndBefore(endSpan);
        parts.push(part);
        return parts.filter(showsAnything).reverse();
    }

    function select(range) {
        var selection = global.getSelection();
        selection.removeAllRanges();
        selection.addRange(range);
    }

    var deleting = false;

    function deleteBesideHidden(event) {
        var selection = global.getSelection();
        // Hidden text that an edit under way keeps closed to editing is laid
        // out: the engine sees it and deletes exactly what is selected.
        var laidOut = !!global.document.querySelector(HIDDEN + '[contenteditable="false"]');
        if (deleting || laidOut || event.defaultPrevented || !selection || !selection.rangeCount || typeof event.getTargetRanges !== 'function')
            return;
        var targets = event.getTargetRanges();
        if (!targets.length)
            return;
        var target = global.document.createRange();
        target.setStart(targets[0].startContainer, targets[0].startOffset);
        target.setEnd(targets[0].endContainer, targets[0].endOffset);
        var touched = hiddenSpansTouched(target);
        if (!touched.length)
            return;
        // What the person selected with its hidden text goes with it.
        var chosen = selection.getRangeAt(0);
        if (!selection.isCollapsed && touched.every(function (span) {
            return chosen.comparePoint(span, 0) >= 0 && chosen.comparePoint(span, span.childNodes.length) <= 0 &&
                !span.contains(chosen.startContainer) && !span.contains(chosen.endContainer);
        }))
            return;
        event.preventDefault();
        var parts = partsBetweenHidden(target);
        if (!parts.length)
            return;
        var root = global.document.documentElement;
        var states = [];
        deleting = true;
        root.setAttribute(SHOWING, '');
        try {
            parts.forEach(function (part, index) {
                select(part);
                global.document.execCommand('delete');
                if (index < parts.length - 1)
                    states.push(content().innerHTML);
            });
        } finally {
            root.removeAttribute(SHOWING);
            deleting = false;
        }
        // The engine may leave the caret at the end of the hidden text it
        // saw laid out, where typing would go out of sight.
        var caret = parts[parts.length - 1];
        caret.collapse(true);
        select(caret);
        if (parts.length > 1)
            rememberSteps({ steps: parts.length, afterFirst: states[0], beforeLast: states[states.length - 1] });
    }

    function content() {
        return global.document.getElementById('content') || global.document.body;
    }

    // The engine takes each deletion made above for a step of its own to
    // undo, and a selection moved between two deletions ends the typing step
    // they could share: the person made one edit, so an undo or a redo of
    // one of its steps goes on through the others. The page as each step
    // left it tells those steps from any other edit's.
    var kMostRemembered = 10;
    var remembered = [];
    var goingOn = false;

    function rememberSteps(edit) {
        remembered.push(edit);
        if (remembered.length > kMostRemembered)
            remembered.shift();
    }

    function goOn(command, times) {
        goingOn = true;
        // Not from within the engine's own undo, which is not done yet.
        global.setTimeout(function () {
            try {
                for (var i = 0; i < times; ++i)
                    global.document.execCommand(command);
            } finally {
                goingOn = false;
            }
        }, 0);
    }

    global.document.addEventListener('input', function (event) {
        var undoing = event.inputType === 'historyUndo';
        if (goingOn || (!undoing && event.inputType !== 'historyRedo'))
            return;
        var now = content().innerHTML;
        for (var i = remembered.length - 1; i >= 0; --i) {
            var edit = remembered[i];
            // Undone, the last step leaves the page as the one before it did;
            // redone, the first leaves it as it did.
            if (now === (undoing ? edit.beforeLast : edit.afterFirst)) {
                goOn(undoing ? 'undo' : 'redo', edit.steps - 1);
                return;
            }
        }
    }, true);

    global.document.addEventListener('beforeinput', function (event) {
        if (/^(delete(Content|Word|SoftLine|HardLine)(Backward|Forward)|deleteByCut)$/.test(event.inputType || ''))
            deleteBesideHidden(event);
    }, true);
})(window);
