// The rich-text page opening a long document: its beginning is laid out
// and shown first, the rest once the editor is ready.
(function (global) {
    'use strict';

    function byId(id) { return global.document.getElementById(id); }

    // WebKit styles and lays out every element before it shows a page, which
    // takes about a second for a document of tens of thousands of elements.
    // A long document therefore opens with only its first blocks in the
    // layout: the others carry a mark that the page's style sheet hides, and
    // lose it a batch at a time once the editor is ready, each batch laid out
    // on its own. The document's nodes never move. Everything that needs the
    // whole document (its markup or text, its height, a scroll position, a
    // key, an editing command, a selection into a held block) removes every
    // mark first, so that no mark is ever saved and nothing sees a part.
    var kHeldMark = 'data-folio-held';
    var kBlocksShownFirst = 80;
    var kBlocksPerBatch = 60;
    var kBlocksPerScrollStep = 200;
    var held = [];
    var nextHeld = 0;
    var guards = [];

    function holdBackLaterBlocks() {
        var wrapper = byId('paragraph');
        if (held.length || !wrapper || wrapper.children.length <= kBlocksShownFirst)
            return;
        for (var block = wrapper.children[kBlocksShownFirst]; block; block = block.nextElementSibling) {
            block.setAttribute(kHeldMark, '');
            held.push(block);
        }
        installGuards();
    }

    function release(count) {
        var end = Math.min(held.length, nextHeld + count);
        for (; nextHeld < end; ++nextHeld)
            held[nextHeld].removeAttribute(kHeldMark);
        if (nextHeld < held.length)
            return false;
        held = [];
        nextHeld = 0;
        removeGuards();
        return true;
    }

    // Brings out every held block at once.
    function showWholeDocument() {
        if (held.length)
            release(held.length);
    }

    function showNextBatch() {
        if (!held.length || release(kBlocksPerBatch))
            return;
        // Laid out now, in this task, so that a key between two batches
        // waits for one batch at most.
        void byId('paragraph').offsetHeight;
        global.setTimeout(showNextBatch, 0);
    }

    // Called by the editor once it is ready.
    function showHeldBlocksInBatches() {
        if (held.length)
            global.setTimeout(showNextBatch, 0);
    }

    function isWholeDocumentShown() {
        return held.length === 0;
    }

    function isHeld(node) {
        var element = node && (node.nodeType === 1 ? node : node.parentElement);
        return !!(element && element.closest('[' + kHeldMark + ']'));
    }

    // The element holds held blocks, or is in one.
    function touchesHeldBlocks(element) {
        var wrapper = byId('paragraph');
        return !!(element && element.nodeType === 1 && wrapper && (element.contains(wrapper) || isHeld(element)));
    }

    // Replaces one part of a property with `before` followed by the original.
    function guardWith(prototype, name, part, before) {
        var original = Object.getOwnPropertyDescriptor(prototype, name);
        if (!original || !original.configurable || !original[part])
            return;
        var replaced = {};
        Object.keys(original).forEach(function (key) { replaced[key] = original[key]; });
        var call = original[part];
        replaced[part] = function () {
            before(this, arguments);
            return call.apply(this, arguments);
        };
        Object.defineProperty(prototype, name, replaced);
        guards.push(function () { Object.defineProperty(prototype, name, original); });
    }

    function guard(prototype, name, part) {
        guardWith(prototype, name, part, function (element) {
            if (touchesHeldBlocks(element))
                showWholeDocument();
        });
    }

    // A scroll position (the one the document was last read at) needs the
    // blocks above it and a view's height below it, no more.
    var laidOutHeight = null;

    function showEnoughToScrollTo(element, values) {
        if (!touchesHeldBlocks(element))
            return;
        var target = (Number(values[0]) || 0) + element.clientHeight;
        while (held.length && laidOutHeight && laidOutHeight.call(element) < target) {
            if (release(kBlocksPerScrollStep))
                return;
        }
    }

    // Commands that only set how later commands work change no content.
    var kSettingCommands = /^(styleWithCSS|useCSS|defaultParagraphSeparator|enableObjectResizing|enableInlineTableEditing|enableAbsolutePositionEditor)$/i;

    function installGuards() {
        var w = global;
        laidOutHeight = (Object.getOwnPropertyDescriptor(w.Element.prototype, 'scrollHeight') || {}).get || null;
        guard(w.Element.prototype, 'innerHTML', 'get');
        guard(w.Element.prototype, 'innerHTML', 'set');
        guard(w.Element.prototype, 'outerHTML', 'get');
        guard(w.HTMLElement.prototype, 'innerText', 'get');
        guard(w.Element.prototype, 'scrollHeight', 'get');
        guardWith(w.Element.prototype, 'scrollTop', 'set', showEnoughToScrollTo);
        var execCommand = w.Document.prototype.execCommand;
        w.Document.prototype.execCommand = function (command) {
            if (!kSettingCommands.test(String(command)))
                showWholeDocument();
            return execCommand.apply(this, arguments);
        };
        guards.push(function () { w.Document.prototype.execCommand = execCommand; });
        var addRange = w.Selection.prototype.addRange;
        w.Selection.prototype.addRange = function (range) {
            if (range && (isHeld(range.startContainer) || isHeld(range.endContainer)))
                showWholeDocument();
            return addRange.apply(this, arguments);
        };
        guards.push(function () { w.Selection.prototype.addRange = addRange; });
        // Before the key's own action, which then works on the whole document.
        var onKey = function () { showWholeDocument(); };
        global.document.addEventListener('keydown', onKey, true);
        guards.push(function () { global.document.removeEventListener('keydown', onKey, true); });
    }

    function removeGuards() {
        var undo = guards;
        guards = [];
        for (var i = undo.length - 1; i >= 0; --i)
            undo[i]();
    }

    // The selection library's set-up tries selections of its own and leaves
    // none behind: the user's caret and focus are put back.
    function setUpKeepingTheSelection(library) {
        if (library.initialized)
            return;
        var selection = global.getSelection();
        var kept = [];
        for (var i = 0; selection && i < selection.rangeCount; ++i)
            kept.push(selection.getRangeAt(i).cloneRange());
        var focused = global.document.activeElement;
        library.init();
        if (focused && focused !== global.document.activeElement && typeof focused.focus === 'function')
            focused.focus();
        if (selection && kept.length) {
            selection.removeAllRanges();
            kept.forEach(function (range) { selection.addRange(range); });
        }
    }

    // The selection library sets itself up once the page is parsed, and
    // that lays the whole document out; the page needs it only for the
    // caret's word moves, so it is set up at its first use instead.
    function setUpSelectionLibraryOnFirstUse() {
        var library = global.rangy;
        if (!library || !library.config || typeof library.init !== 'function')
            return;
        library.config.autoInitialize = false;
        // The library adds most of its calls when it sets itself up: until
        // then, the calls the page makes stand in for them.
        ['getSelection', 'createRange'].forEach(function (name) {
            var before = library[name];
            var standIn = function () {
                setUpKeepingTheSelection(library);
                var call = library[name] === standIn ? before : library[name];
                return typeof call === 'function' ? call.apply(library, arguments) : undefined;
            };
            library[name] = standIn;
        });
    }

    setUpSelectionLibraryOnFirstUse();

    // As soon as the document is parsed: before the handlers of
    // DOMContentLoaded, some of which lay the page out.
    global.document.addEventListener('readystatechange', function () {
        if (global.document.readyState === 'interactive')
            holdBackLaterBlocks();
    });

    global.showHeldBlocksInBatches = showHeldBlocksInBatches;
    global.showWholeDocument = showWholeDocument;
    global.isWholeDocumentShown = isWholeDocumentShown;
})(window);
