// The rich-text page's markup for a save, kept block by block between saves.
//
// Serialising a long document takes the page tens of milliseconds, and a key
// typed meanwhile waits for it. Between two autosaves the person changes a
// few blocks, so the markup each block of the document gave at the last save
// is kept, and only the blocks changed since are serialised again. A block's
// markup depends on its own subtree alone, so a kept one stays right while no
// change reaches inside it: every change under the page's body is watched,
// and the block it falls in is forgotten. Joined, what comes out is exactly
// the content element's innerHTML.
(function (global) {
    'use strict';

    // Top-level node of the container -> its markup when last serialised.
    var kept = new WeakMap();
    // The element whose children are the kept blocks: the document's wrapper
    // while it stands alone in the content element, the content element
    // otherwise.
    var keptContainer = null;
    var watched = null;
    var observer = null;
    var scratch = null;

    function forgetAll() {
        kept = new WeakMap();
    }

    function forgetNodes(nodes) {
        for (var i = 0; i < nodes.length; ++i)
            kept.delete(nodes[i]);
    }

    // The child of the container that holds `node`, or null.
    function blockHolding(node) {
        while (node && node.parentNode !== keptContainer)
            node = node.parentNode;
        return node;
    }

    function noteChanges(records) {
        if (!keptContainer)
            return;
        for (var i = 0; i < records.length; ++i) {
            var record = records[i];
            var target = record.target;
            if (target === keptContainer) {
                // Blocks removed or moved: one that comes back may have
                // changed while it was out of the page, unwatched.
                if (record.type === 'childList')
                    forgetNodes(record.removedNodes);
                continue;
            }
            // A change inside a node since taken out of the page is seen
            // again where it was taken out from, or where it comes back.
            if (!target.isConnected)
                continue;
            var block = blockHolding(target);
            if (block) {
                kept.delete(block);
            } else if (record.type === 'childList') {
                // Outside the blocks: the container itself may have been
                // taken out and put back, with changes made meanwhile.
                forgetAll();
            }
        }
    }

    function watch() {
        var body = global.document.body;
        if (watched === body) {
            noteChanges(observer.takeRecords());
            return;
        }
        if (observer)
            observer.disconnect();
        forgetAll();
        watched = body;
        observer = observer || new global.MutationObserver(noteChanges);
        observer.observe(body, { childList: true, attributes: true, characterData: true, subtree: true });
    }

    // Text and comments between blocks serialise as their parent would have
    // them: the container is a div, and so is the scratch element.
    function serialisedNode(node) {
        if (node.nodeType === 1)
            return node.outerHTML;
        scratch = scratch || global.document.createElement('div');
        scratch.appendChild(node.cloneNode(false));
        var markup = scratch.innerHTML;
        scratch.textContent = '';
        return markup;
    }

    function blockMarkup(node) {
        var markup = kept.get(node);
        if (markup === undefined) {
            markup = serialisedNode(node);
            kept.set(node, markup);
        }
        return markup;
    }

    function containerFor(content) {
        var wrapper = global.document.getElementById('paragraph');
        return wrapper && wrapper.parentNode === content && wrapper.localName === 'div' ? wrapper : content;
    }

    function wholeDocumentShown() {
        return typeof global.isWholeDocumentShown !== 'function' || global.isWholeDocumentShown();
    }

    // The element whose children are kept, watched from now on; null where
    // the content element is not the page's own.
    function startKeeping(content) {
        if (!content || !content.isConnected || content.ownerDocument !== global.document || !global.document.body)
            return null;
        watch();
        var container = containerFor(content);
        if (container !== keptContainer) {
            forgetAll();
            keptContainer = container;
        }
        return container;
    }

    // The content element's innerHTML in pieces, one a block, with the
    // blocks held since the page opened brought out first, as reading
    // innerHTML itself does. Joined, megabytes would be copied at once.
    function contentMarkupPieces(content) {
        if (!wholeDocumentShown())
            global.showWholeDocument();
        var container = startKeeping(content);
        if (!container)
            return [content.innerHTML];
        var parts = [];
        for (var node = content.firstChild; node; node = node.nextSibling) {
            if (node !== container) {
                // Beside the wrapper, only ever a stray node or two.
                parts.push(container === content ? blockMarkup(node) : serialisedNode(node));
                continue;
            }
            var shell = container.cloneNode(false).outerHTML;
            parts.push(shell.substring(0, shell.length - '</div>'.length));
            for (var block = container.firstChild; block; block = block.nextSibling)
                parts.push(blockMarkup(block));
            parts.push('</div>');
        }
        return parts;
    }

    // The first save would still serialise the whole document at once: the
    // blocks are serialised ahead of it, once the document is all shown, a
    // few milliseconds at a time between the page's other work. Only once
    // the document has changed, though: kept, the markup of a long document
    // is some 15 MB, which a document only read, or one that opened
    // read-only, would hold for nothing.
    var kFillMilliseconds = 4;
    var kFillCheckMilliseconds = 250;
    var fillTimer = 0;
    var nextToFill = null;

    function fillSoon(delay) {
        if (!fillTimer)
            fillTimer = global.setTimeout(fillSome, delay);
    }

    function fillSome() {
        fillTimer = 0;
        if (!wholeDocumentShown()) {
            fillSoon(kFillCheckMilliseconds);
            return;
        }
        var container = startKeeping(global.document.getElementById('content'));
        if (!container)
            return;
        if (!nextToFill || nextToFill.parentNode !== container)
            nextToFill = container.firstChild;
        var end = global.performance.now() + kFillMilliseconds;
        while (nextToFill && global.performance.now() < end) {
            blockMarkup(nextToFill);
            nextToFill = nextToFill.nextSibling;
        }
        if (nextToFill)
            fillSoon(0);
    }

    var changed = false;
    global.document.addEventListener('input', function () {
        if (changed)
            return;
        changed = true;
        fillSoon(kFillCheckMilliseconds);
    }, true);

    global.contentMarkupPieces = contentMarkupPieces;
})(window);
