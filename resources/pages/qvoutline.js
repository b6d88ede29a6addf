// The outline page: TinyMCE edits the outline in place, and the outline is a
// flat list of branches ("#left-tree > li.tree-branch") whose data-level says
// how deep each one hangs and whose data-parent names the branch it hangs
// from. Every tree command and every drag ends by recomputing levels and
// parents from the order of the list, so the two never disagree, and by
// telling the native side the document changed.
(function (global) {
    'use strict';

    var $ = global.jQuery;
    var TREE = '#left-tree';
    var LEVEL_CLASS = /(^|\s)branch-level-\d+(?=\s|$)/g;

    function send(name, data) {
        if (global.folioSendPageMessage)
            global.folioSendPageMessage(name, data);
    }

    function tree() { return global.document.querySelector(TREE); }

    function branches() {
        var list = tree();
        return list ? $(list).children('li.tree-branch').toArray() : [];
    }

    function level(branch) {
        var value = parseInt(branch.getAttribute('data-level'), 10);
        return value > 0 ? value : 1;
    }

    function setLevel(branch, value) {
        branch.className = (branch.className.replace(LEVEL_CLASS, ' ') + ' branch-level-' + value)
            .replace(/\s+/g, ' ').trim();
        branch.setAttribute('data-level', String(value));
    }

    function branchId(branch) { return parseInt(branch.getAttribute('data-id'), 10) || 0; }

    function title(branch) { return $(branch).find('.branch-title').first()[0] || null; }

    // The branch and all that hang below it, in list order.
    function subtree(branch) {
        var all = branches();
        var at = all.indexOf(branch);
        var own = level(branch);
        var result = [branch];
        for (var i = at + 1; i < all.length && level(all[i]) > own; ++i)
            result.push(all[i]);
        return result;
    }

    // Levels never jump by more than one from one branch to the next, ids are
    // unique, and each parent is the nearest branch one level up before it.
    function normalize() {
        var all = branches();
        var seen = {};
        var highest = 0;
        all.forEach(function (branch) { highest = Math.max(highest, branchId(branch)); });
        var idAtLevel = [0];
        var previous = 0;
        all.forEach(function (branch) {
            var id = branchId(branch);
            if (!id || seen[id]) {
                id = ++highest;
                branch.setAttribute('data-id', String(id));
                var heading = title(branch);
                if (heading)
                    heading.id = String(id);
            }
            seen[id] = true;
            // An empty title holds a placeholder line break that TinyMCE
            // leaves out of the content, so that the caret can go into it.
            var heading = title(branch);
            if (heading && !heading.firstChild)
                heading.innerHTML = '<br data-mce-bogus="1">';
            var value = Math.max(1, Math.min(level(branch), previous + 1));
            if (value !== level(branch) || !/(^|\s)branch-level-\d+/.test(branch.className))
                setLevel(branch, value);
            branch.setAttribute('data-parent', String(idAtLevel[value - 1] || 0));
            idAtLevel[value] = id;
            idAtLevel.length = value + 1;
            previous = value;
        });
        applyFolds();
    }

    function nextId() {
        var highest = 0;
        branches().forEach(function (branch) { highest = Math.max(highest, branchId(branch)); });
        return highest + 1;
    }

    function makeBranch(value, text) {
        var id = nextId();
        var branch = global.document.createElement('li');
        branch.className = 'tree-branch branch-level-' + value;
        branch.setAttribute('data-id', String(id));
        branch.setAttribute('data-parent', '0');
        branch.setAttribute('data-level', String(value));
        branch.setAttribute('style', 'z-index: 10; --tree-sortable-branch-left-shift: 0px;'
            + ' --tree-sortable-children-left-shift: 0px;');
        branch.innerHTML = "<div class='contents'><span class='branch-path' style='display: none;'></span>"
            + "<div class='branch-wrapper'><div class='left-sidebar'>"
            + "<div class='branch-drag-handler ui-sortable-handle' contenteditable='false'>\u25CF</div>"
            + "<div class='branch-title'></div></div></div></div>"
            + "<span class='children-bus' style='height:1px;'></span>";
        var heading = title(branch);
        heading.id = String(id);
        if (text)
            heading.textContent = text;
        else
            heading.innerHTML = '<br data-mce-bogus="1">';
        return branch;
    }

    function editor() { return global.tinymce && global.tinymce.activeEditor; }

    // An outline without the tree (one another program wrote, or one whose
    // tree went with everything else the user deleted) gets an empty tree
    // after what it holds: the outline's keys and commands work in branches,
    // what was there stays as it was, and the program takes no content
    // without the tree for the outline's.
    function ensureTree(tiny) {
        if (tree() || !tiny || !tiny.getBody())
            return false;
        var list = global.document.createElement('ul');
        list.id = 'left-tree';
        list.appendChild(makeBranch(1, ''));
        tiny.getBody().appendChild(list);
        return true;
    }

    function currentBranch() {
        var tiny = editor();
        var node = tiny ? tiny.selection.getNode() : null;
        var branch = node ? $(node).closest('li.tree-branch')[0] : null;
        return branch && branch.parentNode === tree() ? branch : null;
    }

    function placeCaret(branch) {
        var tiny = editor();
        var heading = title(branch);
        if (!tiny || !heading)
            return;
        tiny.focus();
        tiny.selection.select(heading, true);
        tiny.selection.collapse(false);
    }

    // What was typed before a tree command is a step of its own, so that
    // undo takes back the command alone.
    function beginChange() {
        var tiny = editor();
        if (!tiny)
            return;
        if (tiny.undoManager.typing) {
            tiny.undoManager.typing = false;
            tiny.undoManager.add();
        }
        tiny.undoManager.beforeChange();
    }

    // A tree command is one step of the undo history and one change.
    function changed() {
        normalize();
        var tiny = editor();
        if (tiny) {
            tiny.undoManager.add();
            tiny.setDirty(true);
        }
        send('dirtyEvent');
    }

    function addBranch(after, text) {
        var list = tree();
        if (!list)
            return null;
        beginChange();
        var branch;
        if (after) {
            var below = subtree(after);
            branch = makeBranch(level(after), text);
            $(below[below.length - 1]).after(branch);
        } else {
            branch = makeBranch(1, text);
            list.appendChild(branch);
        }
        changed();
        placeCaret(branch);
        return branch;
    }

    function shift(branch, by) {
        subtree(branch).forEach(function (each) { setLevel(each, Math.max(1, level(each) + by)); });
    }

    // A branch hangs one level deeper under the sibling before it.
    function indentBranch(branch) {
        var all = branches();
        var at = all.indexOf(branch);
        if (at <= 0 || level(all[at - 1]) < level(branch))
            return false;
        beginChange();
        shift(branch, 1);
        changed();
        return true;
    }

    function outdentBranch(branch) {
        if (level(branch) <= 1)
            return false;
        beginChange();
        shift(branch, -1);
        changed();
        return true;
    }

    function siblingBefore(branch) {
        var all = branches();
        for (var i = all.indexOf(branch) - 1; i >= 0; --i) {
            if (level(all[i]) < level(branch))
                return null;
            if (level(all[i]) === level(branch))
                return all[i];
        }
        return null;
    }

    function siblingAfter(branch) {
        var below = subtree(branch);
        var next = below[below.length - 1].nextElementSibling;
        return next && next.matches('li.tree-branch') && level(next) === level(branch) ? next : null;
    }

    function moveBranchUp(branch) {
        var before = siblingBefore(branch);
        if (!before)
            return false;
        beginChange();
        $(before).before(subtree(branch));
        changed();
        placeCaret(branch);
        return true;
    }

    function moveBranchDown(branch) {
        var after = siblingAfter(branch);
        if (!after)
            return false;
        beginChange();
        var theirs = subtree(after);
        $(theirs[theirs.length - 1]).after(subtree(branch));
        changed();
        placeCaret(branch);
        return true;
    }

    // Folding hides what hangs below a branch. The fold is kept with the
    // branch as its class alone, and what it hides follows from the classes
    // each time the tree changes or opens: a branch shows unless a branch it
    // hangs from is folded, whatever display an older file gave it.
    function applyFolds() {
        var foldedAt = 0;
        branches().forEach(function (branch) {
            var value = level(branch);
            if (foldedAt && value > foldedAt) {
                branch.style.display = 'none';
                return;
            }
            foldedAt = 0;
            if (branch.style.display === 'none')
                branch.style.display = '';
            if (branch.classList.contains('branch-collapsed'))
                foldedAt = value;
        });
    }

    function toggleBranch(branch) {
        if (subtree(branch).length < 2)
            return false;
        beginChange();
        branch.classList.toggle('branch-collapsed');
        changed();
        return true;
    }

    // The connector of each branch reaches up to the sibling before it (or
    // to its parent), whatever the width did to the heights between them.
    $.fn.calculateSiblingDistances = function () {
        branches().forEach(function (branch) {
            var path = $(branch).find('.branch-path').first()[0];
            if (!path || level(branch) === 1)
                return;
            var above = siblingBefore(branch) || $(tree()).children('[data-id="' + branch.getAttribute('data-parent') + '"]')[0];
            if (!above)
                return;
            var distance = branch.getBoundingClientRect().top - above.getBoundingClientRect().top;
            path.style.height = Math.max(0, Math.round(distance)) + 'px';
        });
        return this;
    };

    // Dragging takes a branch with all that hangs below it: those ride in its
    // children bus for the drag and come back out after it where it lands.
    // While the drag lasts the list holds the drag's own floating helper and
    // dashed placeholder: no undo step is taken then, and the drag is one
    // step of its own, taken once it has landed.
    var dragging = false;

    function makeSortable() {
        var list = tree();
        if (!list || $(list).data('ui-sortable'))
            return;
        var riders = [];
        $(list).sortable({
            items: '> li.tree-branch',
            handle: '.branch-drag-handler',
            placeholder: 'sortable-placeholder',
            axis: 'y',
            start: function (event, ui) {
                dragging = true;
                riders = subtree(ui.item[0]).slice(1);
                var bus = $(ui.item).children('.children-bus')[0];
                riders.forEach(function (each) { bus.appendChild(each); });
            },
            stop: function (event, ui) {
                var branch = ui.item[0];
                // Dropped anywhere but the list: back where it was.
                if (branch.parentNode !== list)
                    $(list).sortable('cancel');
                if (branch.parentNode !== list)
                    list.appendChild(branch);
                $(branch).after(riders);
                riders = [];
                var before = branch.previousElementSibling;
                var deepest = before && before.matches('li.tree-branch') ? level(before) + 1 : 1;
                if (level(branch) > deepest)
                    shift(branch, deepest - level(branch));
                dragging = false;
                changed();
            }
        });
    }

    // A press on a bullet may begin a drag: what was typed before it is
    // closed as a step of its own while the tree is still as it stands.
    function closeStepBeforeDrag(event) {
        var bullet = event.target && event.target.closest ? event.target.closest('.branch-drag-handler') : null;
        if (bullet && event.button === 0 && tree() && tree().contains(bullet))
            beginChange();
    }

    // The bullet is not editable, and the editor would drag such an element
    // by itself alongside the tree's own drag, dropping a copy of the bullet
    // where the pointer lets go and taking undo steps halfway through: the
    // tree's drag is the only one.
    function keepDragsToTheTree(tiny) {
        global.document.addEventListener('mousedown', closeStepBeforeDrag, true);
        tiny.on('BeforeAddUndo', function (event) {
            if (dragging)
                event.preventDefault();
        });
        tiny.on('drop', function (event) {
            if (dragging)
                event.preventDefault();
        });
    }

    // The drag's floating helper and dashed placeholder are the page's, never
    // the document's: they are left out of every save and every undo step,
    // and out of what a file brings in.
    var DRAG_STYLE = /(^|;)\s*(position|top|left|right|bottom|width|height)\s*:[^;]*/gi;

    function dropDragMarks(nodes) {
        nodes.forEach(function (node) {
            var names = (node.attr('class') || '').split(/\s+/);
            if (names.indexOf('sortable-placeholder') >= 0 || names.indexOf('ui-sortable-placeholder') >= 0) {
                node.remove();
                return;
            }
            if (names.indexOf('ui-sortable-helper') < 0)
                return;
            node.attr('class', names.filter(function (name) {
                return name && name !== 'ui-sortable-helper';
            }).join(' ') || null);
            var style = (node.attr('style') || '').replace(DRAG_STYLE, '$1').replace(/^[\s;]+/, '')
                .replace(/z-index:\s*1000/, 'z-index: 10');
            node.attr('style', style.trim() || null);
        });
    }

    function caretAtEdge(heading, atEnd) {
        var tiny = editor();
        var range = tiny.selection.getRng();
        if (!range.collapsed)
            return false;
        var probe = global.document.createRange();
        probe.selectNodeContents(heading);
        if (atEnd)
            probe.setStart(range.endContainer, range.endOffset);
        else
            probe.setEnd(range.startContainer, range.startOffset);
        return probe.toString().length === 0;
    }

    // Deleting across the edge of a title would merge two branches' markup
    // into one and leave a branch without its title: the keys stop at the
    // edge, and only an empty branch with nothing below it goes away.
    function removeEmptyBranch(branch) {
        var heading = title(branch);
        if (!heading || heading.textContent.length || heading.querySelector('img') || subtree(branch).length > 1)
            return false;
        var all = branches();
        var before = all[all.indexOf(branch) - 1];
        if (!before)
            return false;
        beginChange();
        $(branch).remove();
        changed();
        placeCaret(before);
        return true;
    }

    function keyDown(event) {
        var branch = currentBranch();
        if (!branch) {
            send('onkeydownEvent', global.folioKeyDownData ? global.folioKeyDownData(event) : undefined);
            return;
        }
        var heading = title(branch);
        if (heading && (event.keyCode === 8 || event.keyCode === 46)
            && caretAtEdge(heading, event.keyCode === 46)) {
            event.preventDefault();
            if (event.keyCode === 8)
                removeEmptyBranch(branch);
            return;
        }
        if (event.keyCode === 13 && !event.shiftKey) {
            event.preventDefault();
            addBranch(branch, '');
            return;
        }
        if (event.keyCode === 9) {
            event.preventDefault();
            if (event.shiftKey)
                outdentBranch(branch);
            else
                indentBranch(branch);
            placeCaret(branch);
            return;
        }
        // Ctrl+Shift+Up and Down move the branch past its sibling with all
        // that hangs below it; Ctrl+Up folds it and Ctrl+Down unfolds it, as
        // outliners have it.
        if ((event.keyCode === 38 || event.keyCode === 40) && event.ctrlKey && !event.altKey && !event.metaKey) {
            event.preventDefault();
            var up = event.keyCode === 38;
            if (event.shiftKey) {
                if (up)
                    moveBranchUp(branch);
                else
                    moveBranchDown(branch);
            } else if (branch.classList.contains('branch-collapsed') !== up) {
                toggleBranch(branch);
                placeCaret(branch);
            }
            return;
        }
        send('onkeydownEvent', global.folioKeyDownData ? global.folioKeyDownData(event) : undefined);
    }

    // An inserted picture comes selected; every picture that was selected
    // before the insertion lets go, so no two pictures ever share the id.
    function keepOnePictureSelected(tiny) {
        var before = [];
        var selected = function () {
            return Array.prototype.slice.call(tiny.getBody().querySelectorAll('[id="imageSelected_555"]'));
        };
        tiny.on('BeforeSetContent', function () { before = selected(); });
        tiny.on('SetContent', function () {
            var now = selected();
            if (now.length > 1) {
                now.forEach(function (picture) {
                    if (before.indexOf(picture) >= 0)
                        picture.id = 'imageSelected_444';
                });
            }
            before = [];
        });
        // The insertion commands the editor sends may rebuild the paragraph
        // at the caret, pictures and all: the selected picture lets go
        // before the new one comes in.
        tiny.on('BeforeExecCommand', function (event) {
            if (!/^(insertHTML|mceInsertContent)$/i.test(event.command || ''))
                return;
            selected().forEach(function (picture) { picture.id = 'imageSelected_444'; });
        });
    }

    function setup(tiny, text) {
        keepOnePictureSelected(tiny);
        keepDragsToTheTree(tiny);
        // TinyMCE keeps every attribute without verification, which the
        // outline's markup needs; what could run is left out all the same.
        global.folioKeepTinyMCEContentInert(tiny);
        // The list's sortable marker is the page's, not the document's.
        tiny.on('PreInit', function () {
            tiny.serializer.addAttributeFilter('class', function (nodes) {
                nodes.forEach(function (node) {
                    if (node.name !== 'ul' || node.attr('id') !== 'left-tree')
                        return;
                    var kept = (node.attr('class') || '').split(/\s+/).filter(function (name) {
                        return name && name !== 'ui-sortable' && name !== 'ui-sortable-disabled';
                    }).join(' ');
                    node.attr('class', kept || null);
                });
            });
            tiny.serializer.addNodeFilter('li', dropDragMarks);
            tiny.parser.addNodeFilter('li', dropDragMarks);
        });
        tiny.on('init', function () {
            global.folioAttachEditor(global.document, {
                // The outline shows its text zoom itself (folioQVViewZoom),
                // so that no zoom is written into the saved body style.
                contentId: 'mytextarea', events: false, textSizeAdjust: false,
                selectionKeeper: global.folioKeepTinyMCESelectionAcrossPrimaryLoss(tiny),
                selectedPictureId: 'imageSelected_555', releasedPictureId: 'imageSelected_444'
            });
            tiny.setContent(text || '');
            ensureTree(tiny);
            normalize();
            makeSortable();
            tiny.undoManager.clear();
            tiny.undoManager.add();
            tiny.setDirty(false);
            send('DOMLoaded');
        });
        tiny.on('Paste Undo input Redo change', function () {
            if (ensureTree(tiny)) {
                normalize();
                makeSortable();
            }
            tiny.setDirty(true);
            send('dirtyEvent');
        });
        // Pastes and what another program drops go to the editor, which
        // makes them safe before they enter the outline.
        tiny.on('paste', function (event) {
            event.preventDefault();
            send('pasteEvent');
        });
        global.folioSendForeignDrops(tiny);
        tiny.on('Undo Redo SetContent', function () { makeSortable(); });
        // Ahead of TinyMCE's own key handling, which would treat the tree as
        // a list and merge its items.
        tiny.on('keydown', keyDown, true);
        // The engine's own deletion can come without a key the page saw
        // first: it stops at a title's edge as well.
        tiny.on('beforeinput', function (event) {
            var type = event.inputType || '';
            if (type !== 'deleteContentBackward' && type !== 'deleteContentForward')
                return;
            var branch = currentBranch();
            var heading = branch ? title(branch) : null;
            if (heading && caretAtEdge(heading, type === 'deleteContentForward'))
                event.preventDefault();
        });
        tiny.on('longpress', function () { send('onlongpressEvent'); });
        // A press of the pointer in the page is the editor's tap: it ends a
        // scroll and lets go of a framed picture. The outline is the top
        // page, so the point is already in the page's view.
        tiny.on('mousedown', function (event) {
            send('tapEvent', Math.round(event.clientX) + '_' + Math.round(event.clientY));
        });
        // The outline scrolls inside its container, not in the window: what
        // the editor brings into view (a match of its search, the caret) is
        // brought into view there.
        tiny.on('ScrollIntoView', function (event) {
            if (!event.elm || !event.elm.scrollIntoView)
                return;
            event.preventDefault();
            // A match stands in the middle, with its branch around it.
            var match = event.elm.classList && event.elm.classList.contains('mce-match-marker');
            event.elm.scrollIntoView({ block: match ? 'center' : event.alignToTop ? 'start' : 'nearest' });
        });
        tiny.on('click', function (event) {
            // A click on a branch's bullet folds or unfolds it; a drag of
            // the bullet moves the branch and makes no click.
            var bullet = event.target && event.target.closest ? event.target.closest('.branch-drag-handler') : null;
            var folded = bullet ? $(bullet).closest('li.tree-branch')[0] : null;
            if (folded && folded.parentNode === tree()) {
                event.preventDefault();
                toggleBranch(folded);
                return;
            }
            if (event.target && event.target.tagName === 'IMG') {
                global.selectPicture(event.target);
                send('imageTouchedEvent');
                return;
            }
            var link = event.target && event.target.closest ? event.target.closest('a') : null;
            if (link && link.href) {
                event.preventDefault();
                send('linkTouchedEvent', link.href);
            }
        });
    }

    function folioStartQVOutlineEditor(settings) {
        global.tinymce.init({
            selector: '#mytextarea',
            inline: true,
            plugins: 'link nonbreaking searchreplace image directionality autolink insertdatetime table',
            element_format: 'html',
            entity_encoding: 'raw',
            verify_html: false,
            paste_block_drop: false,
            inline_boundaries: false,
            branding: false,
            browser_spellcheck: true,
            remove_trailing_brs: false,
            remove_trailing_nbsp: false,
            promotion: false,
            contextmenu: '',
            menubar: false,
            toolbar: false,
            language: settings.language,
            setup: function (tiny) { setup(tiny, settings.text); }
        });
    }

    // Set by the editor when the writing assistant opens: its answer goes
    // where the selection was only when the outline was being edited.
    global.wasWebEditorFocusedBeforePrompt = false;
    global.textSelectionBookmark = null;

    global.leftSortable = {
        options: { treeSelector: TREE },
        // The content is text; with the format 'html', the text of that
        // markup (parsed inertly: nothing in it loads or runs).
        addNewBranchWithContent: function (content, format) {
            var text = format === 'html'
                ? new global.DOMParser().parseFromString(String(content), 'text/html').body.textContent
                : content;
            return addBranch(currentBranch() || branches().pop(), text);
        },
        addBranch: function () { return addBranch(currentBranch() || branches().pop(), ''); },
        indentBranch: function () { var b = currentBranch(); return !!b && indentBranch(b); },
        outdentBranch: function () { var b = currentBranch(); return !!b && outdentBranch(b); },
        moveBranchUp: function () { var b = currentBranch(); return !!b && moveBranchUp(b); },
        moveBranchDown: function () { var b = currentBranch(); return !!b && moveBranchDown(b); },
        toggleBranch: function () { var b = currentBranch(); return !!b && toggleBranch(b); },
        normalize: normalize
    };
    // The QV editors run their caret, insertion, find and note scripts
    // through here, where the text page reaches into TinyMCE's frame. The
    // outline edits the page itself: `window`, `document` and `rangy` are
    // the page's own.
    function folioInEditorFrame(source) {
        return (function (window, document, rangy) {
            return eval(String(source));
        })(global, global.document, global.rangy);
    }

    // The desktop engine does not adjust text sizes: what the body holds is
    // shown at the zoom instead, inside the body's own width, through a
    // style sheet of the page's head, which no save reads.
    function folioQVViewZoom(percent) {
        var sheet = global.document.getElementById('folioViewZoom');
        if (!sheet) {
            sheet = global.document.createElement('style');
            sheet.id = 'folioViewZoom';
            global.document.head.appendChild(sheet);
        }
        sheet.textContent = '#mytextarea > * { zoom: ' + (Number(percent) || 100) + '%; }';
    }

    // What the editor copies out of the outline: its words as the page
    // shows them ('text') or its markup ('html'), without the handle each
    // branch is dragged by, which is the page's and no word of the writer's.
    // The handles are hidden by a style sheet of the head, which no save
    // reads and which changes nothing the editor keeps.
    function folioOutlineCopy(format) {
        var tiny = editor();
        if (!tiny)
            return '';
        if (format === 'html') {
            var copy = global.document.createElement('template');
            copy.innerHTML = tiny.getContent({ format: 'html' });
            Array.prototype.forEach.call(copy.content.querySelectorAll('.branch-drag-handler'),
                function (handle) { handle.parentNode.removeChild(handle); });
            return copy.innerHTML;
        }
        var hidden = global.document.createElement('style');
        hidden.textContent = '.branch-drag-handler { display: none !important; }';
        global.document.head.appendChild(hidden);
        try {
            return tiny.getContent({ format: 'text' });
        } finally {
            hidden.parentNode.removeChild(hidden);
        }
    }

    // A branch is an item of the tree's own list, so the editor's list
    // commands would take the tree itself for the list to change: they would
    // renumber it, or unmake it with the words in it. In the outline a list is
    // made of the selected branch's words, inside its title: a list of the
    // other kind becomes one of this kind, and a list of this kind goes back
    // to lines. False where the selection is in no branch, for the editor's
    // own command to act.
    function folioOutlineList(tag) {
        var tiny = editor();
        var branch = currentBranch();
        var heading = branch ? title(branch) : null;
        if (!tiny || !heading)
            return false;
        var range = tiny.selection.getRng();
        var kept = [range.startContainer, range.startOffset, range.endContainer, range.endOffset];
        var document = global.document;
        var moveChildren = function (from, to) {
            while (from.firstChild)
                to.appendChild(from.firstChild);
        };
        beginChange();
        var own = $(heading).children('ol, ul')[0];
        if (own && own.tagName.toLowerCase() === tag) {
            Array.prototype.slice.call(own.children).forEach(function (item, index) {
                if (index > 0)
                    heading.insertBefore(document.createElement('br'), own);
                var line = document.createDocumentFragment();
                moveChildren(item, line);
                heading.insertBefore(line, own);
            });
            heading.removeChild(own);
        } else if (own) {
            var other = document.createElement(tag);
            moveChildren(own, other);
            heading.replaceChild(other, own);
        } else {
            var list = document.createElement(tag);
            var item = document.createElement('li');
            moveChildren(heading, item);
            list.appendChild(item);
            heading.appendChild(list);
        }
        // The moved words are the same nodes: the selection goes back onto them.
        if (kept[0].isConnected && kept[2].isConnected) {
            var again = document.createRange();
            again.setStart(kept[0], Math.min(kept[1], kept[0].length !== undefined ? kept[0].length : kept[0].childNodes.length));
            again.setEnd(kept[2], Math.min(kept[3], kept[2].length !== undefined ? kept[2].length : kept[2].childNodes.length));
            tiny.selection.setRng(again);
        }
        changed();
        tiny.nodeChanged();
        return true;
    }

    // The typewriter band shows the caret's branch in its middle as it opens;
    // the outline scrolls inside its container.
    function folioCentreCaretLine() {
        var tiny = editor();
        var node = tiny ? tiny.selection.getNode() : null;
        if (node && node.scrollIntoView)
            node.scrollIntoView({ block: 'center' });
    }

    global.folioStartQVOutlineEditor = folioStartQVOutlineEditor;
    global.folioCentreCaretLine = folioCentreCaretLine;
    global.folioInEditorFrame = folioInEditorFrame;
    global.folioQVViewZoom = folioQVViewZoom;
    global.folioOutlineCopy = folioOutlineCopy;
    global.folioOutlineList = folioOutlineList;
})(window);
