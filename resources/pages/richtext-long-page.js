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
    // Long paragraphs fill a view in fewer blocks: the first ones are cut at
    // about two views' worth of letters (a letter of the page's 18 pixels
    // takes some 200 square pixels of a line).
    var kSquarePixelsPerLetterShownFirst = 100;
    var kBlocksPerBatch = 60;
    var kBlocksPerScrollStep = 200;
    var held = [];
    var nextHeld = 0;
    var guards = [];

    function blocksShownFirst(wrapper) {
        var letters = global.innerWidth * global.innerHeight / kSquarePixelsPerLetterShownFirst;
        if (!(letters > 0))
            return kBlocksShownFirst;
        var count = 0;
        for (var block = wrapper.firstElementChild; block && count < kBlocksShownFirst && letters > 0;
             block = block.nextElementSibling) {
            letters -= block.textContent.length;
            ++count;
        }
        return count;
    }

    function holdBackLaterBlocks() {
        var wrapper = byId('paragraph');
        if (held.length || !wrapper || wrapper.children.length <= kBlocksShownFirst)
            return;
        for (var block = wrapper.children[blocksShownFirst(wrapper)]; block; block = block.nextElementSibling) {
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
        if (!typing)
            removeGuards();
        scheduleHoldWhileTyping();
        return true;
    }

    // Brings out every held block at once.
    function showWholeDocument() {
        if (held.length)
            release(held.length);
        stopHoldingWhileTyping();
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
        else
            scheduleHoldWhileTyping();
    }

    function isWholeDocumentShown() {
        return held.length === 0;
    }

    function isHeld(node) {
        var element = node && (node.nodeType === 1 ? node : node.parentElement);
        return !!(element && (element.closest('[' + kHeldMark + ']') || isHeldWhileTyping(element)));
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

    // Markup and laid-out text carry the marks or miss the text of the blocks
    // held since the page opened; the blocks kept read-only while typing are
    // shown and unmarked.
    function guardOpeningRead(prototype, name) {
        guardWith(prototype, name, 'get', function (element) {
            if (held.length && touchesHeldBlocks(element))
                showWholeDocument();
        });
    }

    // A scroll position (the one the document was last read at) needs the
    // blocks above it and a view's height below it, no more.
    var laidOutHeight = null;

    function showEnoughToScrollTo(element, values) {
        if (!held.length || !touchesHeldBlocks(element))
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
        if (guards.length)
            return;
        var w = global;
        laidOutHeight = (Object.getOwnPropertyDescriptor(w.Element.prototype, 'scrollHeight') || {}).get || null;
        guardOpeningRead(w.Element.prototype, 'innerHTML');
        guard(w.Element.prototype, 'innerHTML', 'set');
        guardOpeningRead(w.Element.prototype, 'outerHTML');
        guardOpeningRead(w.HTMLElement.prototype, 'innerText');
        guardOpeningRead(w.Element.prototype, 'scrollHeight');
        guardWith(w.Element.prototype, 'scrollTop', 'set', showEnoughToScrollTo);
        var execCommand = w.Document.prototype.execCommand;
        w.Document.prototype.execCommand = function (command) {
            if (!kSettingCommands.test(String(command)) && !(typing && isLocalCommand(String(command))))
                showWholeDocument();
            return execCommand.apply(this, arguments);
        };
        guards.push(function () { w.Document.prototype.execCommand = execCommand; });
        // The engine moves a selection set into a block out of layout to the
        // nearest laid-out place, and one set into a read-only block cannot
        // be typed into: the block comes out first.
        var selectionCalls = {
            addRange: function (range) { return range ? [range.startContainer, range.endContainer] : []; },
            collapse: function (node) { return [node]; },
            extend: function (node) { return [node]; },
            setBaseAndExtent: function (anchor, anchorOffset, focus) { return [anchor, focus]; },
            setPosition: function (node) { return [node]; },
            selectAllChildren: function (node) { return [node]; }
        };
        Object.keys(selectionCalls).forEach(function (name) {
            var call = w.Selection.prototype[name];
            if (typeof call !== 'function')
                return;
            w.Selection.prototype[name] = function () {
                bringOutFor(selectionCalls[name].apply(null, arguments));
                return call.apply(this, arguments);
            };
            guards.push(function () { w.Selection.prototype[name] = call; });
        });
        // Before the key's own action, which then works on the whole document,
        // unless it acts next to a selection well inside the editable part.
        var onKey = function (event) {
            if (held.length || !(typing && isLocalKey(event) && isSelectionWellInside()))
                showWholeDocument();
        };
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

    // --- while typing ---------------------------------------------------------

    // After every edit the web engine hands the input method the text around
    // the caret, and walks the editable element's blocks to find it: in a
    // long document that is most of what a key costs. The walk stops where
    // editing stops, so while the person writes, the blocks many screens
    // away from the selection are made read-only by a style sheet of
    // the page's own. They stay laid out and shown, and the document never
    // carries a mark: the rule holds them by their place among the wrapper's
    // children. The editable part moves with the selection; whatever needs
    // more (a command on the whole document, a selection or a key that
    // reaches past the editable part, a read of the laid-out text)
    // makes everything editable first.
    var kBlocksWorthHolding = 1500;
    // Moving the editable part changes the page's style sheet, which has the
    // engine restyle every element of the page: some 300 ms for a 1 MB
    // document, which the next key waits for. The walk a key costs stops at
    // the part's edges, yet it costs no more with ten screens each way than
    // with one; that wide, the part moves a third as often as with three
    // for a writer adding lines.
    var kScreensAround = 10;
    var kHoldAfterIdleMilliseconds = 400;
    // The keys that act on the selection or next to it, when the selection
    // is well inside the editable part.
    var kLocalKeys = /^(Backspace|Delete|Enter|Tab|ArrowLeft|ArrowRight|ArrowUp|ArrowDown|Home|End|PageUp|PageDown|Shift|CapsLock|Dead|Process|Unidentified)$/;
    var kLocalControlKeys = /^[bicxv]$/i;
    var kLocalCommands = /^(insertText|insertHTML|insertParagraph|insertLineBreak|delete|forwardDelete|bold|italic|underline|strikethrough|subscript|superscript|foreColor|backColor|hiliteColor|fontName|fontSize|removeFormat|createLink|unlink|cut|copy|paste)$/i;

    var typing = null;
    var typingSheet = null;
    var holdTimer = 0;
    var windowTimer = 0;

    function blocksOfWrapper() {
        var wrapper = byId('paragraph');
        return wrapper ? wrapper.children : null;
    }

    function indexOfBlock(element) {
        var wrapper = byId('paragraph');
        var block = element;
        while (block && block.parentNode !== wrapper)
            block = block.parentNode;
        return block ? Array.prototype.indexOf.call(wrapper.children, block) : -1;
    }

    function isHeldWhileTyping(element) {
        if (!typing)
            return false;
        var index = indexOfBlock(element);
        return index >= 0 && (index < typing.first || index >= typing.end);
    }

    // The blocks the selection's ends are in, or null when it has none there.
    function selectionBlocks() {
        var selection = global.getSelection();
        if (!selection || !selection.rangeCount)
            return null;
        var anchor = indexOfBlock(selection.anchorNode && (selection.anchorNode.nodeType === 1
            ? selection.anchorNode : selection.anchorNode.parentNode));
        var focus = indexOfBlock(selection.focusNode && (selection.focusNode.nodeType === 1
            ? selection.focusNode : selection.focusNode.parentNode));
        if (anchor < 0 || focus < 0)
            return null;
        return { first: Math.min(anchor, focus), last: Math.max(anchor, focus) };
    }

    // A screen's worth of editable blocks lies between the selection and
    // either end of the editable part, so that no key's move reaches past it.
    function isSelectionWellInside() {
        var at = selectionBlocks();
        return !!(typing && at && at.first >= typing.safeFirst && at.last < typing.safeEnd);
    }

    function isLocalKey(event) {
        if (event.altKey || event.metaKey)
            return false;
        if (event.ctrlKey)
            return kLocalControlKeys.test(event.key || '');
        return (event.key || '').length === 1 || kLocalKeys.test(event.key || '');
    }

    function isLocalCommand(command) {
        return kLocalCommands.test(command) && isSelectionWellInside();
    }

    function setHeldRules(first, end) {
        if (!typingSheet) {
            typingSheet = global.document.createElement('style');
            global.document.head.appendChild(typingSheet);
        }
        var rules = '';
        if (first > 0)
            rules += '#paragraph > :nth-child(-n+' + first + ') { -webkit-user-modify: read-only !important; }\n';
        rules += '#paragraph > :nth-child(n+' + (end + 1) + ') { -webkit-user-modify: read-only !important; }\n';
        typingSheet.textContent = rules;
    }

    function topOf(blocks, index) {
        return blocks[index].getBoundingClientRect().top;
    }

    // The first block whose top is at or below `y` (client coordinates),
    // found by halves: the blocks are laid out in order.
    function firstBlockAtOrBelow(blocks, y) {
        var low = 0;
        var high = blocks.length;
        while (low < high) {
            var middle = (low + high) >> 1;
            if (topOf(blocks, middle) < y)
                low = middle + 1;
            else
                high = middle;
        }
        return low;
    }

    // Makes every block read-only but those within a few screens of `reach`
    // (block indexes), or makes them all editable when that is all of them.
    function holdAround(reach) {
        var box = byId('content');
        var blocks = blocksOfWrapper();
        if (!box || !blocks || held.length || !reach)
            return;
        var count = blocks.length;
        if (count < kBlocksWorthHolding) {
            stopHoldingWhileTyping();
            return;
        }
        var screen = box.clientHeight || global.innerHeight || 800;
        var top = topOf(blocks, reach.first);
        var bottom = blocks[reach.last].getBoundingClientRect().bottom;
        var from = Math.max(0, Math.min(reach.first, firstBlockAtOrBelow(blocks, top - kScreensAround * screen) - 1));
        var to = Math.min(count, Math.max(reach.last + 1, firstBlockAtOrBelow(blocks, bottom + kScreensAround * screen) + 1));
        if (from === 0 && to === count) {
            stopHoldingWhileTyping();
            return;
        }
        var safeFirst = from === 0 ? 0 : Math.min(reach.first, firstBlockAtOrBelow(blocks, topOf(blocks, from) + screen));
        var safeEnd = to === count ? count
            : Math.max(reach.last + 1, firstBlockAtOrBelow(blocks, topOf(blocks, to - 1) - screen));
        var wasTyping = !!typing;
        typing = { first: from, end: to, safeFirst: safeFirst, safeEnd: safeEnd };
        if (!wasTyping)
            installGuards();
        setHeldRules(from, to);
    }

    function stopHoldingWhileTyping() {
        global.clearTimeout(windowTimer);
        windowTimer = 0;
        if (!typing)
            return;
        typing = null;
        if (typingSheet)
            typingSheet.textContent = '';
        if (!held.length)
            removeGuards();
        scheduleHoldWhileTyping();
    }

    // Once the person has paused, and no selection spans the document.
    function holdWhenIdle() {
        holdTimer = 0;
        if (held.length || typing)
            return;
        var blocks = blocksOfWrapper();
        if (!blocks || blocks.length < kBlocksWorthHolding)
            return;
        var at = selectionBlocks();
        if (!at || at.last - at.first > blocks.length / 2)
            return;
        holdAround(at);
    }

    // A search only reads the document's text, which the blocks kept
    // read-only while typing still show, so they stay held through it; the
    // blocks held since the page opened come out, as their matches are to be
    // seen. Stepping to a match or replacing it selects it first, and the
    // selection guards move the editable part there.
    function showOpeningBlocksForSearches() {
        var search = global.JSL;
        if (!search || typeof search.setKW !== 'function')
            return;
        var setKeyword = search.setKW;
        search.setKW = function (keyword) {
            if (keyword && held.length)
                showWholeDocument();
            return setKeyword.apply(search, arguments);
        };
    }

    function scheduleHoldWhileTyping() {
        if (typing)
            return;
        global.clearTimeout(holdTimer);
        holdTimer = global.setTimeout(holdWhenIdle, kHoldAfterIdleMilliseconds);
    }

    // The editable part follows the selection.
    function followSelection() {
        windowTimer = 0;
        if (typing && !isSelectionWellInside())
            holdAround(selectionBlocks());
    }

    function followSoon() {
        if (typing && !windowTimer)
            windowTimer = global.setTimeout(followSelection, 0);
        else if (!typing)
            scheduleHoldWhileTyping();
    }

    // Brings out, at once, the blocks of the nodes a call is about to select.
    function bringOutFor(nodes) {
        if (held.length) {
            if (nodes.some(isHeld))
                showWholeDocument();
            return;
        }
        if (!typing || !nodes.some(isHeld))
            return;
        var indexes = nodes.map(function (node) {
            return indexOfBlock(node && (node.nodeType === 1 ? node : node.parentNode));
        });
        if (indexes.some(function (index) { return index < 0; })) {
            showWholeDocument();
            return;
        }
        holdAround({ first: Math.min.apply(null, indexes), last: Math.max.apply(null, indexes) });
    }

    // For a command on the selection: everything comes out only when the
    // selection is not well inside the editable part.
    function showAroundSelection() {
        if (held.length || (typing && !isSelectionWellInside()))
            showWholeDocument();
    }

    function isHoldingWhileTyping() {
        return !!typing;
    }

    showOpeningBlocksForSearches();
    global.document.addEventListener('selectionchange', followSoon);
    global.document.addEventListener('input', followSoon);

    // As soon as the document is parsed: before the handlers of
    // DOMContentLoaded, some of which lay the page out.
    global.document.addEventListener('readystatechange', function () {
        if (global.document.readyState === 'interactive')
            holdBackLaterBlocks();
    });

    global.showHeldBlocksInBatches = showHeldBlocksInBatches;
    global.showWholeDocument = showWholeDocument;
    global.isWholeDocumentShown = isWholeDocumentShown;
    global.isHoldingWhileTyping = isHoldingWhileTyping;
    global.showAroundSelection = showAroundSelection;
})(window);
