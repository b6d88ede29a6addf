// Folio's editing-page helpers: what the rich-text, QV text and QV outline
// editors call by script (caret and selection, styles, spacing, images,
// footnotes, find) and the events the page reports back.
//
// The helpers work on one editing document, given by folioAttachEditor: the
// top page for the rich text and the outline, TinyMCE's iframe document for
// QV text. Every function answers text or nothing, since the editors read
// answers as strings.
//
// Units: font sizes are whole CSS pixels, line spacing is a multiple of the
// font size, paragraph spacing is in points, first-line indent in
// centimetres, left indent in pixels. A page says in which CSS unit it
// writes a point of paragraph spacing (see folioAttachEditor).
(function (global) {
    'use strict';

    var PX_PER_PT = 96 / 72;
    var PX_PER_CM = 96 / 2.54;
    var BLOCK_TAGS = /^(P|DIV|LI|H[1-6]|BLOCKQUOTE|PRE|TD|TH|DT|DD)$/;
    var OBJECT_SELECTOR = 'img, video, audio, iframe, object, embed';

    var editor = {
        doc: global.document,
        contentId: 'content',
        selectedPictureId: 'marquent_555',
        releasedPictureId: 'marquent_444',
        savedRange: null,
        pendingFontSize: null,
        selectionKeeper: null,
        scrollTimer: null,
        // The CSS unit one point of paragraph spacing is written in.
        spacingUnit: 'pt'
    };

    // What the helpers note on a document or element they have set up (that
    // its listeners are there, its selection keeper): kept beside it, since
    // a property of a document is hidden by an element of its text named so.
    var setUpNotes = new WeakMap();
    function notesOf(target) {
        var notes = setUpNotes.get(target);
        if (!notes) {
            notes = {};
            setUpNotes.set(target, notes);
        }
        return notes;
    }

    // Every key the page has been handed, counted as it goes down in any of
    // its documents: the editor compares it with the keys it handed over to
    // know that the page has taken them all, before it saves.
    var keyDownsSeen = 0;
    function countKeyDowns(target) {
        if (notesOf(target).countsKeyDowns)
            return;
        notesOf(target).countsKeyDowns = true;
        target.addEventListener('keydown', function () { keyDownsSeen += 1; }, true);
    }
    countKeyDowns(global.document);

    function folioKeyDownsSeen() {
        return String(keyDownsSeen);
    }

    function doc() { return editor.doc; }
    function win() { return editor.doc.defaultView || global; }
    function root() { return doc().getElementById(editor.contentId) || doc().body; }
    function selection() { return win().getSelection(); }

    function currentRange() {
        var sel = selection();
        return sel && sel.rangeCount ? sel.getRangeAt(0) : null;
    }

    function select(range) {
        var sel = selection();
        sel.removeAllRanges();
        sel.addRange(range);
    }

    function trimmed(number) {
        return String(Number(number.toFixed(2)));
    }

    // Messages go to the "rte" handler where there is one: posted messages all
    // arrive in order, while one location change can be lost to the next.
    function send(token, data) {
        var message = 'rte://' + token;
        if (data !== undefined)
            message += '#' + encodeURIComponent(String(data));
        var handlers = global.webkit && global.webkit.messageHandlers;
        if (handlers && handlers.rte)
            handlers.rte.postMessage(message);
        else
            global.location.href = message;
    }

    function elementOf(node) {
        return node && node.nodeType === 1 ? node : node && node.parentElement;
    }

    function caretElement() {
        var range = currentRange();
        if (!range)
            return root();
        var element = elementOf(range.startContainer);
        if (range.startContainer.nodeType === 1 && range.startContainer.childNodes[range.startOffset])
            element = elementOf(range.startContainer.childNodes[range.startOffset]);
        return element && root().contains(element) ? element : root();
    }

    function blockOf(node) {
        var element = elementOf(node);
        var top = root();
        while (element && element !== top) {
            if (BLOCK_TAGS.test(element.tagName))
                return element;
            element = element.parentElement;
        }
        return top;
    }

    // The blocks the selection touches, in document order; the caret's block
    // when nothing is selected.
    function selectedBlocks() {
        var range = currentRange();
        if (!range || range.collapsed)
            return [blockOf(caretElement())];
        var blocks = [];
        var walker = doc().createTreeWalker(root(), NodeFilter.SHOW_TEXT | NodeFilter.SHOW_ELEMENT);
        for (var node = walker.nextNode(); node; node = walker.nextNode()) {
            var content = node.nodeType === 3 ? node.data.trim() : node.matches(OBJECT_SELECTOR);
            if (!content || !range.intersectsNode(node))
                continue;
            var block = blockOf(node);
            if (blocks.indexOf(block) < 0)
                blocks.push(block);
        }
        return blocks.length ? blocks : [blockOf(caretElement())];
    }

    function computed(element) {
        return win().getComputedStyle(element);
    }

    // Where the editing document sits in the top page, so that coordinates of
    // an iframe's content are given in the top page's viewport.
    function frameOffset() {
        var frame = win().frameElement;
        if (!frame)
            return { x: 0, y: 0 };
        var box = frame.getBoundingClientRect();
        return { x: box.left, y: box.top };
    }

    function caretRect() {
        var range = currentRange();
        if (!range)
            return null;
        var rects = range.getClientRects();
        if (rects.length)
            return rects[range.collapsed ? 0 : rects.length - 1];
        var box = caretElement().getBoundingClientRect();
        return { left: box.left, top: box.top, width: 0, height: box.height, bottom: box.bottom };
    }

    // --- page set-up ------------------------------------------------------

    // Makes `documentToEdit` the document every helper works on. Options:
    // contentId (the editable element; the body when absent), events (install
    // the event senders; pages that send their own events say false),
    // textSizeAdjust (false for a page that shows its text zoom itself), the
    // two picture ids that mark the selected picture and the others, and
    // selectionKeeper (a page's own folioKeepSelectionAcrossPrimaryLoss).
    function folioAttachEditor(documentToEdit, options) {
        options = options || {};
        editor.doc = documentToEdit || global.document;
        countKeyDowns(editor.doc);
        if (options.contentId !== undefined)
            editor.contentId = options.contentId;
        if (options.selectedPictureId)
            editor.selectedPictureId = options.selectedPictureId;
        if (options.releasedPictureId)
            editor.releasedPictureId = options.releasedPictureId;
        if (options.spacingUnit)
            editor.spacingUnit = options.spacingUnit;
        editor.savedRange = null;
        // Pages on TinyMCE bring the keeper of their editor; others get one
        // of the document.
        editor.selectionKeeper = options.selectionKeeper
            || folioKeepSelectionAcrossPrimaryLoss(editor.doc, { root: root });
        // A saved file may carry several pictures marked as selected.
        var marked = doc().querySelectorAll('[id="' + editor.selectedPictureId + '"]');
        for (var i = 0; i < marked.length; ++i)
            marked[i].id = editor.releasedPictureId;
        if (options.events !== false)
            installEventSenders();
        installSmartQuotes();
        if (options.textSizeAdjust !== false)
            installTextSizeAdjust();
        installNoteMarkerKeeper();
    }

    // Desktop WebKit ignores -webkit-text-size-adjust, which the editors set
    // on the editable element to zoom its text: the element's style answers
    // that property itself and zooms the element, so that the text grows and
    // wraps within the same column. "100%", "none" and "auto" undo it.
    function installTextSizeAdjust() {
        var content = doc().getElementById(editor.contentId);
        if (!content || notesOf(content).textSizeAdjust)
            return;
        notesOf(content).textSizeAdjust = true;
        var style = content.style;
        var current = '';
        var property = {
            configurable: true,
            get: function () { return current; },
            set: function (value) {
                current = String(value);
                var percent = /^\s*(\d+(?:\.\d+)?)%\s*$/.exec(current);
                style.zoom = percent && parseFloat(percent[1]) > 0 && parseFloat(percent[1]) !== 100
                    ? String(parseFloat(percent[1]) / 100) : '';
            }
        };
        Object.defineProperty(style, 'webkitTextSizeAdjust', property);
        Object.defineProperty(style, 'textSizeAdjust', property);
    }

    // --- the selection across the loss of the primary selection ---------------

    // WebKitGTK collapses the page's selection to its end, with no input in
    // the page, whenever another program (or another page) takes the
    // desktop's primary selection. A command run after that would work on an
    // empty caret: formatting it changes nothing in the content. The last
    // selection that input or a command made in `documentToWatch` is kept,
    // and restore() puts it back when the live selection is still only that
    // collapse of it (answering whether it did); any input or selection
    // change of the user's own replaces it. It is not put back at once: the
    // page would take the primary selection again, from the program that
    // just took it. Options: root() (the editable element), setRange(range)
    // (how the editor selects; the document's selection by default).
    // Commands run through the document's execCommand find their selection
    // again by themselves.
    function folioKeepSelectionAcrossPrimaryLoss(documentToWatch, options) {
        var watched = documentToWatch;
        if (notesOf(watched).selectionKeeper)
            return notesOf(watched).selectionKeeper;
        var editable = options && options.root ? options.root : function () { return watched.body; };
        var setRange = options && options.setRange ? options.setRange : function (range) {
            var live = watched.getSelection();
            live.removeAllRanges();
            live.addRange(range);
        };
        var kept = null;
        var input = false;
        var collapsedAt = null;

        function live() {
            var current = watched.getSelection();
            return current && current.rangeCount ? current.getRangeAt(0) : null;
        }
        function remember() {
            var range = live();
            kept = range && !range.collapsed ? range.cloneRange() : null;
            input = false;
            collapsedAt = null;
        }
        function textBetween(startNode, startOffset, endNode, endOffset) {
            var range = watched.createRange();
            range.setStart(startNode, startOffset);
            range.setEnd(endNode, endOffset);
            return range.toString();
        }
        // A caret on one end of the kept range, with nothing but markup between.
        function isCollapseOfKept(range) {
            var top = editable();
            if (!kept || !range || !range.collapsed || !top || !top.contains(kept.commonAncestorContainer))
                return false;
            var node = range.startContainer, offset = range.startOffset;
            if (!kept.isPointInRange(node, offset))
                return false;
            return textBetween(node, offset, kept.endContainer, kept.endOffset) === ''
                || textBetween(kept.startContainer, kept.startOffset, node, offset) === '';
        }
        function isStillCollapsed(range) {
            if (collapsedAt)
                return !!range && range.collapsed && range.startContainer === collapsedAt.node
                    && range.startOffset === collapsedAt.offset && isCollapseOfKept(range);
            return !input && isCollapseOfKept(range);
        }
        // Only formatting finds the lost selection again: the user sees a
        // caret, and what is typed, pasted or inserted goes there, never over
        // words no longer shown as selected. Commands that choose the
        // selection themselves, undo and TinyMCE's own steps before every
        // command (focus, undo levels) leave the kept one be.
        var LEAVES_SELECTION = new RegExp('^(insert|mceInsert|mceReplace|mceSetContent|delete|forwardDelete|paste|cut'
            + '|selectAll|unselect|undo|redo|mceFocus|mceAddUndoLevel|mceBeginUndoLevel|mceEndUndoLevel|mceRepaint)', 'i');
        function restore(command) {
            if (command && LEAVES_SELECTION.test(String(command)))
                return false;
            if (!isStillCollapsed(live()))
                return false;
            setRange(kept);
            return true;
        }

        watched.addEventListener('selectionchange', function () {
            var range = live();
            if (!input && !collapsedAt && isCollapseOfKept(range)) {
                collapsedAt = { node: range.startContainer, offset: range.startOffset };
                return;
            }
            if (collapsedAt && isStillCollapsed(range))
                return;
            remember();
        });
        // A key may be a command's shortcut: it leaves a lost selection to be
        // found again. A pointer placing the caret, or an edit, does not.
        ['keydown', 'compositionstart'].forEach(function (name) {
            watched.addEventListener(name, function () { input = true; }, true);
        });
        ['mousedown', 'pointerdown', 'touchstart', 'input', 'paste', 'cut', 'drop'].forEach(function (name) {
            watched.addEventListener(name, function () { input = true; collapsedAt = null; }, true);
        });
        var execCommand = watched.execCommand;
        watched.execCommand = function (command) {
            restore(String(command));
            return execCommand.apply(watched, arguments);
        };
        notesOf(watched).selectionKeeper = { remember: remember, restore: restore };
        return notesOf(watched).selectionKeeper;
    }

    // What TinyMCE takes in by its own commands (setContent, insertContent,
    // a drag inside the text) is checked by its parser too, behind the
    // program's own check of every document, paste and drop: elements that
    // run, load a frame or submit go with their content, and every event
    // handler the engine knows goes, as do links that would run a script or
    // speak for the page. Called before the editor's init.
    var INERT_DROPPED_ELEMENTS = 'script,noscript,iframe,frame,frameset,embed,applet,base,link,meta,form,input,'
        + 'button,select,option,textarea,template,portal';
    var INERT_URL_ATTRIBUTES = 'href,src,action,formaction,data,xlink:href,srcdoc';

    function handlerAttributeNames() {
        var names = {};
        [global.Element, global.HTMLElement, global.SVGElement, global.Document, global.Window].forEach(function (type) {
            if (!type || !type.prototype)
                return;
            Object.getOwnPropertyNames(type.prototype).forEach(function (name) {
                if (/^on[a-z]/.test(name))
                    names[name] = true;
            });
        });
        return Object.keys(names).join(',');
    }

    function isRefusedURL(value) {
        var compact = String(value || '').replace(/[\u0000-\u0020]/g, '').toLowerCase();
        return /^(javascript|vbscript|livescript|rte|x-twwebview):/.test(compact);
    }

    function folioKeepTinyMCEContentInert(tiny) {
        tiny.on('PreInit', function () {
            tiny.parser.addNodeFilter(INERT_DROPPED_ELEMENTS, function (nodes) {
                nodes.forEach(function (node) { node.remove(); });
            });
            tiny.parser.addAttributeFilter(handlerAttributeNames(), function (nodes, name) {
                nodes.forEach(function (node) { node.attr(name, null); });
            });
            tiny.parser.addAttributeFilter(INERT_URL_ATTRIBUTES, function (nodes, name) {
                nodes.forEach(function (node) {
                    if (name === 'srcdoc' || isRefusedURL(node.attr(name)))
                        node.attr(name, null);
                });
            });
        });
    }

    // TinyMCE grows its frame to the text (and the outline edits in place),
    // so neither the frame nor the window scrolls: the page's container does,
    // once the text is longer than the window. Reading aloud, the page
    // counter and the remembered place all read and move that one.
    function pageScroller() {
        var ids = ['contentDiv', 'content'];
        for (var i = 0; i < ids.length; ++i) {
            var container = global.document.getElementById(ids[i]);
            if (container && container.scrollHeight > container.clientHeight)
                return container;
        }
        return null;
    }

    function editingWindow() {
        var tiny = global.tinymce && global.tinymce.activeEditor;
        return tiny ? tiny.getWin() : global;
    }

    function folioPageScrollOffset() {
        var container = pageScroller();
        if (container)
            return Math.round(container.scrollTop);
        var view = editingWindow();
        return Math.round(view.pageYOffset || 0);
    }

    // Where the text is scrolled to and how high it is: "offset_height".
    function folioPageScrollState() {
        var tiny = global.tinymce && global.tinymce.activeEditor;
        var body = tiny ? tiny.getBody() : global.document.body;
        return folioPageScrollOffset() + '_' + body.scrollHeight;
    }

    function folioPageScrollTo(offset) {
        var container = pageScroller();
        if (container)
            container.scrollTop = Number(offset) || 0;
        else
            editingWindow().scrollTo(0, Number(offset) || 0);
    }

    // What another program drops goes to the native editor, which makes it
    // safe as it makes a paste (and the rich-text page's sections with it);
    // a drag inside the text stays the page's own. The caret goes where the
    // drop was, so that the editor's paste lands there. `surface` is the
    // editing document, its editable root, how to listen to it and how to
    // place its caret.
    function sendForeignDrops(surface) {
        var draggingInside = false;
        surface.listen('dragstart', function () { draggingInside = true; });
        surface.listen('dragend', function () { draggingInside = false; });
        surface.listen('drop', function (event) {
            var inside = draggingInside;
            draggingInside = false;
            var data = event.dataTransfer;
            if (inside || !data || (data.files && data.files.length))
                return;
            var dropped = { html: data.getData('text/html'), text: data.getData('text/plain') };
            if (!dropped.html && !dropped.text)
                return;
            event.preventDefault();
            var at = surface.doc().caretRangeFromPoint(event.clientX, event.clientY);
            if (at && surface.root().contains(at.startContainer))
                surface.setRange(at);
            send('dropEvent', JSON.stringify(dropped));
        });
    }

    // Places the caret at a point of the top page's view, inside the
    // editable text only; answers whether it did.
    function folioPlaceCaretAtPoint(x, y) {
        var frame = win().frameElement;
        if (frame) {
            var box = frame.getBoundingClientRect();
            x -= box.left;
            y -= box.top;
        }
        var at = doc().caretRangeFromPoint(x, y);
        if (!at || !root().contains(at.startContainer))
            return '';
        select(at);
        return '1';
    }

    function folioSendForeignDrops(tiny) {
        sendForeignDrops({
            doc: function () { return tiny.getDoc(); },
            root: function () { return tiny.getBody(); },
            listen: function (name, handler) { tiny.on(name, handler); },
            setRange: function (range) { tiny.selection.setRng(range); }
        });
    }

    // The same for a TinyMCE editor: its own commands and selections.
    function folioKeepTinyMCESelectionAcrossPrimaryLoss(tiny) {
        var keeper = folioKeepSelectionAcrossPrimaryLoss(tiny.getDoc(), {
            root: function () { return tiny.getBody(); },
            setRange: function (range) { tiny.selection.setRng(range); }
        });
        tiny.on('AfterSetSelectionRange', function () { keeper.remember(); });
        // NOTE: a TinyMCE handler that answers false cancels the command.
        tiny.on('BeforeExecCommand', function (event) { keeper.restore(event.command || ''); });
        return keeper;
    }

    // For the editor's own formatting commands, which the engine runs outside
    // the page's scripts: the selection they act on, found again if it was lost.
    function folioRestoreLostSelection() {
        // A page that holds blocks of a long document out of layout or out
        // of editing brings out those the command reaches first.
        if (typeof global.showAroundSelection === 'function')
            global.showAroundSelection();
        return editor.selectionKeeper ? editor.selectionKeeper.restore() : false;
    }

    function initXEditor() {
        // A rich-text file's paragraph spacing comes into the page, and goes
        // back into the file, as one CSS pixel a point: what the panel sets
        // is kept in those units, so that the file holds the points chosen.
        folioAttachEditor(global.document, { contentId: 'content', events: true, spacingUnit: 'px' });
        sendForeignDrops({
            doc: doc,
            root: root,
            listen: function (name, handler) { doc().addEventListener(name, handler); },
            setRange: select
        });
    }

    function addcss(css) {
        var style = global.document.createElement('style');
        style.type = 'text/css';
        style.appendChild(global.document.createTextNode(css));
        global.document.head.appendChild(style);
    }

    // --- events -------------------------------------------------------------

    function reportScrollEnd() {
        var scroller = root();
        send('endScrollEvent', Math.round(scroller.scrollTop) + '_' + Math.round(scroller.scrollHeight));
    }

    // Keys that move the caret or the view, or only change how the next key
    // reads (a modifier held): they leave the text as it was, so the key
    // message says so and the document is not counted as changed.
    var CARET_ONLY_KEYS = /^(Arrow(Up|Down|Left|Right)|Home|End|PageUp|PageDown|Shift|Control|Alt|AltGraph|Meta|CapsLock|NumLock|ScrollLock|Escape|F[0-9]{1,2})$/;

    function keyDownData(event) {
        return CARET_ONLY_KEYS.test(event.key || '') ? 'move' : undefined;
    }

    function installEventSenders() {
        var target = doc();
        if (notesOf(target).eventsInstalled)
            return;
        notesOf(target).eventsInstalled = true;
        target.addEventListener('keydown', function (event) {
            if (event.keyCode === 9 && !blockOf(caretElement()).closest('li, td, th')) {
                event.preventDefault();
                send('insertTabEvent');
                return;
            }
            send('onkeydownEvent', keyDownData(event));
        }, true);
        target.addEventListener('input', function () { send('dirtyEvent'); }, true);
        target.addEventListener('copy', function (event) { event.preventDefault(); send('copyEventList'); }, true);
        target.addEventListener('cut', function (event) { event.preventDefault(); send('cutEventList'); }, true);
        root().addEventListener('scroll', function () {
            if (!editor.scrollTimer)
                send('startScrollEvent');
            clearTimeout(editor.scrollTimer);
            editor.scrollTimer = setTimeout(function () {
                editor.scrollTimer = null;
                reportScrollEnd();
            }, 100);
        }, true);
        // A tap opens a link, as on a touch screen; a pointer's plain click
        // puts the caret into the link's words to edit them, and Ctrl (or
        // Command) with the click opens it, as desktop editors do.
        var opensLink = function (event) {
            return event.type === 'touchend' || event.ctrlKey || event.metaKey;
        };
        var onTouch = function (event) {
            var element = elementOf(event.target);
            if (!element)
                return;
            var link = element.closest('a');
            var note = element.closest('object.footnote, object.annotation');
            if (note) {
                var box = note.getBoundingClientRect();
                var offset = frameOffset();
                var kind = note.classList.contains('footnote') ? 'showFootnote' : 'showAnnotation';
                var id = note.id.replace(/^(footnote_|note_)/, '');
                send(kind, 'x_' + id + '_' + Math.round(box.left + offset.x) + '_' + Math.round(box.top + offset.y));
            } else if (element.tagName === 'IMG') {
                selectPicture(element);
                send('imageTouchedEvent');
            } else if (link && link.getAttribute('href') && opensLink(event)) {
                event.preventDefault();
                send('linkTouchedEvent', link.getAttribute('href'));
            } else {
                send('noImageTouchedEvent');
            }
        };
        target.addEventListener('touchend', onTouch, true);
        target.addEventListener('click', onTouch, true);
    }

    // --- caret and selection -------------------------------------------------

    function saveCaretSelection() {
        var range = currentRange();
        editor.savedRange = range && root().contains(range.startContainer) ? range.cloneRange() : null;
    }

    function restoreCaretSelection() {
        var range = editor.savedRange;
        if (range && root().contains(range.startContainer) && root().contains(range.endContainer))
            select(range);
    }

    function scrollToView() {
        var rect = caretRect();
        if (!rect)
            return;
        var scroller = root();
        var box = scroller.getBoundingClientRect();
        var margin = 20;
        if (scroller.scrollHeight > scroller.clientHeight) {
            if (rect.bottom > box.bottom - margin)
                scroller.scrollTop += rect.bottom - box.bottom + margin;
            else if (rect.top < box.top + margin)
                scroller.scrollTop -= box.top + margin - rect.top;
        } else {
            caretElement().scrollIntoView({ block: 'nearest' });
        }
    }

    function jumpCaretToTop() {
        var range = doc().createRange();
        range.setStart(root(), 0);
        range.collapse(true);
        select(range);
        root().scrollTop = 0;
        win().scrollTo(0, 0);
    }

    // --- spelling ------------------------------------------------------------

    // The words of the text from the saved caret on, then from the top up
    // to it, as a spelling check meets them; a word the caret ends (a
    // misspelling chosen before) belongs to the part already checked. Text
    // out of sight (a folded outline branch, a hidden header) has no words
    // here: a word chosen there could be typed over unseen.
    function spellingWords() {
        var words = [];
        var walker = doc().createTreeWalker(root(), NodeFilter.SHOW_TEXT);
        var pattern = /[\p{L}\p{M}]+(?:['\u2019][\p{L}\p{M}]+)*/gu;
        var shown = new Map();
        var isShown = function (element) {
            if (!shown.has(element))
                shown.set(element, element.getClientRects().length > 0);
            return shown.get(element);
        };
        while (walker.nextNode()) {
            var text = walker.currentNode;
            if (!text.parentElement || !isShown(text.parentElement))
                continue;
            var found;
            pattern.lastIndex = 0;
            while ((found = pattern.exec(text.data)))
                words.push({ node: text, start: found.index, end: found.index + found[0].length, text: found[0] });
        }
        var caret = editor.savedRange;
        if (!caret || !root().contains(caret.endContainer))
            return words;
        var mark = doc().createRange();
        mark.setStart(caret.endContainer, caret.endOffset);
        var first = 0;
        while (first < words.length && mark.comparePoint(words[first].node, words[first].end) <= 0)
            ++first;
        return words.slice(first).concat(words.slice(0, first));
    }

    function folioSpellingWords() {
        return spellingWords().map(function (word) { return word.text; }).join('\n');
    }

    // Chooses the word of that place in folioSpellingWords's list and brings
    // it into view.
    function folioSelectSpellingWord(index) {
        var word = spellingWords()[index];
        if (!word)
            return 'false';
        var range = doc().createRange();
        range.setStart(word.node, word.start);
        range.setEnd(word.node, word.end);
        if (root().focus)
            root().focus();
        select(range);
        editor.savedRange = range.cloneRange();
        scrollToView();
        return 'true';
    }

    function getCaretEditorPosition() {
        var rect = caretRect();
        var offset = frameOffset();
        if (!rect)
            return '{0, 0}';
        return '{' + Math.round(rect.left + offset.x) + ', ' + Math.round(rect.top + offset.y) + '}';
    }

    function getSelectionCoords() {
        var range = currentRange();
        var offset = frameOffset();
        if (!range)
            return '{{0, 0}, {0, 0}}';
        var rect = range.getBoundingClientRect();
        if (!rect.width && !rect.height)
            rect = caretRect() || rect;
        return '{{' + Math.round(rect.left + offset.x) + ', ' + Math.round(rect.top + offset.y) + '}, {'
            + Math.round(rect.width) + ', ' + Math.round(rect.height) + '}}';
    }

    function getSelectionHtml() {
        var sel = selection();
        var holder = doc().createElement('div');
        for (var i = 0; sel && i < sel.rangeCount; ++i)
            holder.appendChild(sel.getRangeAt(i).cloneContents());
        return holder.innerHTML;
    }

    // To the end of the word the caret or the selection ends in. A caret
    // that already ends a word (before a blank, a mark or the paragraph's
    // end) stays: moving on from there would pass the next word.
    function moveCursorEndWord() {
        var sel = selection();
        if (!sel || !sel.rangeCount)
            return;
        if (!sel.isCollapsed)
            sel.collapseToEnd();
        var caret = sel.getRangeAt(0).cloneRange();
        sel.modify('extend', 'forward', 'character');
        var next = sel.toString();
        sel.removeAllRanges();
        sel.addRange(caret);
        if (/^[\p{L}\p{N}_'\u2019]/u.test(next))
            sel.modify('move', 'forward', 'word');
    }

    // Inserts through the editing command, so that the page's undo takes the
    // insertion back in one step.
    function pasteHtmlAtCaret(html, selectPastedContent) {
        restoreIfOutside();
        var holder = doc().createElement('div');
        holder.innerHTML = html;
        var length = holder.textContent.length;
        // The blank after a note is where the caret goes for what is typed
        // next; the engine drops an ordinary one at the end of a line, and
        // the caret then has nowhere to stand but inside the note.
        var notes = holder.querySelectorAll('object.footnote, object.annotation');
        if (notes.length && /\s$/.test(html))
            html = html.replace(/\s+$/, '&nbsp;');
        doc().execCommand('insertHTML', false, html);
        keepInsertedNotesShut(notes);
        if (selectPastedContent === true || selectPastedContent === 'true') {
            for (var i = 0; i < length; ++i)
                selection().modify('extend', 'backward', 'character');
        }
    }

    // The engine's insertion drops the non-editable holder a note is
    // inserted in, and then takes the note's marker for text: what the user
    // typed after a new comment went inside it, and was lost with its
    // marker on saving. The note itself is made non-editable, as notes read
    // from a file are.
    function keepInsertedNotesShut(notes) {
        for (var i = 0; i < notes.length; ++i) {
            var note = notes[i].id && doc().getElementById(notes[i].id);
            if (note && root().contains(note))
                note.setAttribute('contenteditable', 'false');
        }
    }

    function restoreIfOutside() {
        var range = currentRange();
        if (!range || !root().contains(range.startContainer))
            restoreCaretSelection();
    }

    function isALink() {
        var range = currentRange();
        if (!range)
            return '';
        var element = elementOf(range.startContainer);
        var link = element && element.closest('a');
        return link && root().contains(link) ? (link.getAttribute('href') || '') : '';
    }

    // --- character and paragraph styles --------------------------------------

    // The families of the letter before the caret, where the size is read
    // too: at a paragraph's end after words of another face, the
    // paragraph's own family is not what typing there takes.
    function getFontFamilies() {
        return computed(caretTextElement()).fontFamily;
    }

    // The sibling before a node or before the nearest of its ancestors that
    // has one, within the node's block.
    function previousInBlock(node) {
        var line = blockOf(node);
        for (var up = node; up && up !== line; up = up.parentNode) {
            if (up.previousSibling)
                return up.previousSibling;
        }
        return null;
    }

    // The last node before a collapsed range's start, within its block:
    // what a person sees just before the caret. Empty text shows nothing
    // and is passed over.
    function nodeBeforeCaret(range) {
        var container = range.startContainer;
        var node = container.nodeType === 1 && range.startOffset > 0 ? container.childNodes[range.startOffset - 1]
                                                                      : previousInBlock(container);
        while (node) {
            while (node.lastChild)
                node = node.lastChild;
            if (node.nodeType !== 3 || node.data.length > 0)
                return node;
            node = previousInBlock(node);
        }
        return null;
    }

    // The first text node of which a selection holds a visible letter. A
    // selection that starts between elements (one of the whole text, say)
    // starts in their container, whose own style its text need not have.
    function firstSelectedText(range) {
        var walker = doc().createTreeWalker(root(), NodeFilter.SHOW_TEXT);
        var container = range.startContainer;
        var node = null;
        if (container.nodeType === 3) {
            walker.currentNode = container;
            node = container;
        } else if (container.childNodes[range.startOffset]) {
            node = container.childNodes[range.startOffset];
            walker.currentNode = node;
            if (node.nodeType !== 3)
                node = walker.nextNode();
        } else {
            var last = container;
            while (last.lastChild)
                last = last.lastChild;
            walker.currentNode = last;
            node = walker.nextNode();
        }
        for (; node && range.intersectsNode(node); node = walker.nextNode()) {
            var begin = node === range.startContainer ? range.startOffset : 0;
            var end = node === range.endContainer ? range.endOffset : node.data.length;
            if (/\S/.test(node.data.substring(begin, end)))
                return node;
        }
        return null;
    }

    // The element of the letter a caret follows, whose style typing there
    // takes. The engine moves a caret at the start of a text node back to
    // the end of the text before it, so that text decides too. A caret that
    // begins its line takes the text after it; on a line with no text, the
    // line break's own style. With text selected, the element of its first
    // letter.
    function caretTextElement() {
        var range = currentRange();
        if (!range)
            return caretElement();
        if (!range.collapsed) {
            var first = firstSelectedText(range);
            return first && root().contains(first) ? first.parentElement : caretElement();
        }
        var inText = range.startContainer.nodeType === 3;
        if (inText && range.startOffset > 0)
            return caretElement();
        var before = nodeBeforeCaret(range);
        if (!before || BLOCK_TAGS.test(before.nodeName) || (before.nodeName === 'BR' && inText))
            return caretElement();
        var element = elementOf(before);
        return element && root().contains(element) ? element : caretElement();
    }

    function fontSizeAtCaret(element) {
        // A size armed at a bare caret is what the next typed text gets, so
        // it is the caret's size for as long as the caret stays there.
        var range = currentRange();
        var armed = editor.pendingFontSizeAt;
        if (editor.pendingFontSize && armed && range && range.collapsed
            && range.startContainer === armed.node && range.startOffset === armed.offset)
            return String(editor.pendingFontSize);
        return String(Math.round(parseFloat(computed(element).fontSize) || 0));
    }

    // The size of the text at the caret as a person sees it there, and as
    // text typed or inserted there takes it.
    function getCurrentFontSize() {
        return fontSizeAtCaret(caretTextElement());
    }

    // What the size command leaves on the text it sizes: <font size="7">
    // written without CSS, a span of the keyword size with it.
    var SIZE_MARKS = 'font[size="7"], span[style*="xxx-large"]';

    function giveMarksSize(marks, size) {
        for (var i = 0; i < marks.length; ++i) {
            if (marks[i].tagName === 'FONT')
                marks[i].removeAttribute('size');
            marks[i].style.fontSize = size + 'px';
        }
    }

    // With a bare caret the size command only arms the engine's typing
    // style: the mark appears around the text typed next, and is given the
    // size then. A click elsewhere disarms the engine's typing style, and
    // with it the size waiting for it.
    function installPendingFontSize() {
        var target = doc();
        if (notesOf(target).pendingFontSize)
            return;
        notesOf(target).pendingFontSize = true;
        target.addEventListener('input', function () {
            if (!editor.pendingFontSize)
                return;
            var range = currentRange();
            var element = range && elementOf(range.startContainer);
            var mark = element && element.closest(SIZE_MARKS);
            if (!mark || !root().contains(mark))
                return;
            giveMarksSize([mark], editor.pendingFontSize);
            editor.pendingFontSize = null;
        }, true);
        target.addEventListener('mousedown', function () { editor.pendingFontSize = null; }, true);
    }

    // The size in pixels for the selection. The editing command only knows the
    // seven HTML sizes, so it marks the text with the largest and the marks
    // it made there are then given the real size; marks elsewhere are the
    // document's own and keep theirs.
    function changeFont(pixels) {
        var size = Math.round(Number(pixels));
        if (!(size > 0))
            return;
        installPendingFontSize();
        // Asked before the command: the range it answers follows the text
        // the command moves into its marks, and may collapse on the way.
        var range = currentRange();
        var bareCaret = !range || range.collapsed;
        editor.pendingFontSize = null;
        var before = Array.prototype.slice.call(root().querySelectorAll(SIZE_MARKS));
        doc().execCommand('fontSize', false, '7');
        if (bareCaret) {
            editor.pendingFontSize = size;
            var caret = currentRange();
            editor.pendingFontSizeAt = caret ? {node: caret.startContainer, offset: caret.startOffset} : null;
            return;
        }
        // The command's marks: those it added, and those of the selection
        // it reused.
        var sized = currentRange();
        var marks = root().querySelectorAll(SIZE_MARKS);
        var made = [];
        for (var i = 0; i < marks.length; ++i) {
            if (before.indexOf(marks[i]) < 0 || (sized && sized.intersectsNode(marks[i])))
                made.push(marks[i]);
        }
        giveMarksSize(made, size);
    }

    function increaseFontSize() {
        changeFont(Number(getCurrentFontSize()) + 1);
    }

    function getCurrentLineSpacing() {
        var block = blockOf(caretElement());
        var written = block.style.lineHeight;
        if (written && /^[0-9.]+$/.test(written))
            return trimmed(parseFloat(written));
        var style = computed(block);
        if (style.lineHeight === 'normal')
            return '1';
        return trimmed(parseFloat(style.lineHeight) / parseFloat(style.fontSize));
    }

    // A length of the caret's block in `unit`: as written when the editor
    // wrote it in that unit (layout rounds to fractions of a pixel, which
    // would not read back as the value the user chose), else as laid out.
    function blockLength(property, unit, pixelsPerUnit) {
        var block = blockOf(caretElement());
        var written = block.style[property];
        if (written && written.slice(-unit.length) === unit && !isNaN(parseFloat(written)))
            return trimmed(parseFloat(written));
        return trimmed((parseFloat(computed(block)[property]) || 0) / pixelsPerUnit);
    }

    function spacingPixelsPerPoint() {
        return editor.spacingUnit === 'px' ? 1 : PX_PER_PT;
    }

    function getCurrentParagraphSpacing() {
        return blockLength('marginBottom', editor.spacingUnit, spacingPixelsPerPoint());
    }

    function getCurrentParagraphSpacingBefore() {
        return blockLength('marginTop', editor.spacingUnit, spacingPixelsPerPoint());
    }

    function getCurrentFirstLineIndent() {
        return blockLength('textIndent', 'cm', PX_PER_CM);
    }

    function styleBlocks(apply) {
        folioRestoreLostSelection();
        var blocks = selectedBlocks();
        for (var i = 0; i < blocks.length; ++i)
            apply(blocks[i]);
    }

    function modifyLineSpacing(multiple) {
        var value = Number(multiple);
        if (!(value > 0))
            return;
        styleBlocks(function (block) { block.style.lineHeight = String(value); });
    }

    function modifyParagraphSpacing(points) {
        var value = Number(points) || 0;
        styleBlocks(function (block) { block.style.marginBottom = value + editor.spacingUnit; });
    }

    function modifyParagraphSpacingBefore(points) {
        var value = Number(points) || 0;
        styleBlocks(function (block) { block.style.marginTop = value + editor.spacingUnit; });
    }

    function modifyFirstLineIndent(centimetres) {
        var value = Number(centimetres) || 0;
        styleBlocks(function (block) { block.style.textIndent = value + 'cm'; });
    }

    function modifyLeftIndent(pixels) {
        var step = Number(pixels) || 0;
        styleBlocks(function (block) {
            var current = parseFloat(computed(block).marginLeft) || 0;
            block.style.marginLeft = Math.max(0, current + step) + 'px';
        });
    }

    // The editing command's removeFormat works through every node of the
    // selection; footnotes and comments are objects whose content lives in
    // their attributes, so each stands aside as a marker while it runs and
    // comes back as it was.
    function removeFormatKeepingNotes() {
        var notes = root().querySelectorAll('object.footnote, object.annotation');
        var markers = [];
        for (var i = 0; i < notes.length; ++i) {
            var marker = doc().createComment('folio-note');
            notes[i].parentNode.replaceChild(marker, notes[i]);
            markers.push(marker);
        }
        try {
            doc().execCommand('removeFormat', false, null);
        } finally {
            for (var j = 0; j < markers.length; ++j) {
                if (markers[j].parentNode)
                    markers[j].parentNode.replaceChild(notes[j], markers[j]);
                else
                    root().appendChild(notes[j]);
            }
        }
    }

    function modifyLanguageDirection(direction) {
        if (direction !== 'rtl' && direction !== 'ltr')
            return;
        styleBlocks(function (block) { block.setAttribute('dir', direction); });
    }

    // A paragraph read in a style of its document's style sheet keeps the
    // style's name in "data-style", which the save writes back; one that the
    // user restyles from the style menu takes the menu style's name ("" for
    // the document's default style). Paragraphs of documents without a style
    // sheet carry no name and get none.
    function nameParagraphStyle(name) {
        styleBlocks(function (block) {
            if (block.hasAttribute('data-style'))
                block.setAttribute('data-style', String(name));
        });
    }

    // --- objects and pictures ---------------------------------------------------

    function makeObjectsEditable(editable) {
        var value = editable === true || editable === 'true' ? 'true' : 'false';
        var objects = root().querySelectorAll(OBJECT_SELECTOR);
        for (var i = 0; i < objects.length; ++i)
            objects[i].setAttribute('contenteditable', value);
    }

    function whiteSpacePreWrapOff() {
        var written = root().querySelectorAll('[style*="pre-wrap"]');
        for (var i = 0; i < written.length; ++i) {
            if (written[i].tagName !== 'PRE')
                written[i].style.whiteSpace = '';
        }
        if (root().style.whiteSpace === 'pre-wrap')
            root().style.whiteSpace = '';
    }

    // Pictures read from RTF carry their size in the document's units; they
    // must not be wider than the page, and pictures without data show nothing.
    function stripRTFfromObjects() {
        var pictures = root().querySelectorAll('img');
        for (var i = 0; i < pictures.length; ++i) {
            var picture = pictures[i];
            // A picture the file names beside itself, not found, stays for the save.
            if (!picture.getAttribute('src') && !picture.hasAttribute('data-picture-name')) {
                picture.parentNode.removeChild(picture);
                continue;
            }
            picture.style.maxWidth = '100%';
            picture.style.height = picture.style.height || 'auto';
        }
    }

    // Exactly one picture carries the selected id; the one that had it gets
    // the released id.
    function selectPicture(picture) {
        var marked = doc().querySelectorAll('[id="' + editor.selectedPictureId + '"]');
        for (var i = 0; i < marked.length; ++i) {
            if (marked[i] !== picture)
                marked[i].id = editor.releasedPictureId;
        }
        picture.id = editor.selectedPictureId;
    }

    function selectedPicture() {
        return doc().getElementById(editor.selectedPictureId);
    }

    function withPicture(apply) {
        var picture = selectedPicture();
        if (picture)
            apply(picture);
    }

    // How much larger than its own CSS pixels the element is drawn: the
    // zoom of the elements around it (the editors zoom their text that way).
    function drawnScale(element) {
        var scale = 1;
        for (var node = element; node && node.nodeType === 1; node = node.parentElement) {
            var zoom = parseFloat(computed(node).zoom);
            if (zoom > 0)
                scale *= zoom;
        }
        return scale;
    }

    // Where the selected picture itself (inside its border and padding) is
    // drawn, in the web view's own points: the top page's viewport, as
    // "left,top,width,height"; empty without a selected picture.
    // NOTE: WebKit gives an element's client rectangle in the element's own
    // zoomed CSS pixels, so it is scaled back by the zoom around it.
    function selectedPictureBox() {
        var picture = selectedPicture();
        if (!picture)
            return '';
        var box = picture.getBoundingClientRect();
        var style = computed(picture);
        var scale = drawnScale(picture);
        var offset = frameOffset();
        function px(name) { return parseFloat(style[name]) || 0; }
        var insetLeft = px('borderLeftWidth') + px('paddingLeft');
        var insetTop = px('borderTopWidth') + px('paddingTop');
        var insetWidth = insetLeft + px('borderRightWidth') + px('paddingRight');
        var insetHeight = insetTop + px('borderBottomWidth') + px('paddingBottom');
        return [(box.left + insetLeft) * scale + offset.x, (box.top + insetTop) * scale + offset.y,
                (box.width - insetWidth) * scale, (box.height - insetHeight) * scale].join(',');
    }

    function setPictureSize(picture, width, height) {
        var w = Math.round(Number(width));
        var h = Math.round(Number(height));
        if (w > 0)
            picture.style.width = w + 'px';
        if (h > 0)
            picture.style.height = h + 'px';
        picture.style.maxWidth = '100%';
    }

    function resizeImageAtTo(x, y, width, height) {
        withPicture(function (picture) { setPictureSize(picture, width, height); });
    }

    // Moves the picture to the text position under the point, in the editing
    // document's viewport.
    function moveImageAtTo(x, y, width, height) {
        withPicture(function (picture) {
            var target = doc().caretRangeFromPoint(Number(x), Number(y));
            picture.style.visibility = '';
            if (target && root().contains(target.startContainer) && !picture.contains(target.startContainer))
                target.insertNode(picture);
            setPictureSize(picture, width, height);
        });
    }

    function hideImageAt(x, y) {
        withPicture(function (picture) { picture.style.visibility = 'hidden'; });
    }

    function replaceImage(source, width, height) {
        withPicture(function (picture) {
            picture.setAttribute('src', String(source));
            setPictureSize(picture, width, height);
        });
    }

    function deleteImage() {
        withPicture(function (picture) { picture.parentNode.removeChild(picture); });
    }

    function alignImage(left, right) {
        withPicture(function (picture) {
            picture.style.cssFloat = 'none';
            picture.style.display = 'block';
            picture.style.marginLeft = left;
            picture.style.marginRight = right;
        });
    }

    function leftImage() { alignImage('0', 'auto'); }
    function rightImage() { alignImage('auto', '0'); }
    function centerImage() { alignImage('auto', 'auto'); }

    function wrapImage(side) {
        withPicture(function (picture) {
            picture.style.display = side === 'none' ? '' : 'inline';
            picture.style.cssFloat = side;
        });
    }

    function wrapLeftImage() { wrapImage('left'); }
    function wrapRightImage() { wrapImage('right'); }
    function wrapNoneImage() { wrapImage('none'); }

    function updateEditorScrollOffsets() {
        reportScrollEnd();
    }

    // --- footnotes --------------------------------------------------------------

    function footnotes() {
        return root().querySelectorAll('object.footnote');
    }

    function hasFootnotes() {
        return footnotes().length ? 'YES' : 'NO';
    }

    function newNoteId(prefix) {
        var crypto = win().crypto || global.crypto;
        if (crypto && crypto.randomUUID)
            return prefix + crypto.randomUUID().toUpperCase();
        return prefix + Date.now().toString(16) + Math.random().toString(16).slice(2);
    }

    // A note copied by dragging carries its original's id, and the editor
    // would then edit or delete the wrong one: every id after the first
    // gets a new one.
    function makeNoteIdsUnique() {
        var seen = {};
        var notes = root().querySelectorAll('object.footnote, object.annotation');
        for (var i = 0; i < notes.length; ++i) {
            var id = notes[i].id;
            if (id && !seen[id]) {
                seen[id] = true;
                continue;
            }
            var fresh = newNoteId(notes[i].classList.contains('footnote') ? 'footnote_' : 'note_');
            notes[i].id = fresh;
            seen[fresh] = true;
        }
    }

    // A deleted note leaves the holder it was inserted in, which nothing
    // could select or remove any more. A page break or a rule inside a
    // paragraph is empty and not typed into too, and stays.
    function removeEmptyNoteHolders() {
        var holders = root().querySelectorAll(
            'span[contenteditable="false"]:not(.marquent-pagebreak):not(.horizontal-rule)');
        for (var i = 0; i < holders.length; ++i) {
            var holder = holders[i];
            if (holder.textContent === '' && !holder.querySelector(OBJECT_SELECTOR)
                && holder.querySelectorAll('*').length === holder.querySelectorAll('sup').length)
                holder.parentNode.removeChild(holder);
        }
    }

    // The element that shows a note's mark: the note itself, or the
    // superscript inside it that the document's markup wraps the mark in.
    function noteMarkHolder(note) {
        var holder = note;
        while (holder.children.length === 1 && holder.firstElementChild.textContent === holder.textContent)
            holder = holder.firstElementChild;
        return holder;
    }

    // Numbers the footnote marks in document order; only marks whose number
    // changed are written, so that an unchanged page stays untouched. A mark
    // as documents are loaded ("<sup>  [3] </sup>") already shows its number
    // when it does so between spaces. NOTE: every write into an <object> has
    // WebKit rebuild the object's fallback, a few milliseconds each: a long
    // document's hundreds of notes, all rewritten, froze the page for a
    // second after it opened.
    function updateFootnoteIndex() {
        makeNoteIdsUnique();
        removeEmptyNoteHolders();
        // The engine's insertion can drop the text of an element it does not
        // edit, which would leave a comment without anything to tap.
        var comments = root().querySelectorAll('object.annotation');
        for (var c = 0; c < comments.length; ++c) {
            if (comments[c].textContent === '')
                comments[c].textContent = '[\uD83D\uDCAC]';
        }
        var notes = footnotes();
        for (var i = 0; i < notes.length; ++i) {
            var mark = '[' + (i + 1) + ']';
            if (notes[i].textContent.trim() !== mark)
                noteMarkHolder(notes[i]).textContent = mark;
        }
    }

    // A footnote or comment is an <object> whose marker ("[1]", the speech
    // bubble) is its fallback content. WebKit's editing commands (insertHTML
    // and the commands built on it) rewrite the paragraph they work in from
    // serialised markup, which leaves out an object's children: the notes of
    // that paragraph come back empty, and an empty object is drawn as a
    // 300x150 plug-in box. The markers are put back as soon as that happens.
    var kAnnotationMarker = '[\uD83D\uDCAC]';

    function restoreNoteMarkers() {
        var emptied = false;
        var notes = root().querySelectorAll('object.footnote, object.annotation');
        for (var i = 0; i < notes.length; ++i) {
            if (notes[i].textContent !== '')
                continue;
            if (notes[i].classList.contains('annotation'))
                notes[i].textContent = kAnnotationMarker;
            else
                emptied = true;
        }
        if (emptied)
            updateFootnoteIndex();
    }

    function installNoteMarkerKeeper() {
        var target = doc();
        if (notesOf(target).noteMarkerKeeper || typeof win().MutationObserver !== 'function')
            return;
        notesOf(target).noteMarkerKeeper = new (win().MutationObserver)(restoreNoteMarkers);
        notesOf(target).noteMarkerKeeper.observe(target.body || target.documentElement, { childList: true, subtree: true });
        restoreNoteMarkers();
    }

    function insertFootnoteTable() {
        var notes = footnotes();
        if (!notes.length)
            return 'NoFootnotes';
        var list = doc().createElement('div');
        for (var i = 0; i < notes.length; ++i) {
            var line = doc().createElement('p');
            line.textContent = '[' + (i + 1) + '] ' + (notes[i].getAttribute('data-content') || '').trim();
            list.appendChild(line);
        }
        return list.innerHTML;
    }

    // --- find -------------------------------------------------------------------

    // Matches are shown with the CSS Custom Highlight API: nothing is added to
    // the document, so nothing of a search can ever be saved with it.
    function highlights() {
        var view = win();
        return view.CSS && view.CSS.highlights && typeof view.Highlight === 'function' ? view.CSS.highlights : null;
    }

    function ensureHighlightStyle() {
        var target = doc();
        if (notesOf(target).findStyle || !('adoptedStyleSheets' in target))
            return;
        var sheet = new (win().CSSStyleSheet)();
        sheet.replaceSync('::highlight(folio-find){background-color:#ffe14d;color:inherit}'
            + '::highlight(folio-find-current){background-color:#ff9632;color:inherit}');
        target.adoptedStyleSheets = target.adoptedStyleSheets.concat([sheet]);
        notesOf(target).findStyle = sheet;
    }

    // Text the page keeps but does not show, and the elements a paragraph is.
    var FIND_HIDDEN = 'span[data-hidden]';
    var FIND_BLOCKS = 'p, li, div, h1, h2, h3, h4, h5, h6, blockquote, pre, td, th';

    var JSL = {
        keyword: '',
        matches: [],
        current: -1,
        limit: 9999,

        main: function () {
            global.searchCodeLoaded = true;
            ensureHighlightStyle();
        },

        // The text is searched as a person reads it: hidden text and the
        // invisible characters that bookmarks and empty fields stand on are
        // left out, so that a phrase is found across them and across changes
        // of style; a paragraph's end keeps its last word from the next one's
        // first.
        collect: function () {
            this.matches = [];
            if (!this.keyword)
                return;
            var needle = this.keyword.toLocaleLowerCase();
            var pieces = [];
            var text = '';
            var block;
            var parent;
            var hidden = false;
            var walker = doc().createTreeWalker(root(), NodeFilter.SHOW_TEXT);
            for (var node = walker.nextNode(); node; node = walker.nextNode()) {
                if (node.parentElement !== parent) {
                    parent = node.parentElement;
                    hidden = !!(parent && parent.closest(FIND_HIDDEN));
                    var shownIn = parent ? parent.closest(FIND_BLOCKS) : null;
                    if (!hidden && shownIn !== block) {
                        block = shownIn;
                        text += '\n';
                    }
                }
                if (hidden)
                    continue;
                var data = node.data;
                for (var start = 0, at = 0; at <= data.length; ++at) {
                    if (at < data.length && data.charCodeAt(at) !== 0x2060)
                        continue;
                    if (at > start) {
                        var piece = data.substring(start, at);
                        var lowered = piece.toLocaleLowerCase();
                        pieces.push({ node: node, offset: start, at: text.length });
                        // A letter whose lower case is longer would move every
                        // later match off its words.
                        text += lowered.length === piece.length ? lowered : piece;
                    }
                    start = at + 1;
                }
            }
            var index = 0;
            function place(position, range, isEnd) {
                while (index + 1 < pieces.length && pieces[index + 1].at < position + (isEnd ? 0 : 1))
                    ++index;
                var piece = pieces[index];
                var offset = piece.offset + position - piece.at;
                if (isEnd)
                    range.setEnd(piece.node, offset);
                else
                    range.setStart(piece.node, offset);
            }
            for (var found = text.indexOf(needle); found >= 0 && this.matches.length < this.limit;
                found = text.indexOf(needle, found + needle.length)) {
                var range = doc().createRange();
                place(found, range, false);
                place(found + needle.length, range, true);
                this.matches.push(range);
            }
        },

        paint: function () {
            var registry = highlights();
            if (!registry)
                return;
            var View = win();
            registry.set('folio-find', new View.Highlight(...this.matches));
            var current = this.matches[this.current];
            if (current)
                registry.set('folio-find-current', new View.Highlight(current));
            else
                registry.delete('folio-find-current');
        },

        // Answers the number of matches, 9999 at most, -1 when the search failed.
        setKW: function (keyword) {
            try {
                this.keyword = String(keyword || '');
                this.collect();
                this.current = -1;
                this.paint();
                return this.matches.length;
            } catch (error) {
                return -1;
            }
        },

        // Selects the next (1) or previous (-1) match; wraps round at the ends.
        next: function (direction, wrap) {
            if (!this.matches.length)
                return;
            var step = Number(direction) < 0 ? -1 : 1;
            var index = this.current + step;
            if (index >= this.matches.length)
                index = wrap === false ? this.matches.length - 1 : 0;
            if (index < 0)
                index = wrap === false ? 0 : this.matches.length - 1;
            this.current = index;
            select(this.matches[index].cloneRange());
            this.paint();
            scrollToView();
        },

        // Replaces the current match (the first when none is current yet)
        // through the editing command, so undo takes it back, and leaves the
        // replacement selected. Answers 1 when a match was replaced, else 0.
        replace: function (text) {
            if (this.current < 0 && this.matches.length)
                this.current = 0;
            var match = this.matches[this.current];
            if (!match || match.collapsed)
                return 0;
            var replacement = String(text);
            // A page that keeps words it does not show replaces around them.
            if (typeof win().replaceKeepingMarks === 'function') {
                win().replaceKeepingMarks(match.cloneRange(), replacement);
            } else {
                select(match.cloneRange());
                doc().execCommand('insertText', false, replacement);
            }
            for (var i = 0; i < replacement.length; ++i)
                selection().modify('extend', 'backward', 'character');
            return 1;
        },

        // After a replacement: the matches again, and the first one after the caret.
        nextReplace: function (direction) {
            var caret = currentRange();
            this.collect();
            this.current = -1;
            if (!this.matches.length) {
                this.paint();
                return;
            }
            var index = 0;
            if (caret) {
                // From the end of the replacement, so that a replacement that
                // holds the keyword is not found again.
                var after = caret.cloneRange();
                after.collapse(false);
                while (index < this.matches.length
                    && this.matches[index].compareBoundaryPoints(Range.START_TO_START, after) < 0)
                    ++index;
                if (index >= this.matches.length)
                    index = 0;
            }
            this.current = index - (Number(direction) < 0 ? -1 : 1);
            this.next(direction, true);
        },

        clear: function () {
            this.keyword = '';
            this.matches = [];
            this.current = -1;
            var registry = highlights();
            if (registry) {
                registry.delete('folio-find');
                registry.delete('folio-find-current');
            }
        }
    };

    // --- content -------------------------------------------------------------

    function decoration(id, marginAttribute) {
        var element = global.document.getElementById(id);
        if (!element || !element.textContent)
            return undefined;
        return {
            text: element.textContent,
            fontFamily: element.style.fontFamily,
            fontSize: element.style.fontSize,
            textAlign: element.style.textAlign,
            color: element.style.color,
            margin: element.getAttribute(marginAttribute) || '',
            enabled: element.getAttribute('data-enabled') || ''
        };
    }

    // Everything the editor hands its document, in one answer: what the page
    // keeps of the document around the body as JSON text (members without a
    // value left out), a line break, then the body's HTML as it stands. The
    // HTML is most of a long document's answer: put inside the JSON it would
    // be escaped into one more copy of megabytes at every save, and parsed
    // out of it again by the editor. Joined rather than concatenated: a
    // concatenation is only copied out when the answer is sent, and with a
    // long document the page then held some 20 MB more after a few saves.
    // The editing body is TinyMCE's on the QV pages, the "content" element
    // on the rich text page, whose answer comes in pieces. The plain text is
    // made only when asked for, as it costs a layout pass.
    function folioEditorContent(withPlainText) {
        return sliced(editorContent(withPlainText));
    }

    // A long answer goes to the program a slice at a time: received whole,
    // megabytes of it would hold the program's main thread, and a key typed
    // meanwhile, for tens of milliseconds. Such an answer is kept under a
    // number, answered as "\u0001" and the number, and read with
    // folioAnswerSlice until it has all come. An answer may come as pieces
    // to be joined: a long one is then joined a slice at a time, as each is
    // read, and never whole.
    var kAnswerSliceLength = 1 << 20;
    var kAnswersKept = 4;
    var slicedAnswers = {};
    var lastSlicedAnswer = 0;

    function sliced(answer) {
        var pieces = typeof answer === 'string' ? [answer] : answer;
        var length = 0;
        for (var i = 0; i < pieces.length; ++i)
            length += pieces[i].length;
        if (length <= kAnswerSliceLength)
            return pieces.join('');
        var number = ++lastSlicedAnswer;
        slicedAnswers[number] = {pieces: pieces, at: 0, offset: 0};
        // One whose reader gave up is not kept for good.
        delete slicedAnswers[number - kAnswersKept];
        return '\u0001' + number;
    }

    // The next slice of a kept answer, after "+" when more follow and "."
    // for the last; "" for an answer not kept. A slice never ends between
    // the two halves of a surrogate pair, which would come out as two
    // replacement characters.
    function folioAnswerSlice(number) {
        var kept = slicedAnswers[number];
        if (!kept)
            return '';
        // The mark goes in first: put before the joined slice, it would
        // make one more copy of it when the answer is sent.
        var slice = [''];
        var room = kAnswerSliceLength;
        while (room > 0 && kept.at < kept.pieces.length) {
            var piece = kept.pieces[kept.at];
            var end = Math.min(piece.length, kept.offset + room);
            var last = piece.charCodeAt(end - 1);
            if (end < piece.length && last >= 0xD800 && last <= 0xDBFF)
                ++end;
            slice.push(kept.offset === 0 && end === piece.length ? piece : piece.substring(kept.offset, end));
            room -= end - kept.offset;
            kept.offset = end;
            if (end === piece.length) {
                ++kept.at;
                kept.offset = 0;
            }
        }
        var more = kept.at < kept.pieces.length;
        slice[0] = more ? '+' : '.';
        if (!more)
            delete slicedAnswers[number];
        return slice.join('');
    }

    function editorContent(withPlainText) {
        var answer = {};
        var tiny = global.tinymce && global.tinymce.activeEditor;
        if (tiny) {
            var body = tiny.getBody();
            // The selected picture's id marks the editor's selection, not the
            // document: the page is read as it is with nothing selected.
            var marked = body.querySelectorAll('[id="' + editor.selectedPictureId + '"]');
            for (var i = 0; i < marked.length; ++i)
                marked[i].id = editor.releasedPictureId;
            var html;
            try {
                html = tiny.getContent();
            } finally {
                for (var j = 0; j < marked.length; ++j)
                    marked[j].id = editor.selectedPictureId;
            }
            answer.bodyStyle = body.getAttribute('style') || '';
            answer.paperColor = body.style.backgroundColor;
            if (withPlainText)
                answer.plainText = body.innerText;
            return [JSON.stringify(answer), html].join('\n');
        } else {
            var content = global.document.getElementById('content');
            if (!content)
                return '';
            answer.lineHeight = content.style.lineHeight;
            answer.textIndent = content.style.textIndent;
            answer.paperColor = global.document.body.style.backgroundColor;
            answer.header = decoration('pageHeader', 'data-topMargin');
            answer.footer = decoration('pageFooter', 'data-bottomMargin');
            // While the document's wrapper is the body's only child, the
            // editor keeps what is inside it: the wrapper is made anew, with
            // the current default style, each time the page is built.
            var wrapper = global.document.getElementById('paragraph');
            if (wrapper && wrapper.parentNode === content && content.children.length === 1
                && content.firstChild === wrapper && content.lastChild === wrapper) {
                var shell = wrapper.cloneNode(false).outerHTML;
                answer.wrapperOpening = shell.substring(0, shell.lastIndexOf('</'));
            }
            if (withPlainText)
                answer.plainText = content.innerText;
            // A page may keep its markup between saves: it gives it in
            // pieces that make innerHTML when joined.
            var markup = typeof global.contentMarkupPieces === 'function'
                ? global.contentMarkupPieces(content) : [content.innerHTML];
            return [JSON.stringify(answer) + '\n'].concat(markup);
        }
    }

    // --- smart quotes -------------------------------------------------------------

    // With smart quotes on, a typed straight quote becomes the typographic one
    // for its side: opening after a space or at the start, closing otherwise.
    function installSmartQuotes() {
        var target = doc();
        if (notesOf(target).smartQuotes)
            return;
        notesOf(target).smartQuotes = true;
        target.addEventListener('beforeinput', function (event) {
            if (!global.smartQuotesEnabled || event.inputType !== 'insertText')
                return;
            var typed = event.data;
            if (typed !== '"' && typed !== "'")
                return;
            var range = currentRange();
            var before = '';
            if (range && range.startContainer.nodeType === 3 && range.startOffset > 0)
                before = range.startContainer.data.charAt(range.startOffset - 1);
            var opening = !before || /[\s(\[{\u2014\u2013]/.test(before);
            var quote = typed === '"' ? (opening ? '\u201C' : '\u201D') : (opening ? '\u2018' : '\u2019');
            event.preventDefault();
            doc().execCommand('insertText', false, quote);
        }, true);
    }

    var exported = {
        folioAttachEditor: folioAttachEditor,
        folioKeepSelectionAcrossPrimaryLoss: folioKeepSelectionAcrossPrimaryLoss,
        folioKeepTinyMCESelectionAcrossPrimaryLoss: folioKeepTinyMCESelectionAcrossPrimaryLoss,
        folioKeepTinyMCEContentInert: folioKeepTinyMCEContentInert,
        folioSendForeignDrops: folioSendForeignDrops,
        folioPlaceCaretAtPoint: folioPlaceCaretAtPoint,
        folioPageScrollOffset: folioPageScrollOffset,
        folioPageScrollState: folioPageScrollState,
        folioPageScrollTo: folioPageScrollTo,
        folioRestoreLostSelection: folioRestoreLostSelection,
        folioKeyDownsSeen: folioKeyDownsSeen,
        initXEditor: initXEditor,
        addcss: addcss,
        saveCaretSelection: saveCaretSelection,
        restoreCaretSelection: restoreCaretSelection,
        scrollToView: scrollToView,
        jumpCaretToTop: jumpCaretToTop,
        folioSpellingWords: folioSpellingWords,
        folioSelectSpellingWord: folioSelectSpellingWord,
        getCaretEditorPosition: getCaretEditorPosition,
        getSelectionCoords: getSelectionCoords,
        getSelectionHtml: getSelectionHtml,
        getFontFamilies: getFontFamilies,
        getCurrentFontSize: getCurrentFontSize,
        getCurrentLineSpacing: getCurrentLineSpacing,
        getCurrentParagraphSpacing: getCurrentParagraphSpacing,
        getCurrentParagraphSpacingBefore: getCurrentParagraphSpacingBefore,
        getCurrentFirstLineIndent: getCurrentFirstLineIndent,
        changeFont: changeFont,
        increaseFontSize: increaseFontSize,
        modifyLineSpacing: modifyLineSpacing,
        modifyParagraphSpacing: modifyParagraphSpacing,
        modifyParagraphSpacingBefore: modifyParagraphSpacingBefore,
        modifyFirstLineIndent: modifyFirstLineIndent,
        modifyLeftIndent: modifyLeftIndent,
        modifyLanguageDirection: modifyLanguageDirection,
        nameParagraphStyle: nameParagraphStyle,
        removeFormatKeepingNotes: removeFormatKeepingNotes,
        makeObjectsEditable: makeObjectsEditable,
        whiteSpacePreWrapOff: whiteSpacePreWrapOff,
        stripRTFfromObjects: stripRTFfromObjects,
        hasFootnotes: hasFootnotes,
        insertFootnoteTable: insertFootnoteTable,
        updateFootnoteIndex: updateFootnoteIndex,
        moveCursorEndWord: moveCursorEndWord,
        pasteHtmlAtCaret: pasteHtmlAtCaret,
        isALink: isALink,
        selectPicture: selectPicture,
        resizeImageAtTo: resizeImageAtTo,
        moveImageAtTo: moveImageAtTo,
        hideImageAt: hideImageAt,
        selectedPictureBox: selectedPictureBox,
        replaceImage: replaceImage,
        deleteImage: deleteImage,
        leftImage: leftImage,
        rightImage: rightImage,
        centerImage: centerImage,
        wrapLeftImage: wrapLeftImage,
        wrapRightImage: wrapRightImage,
        wrapNoneImage: wrapNoneImage,
        updateEditorScrollOffsets: updateEditorScrollOffsets,
        folioSendPageMessage: send,
        folioKeyDownData: keyDownData,
        folioEditorContent: folioEditorContent,
        folioAnswerSlice: folioAnswerSlice,
        JSL: JSL
    };
    for (var name in exported)
        global[name] = exported[name];
    if (global.searchCodeLoaded === undefined)
        global.searchCodeLoaded = false;
    if (global.smartQuotesEnabled === undefined)
        global.smartQuotesEnabled = false;
})(window);
