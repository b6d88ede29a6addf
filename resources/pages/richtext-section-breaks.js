// A paragraph that ends a section carries its break in "data-section". The
// editor copies a paragraph's attributes to both halves when Return splits
// it; the break, as in word processors, stays at the end of the section,
// with the second half only.
(function (global) {
    'use strict';

    function text() {
        return global.document.getElementById('content');
    }

    function sectionEnds() {
        var root = text();
        return root ? Array.prototype.slice.call(root.querySelectorAll('[data-section]')) : [];
    }

    function blockOf(node) {
        for (var element = node && (node.nodeType === 1 ? node : node.parentNode); element; element = element.parentNode) {
            if (element.nodeType === 1 && element.hasAttribute('data-section'))
                return element;
        }
        return null;
    }

    // The engine's undo and redo know nothing of the breaks moved here, so
    // each move is kept with how many breaks of its values the page had
    // before and after it. An undo that changes those numbers undid the edit
    // the move followed, and the move is undone with it; a redo that brings
    // back the numbers before the move redid that edit, and the move again.
    var kMostMoves = 50;
    var undoable = [];
    var redoable = [];
    // Set while an edit runs whose sections are mended as a whole after it.
    var mending = false;

    function tally(values) {
        var counts = {};
        values.forEach(function (value) { counts[value] = 0; });
        sectionEnds().forEach(function (element) {
            var value = element.getAttribute('data-section');
            if (counts.hasOwnProperty(value))
                ++counts[value];
        });
        return JSON.stringify(counts);
    }

    function setBreak(element, value) {
        if (value === null)
            element.removeAttribute('data-section');
        else
            element.setAttribute('data-section', value);
    }

    // `moves` are {element, from, to}, with null for no break. `joined` is
    // the paragraph an edit joined to the one before and took away, where
    // the move follows a join: the engine puts that very paragraph back
    // when it undoes the join, which tells an undo of the join even where
    // the numbers of breaks are the same before and after it.
    function move(moves, joined) {
        if (!moves.length)
            return;
        var values = [];
        moves.forEach(function (each) {
            [each.from, each.to].forEach(function (value) {
                if (value !== null && values.indexOf(value) < 0)
                    values.push(value);
            });
        });
        var unmoved = tally(values);
        moves.forEach(function (each) { setBreak(each.element, each.to); });
        undoable.push({ moves: moves, values: values, unmoved: unmoved, moved: tally(values), joined: joined || null });
        if (undoable.length > kMostMoves)
            undoable.shift();
    }

    global.document.addEventListener('input', function (event) {
        if (event.inputType === 'historyUndo' || event.inputType === 'historyRedo') {
            var undoing = event.inputType === 'historyUndo';
            var from = undoing ? undoable : redoable;
            var last = from[from.length - 1];
            if (!last)
                return;
            var now = tally(last.values);
            var followed = last.joined ? last.joined.isConnected === undoing
                : (undoing ? now !== last.moved : now === last.unmoved);
            if (!followed)
                return;
            from.pop();
            last.moves.forEach(function (each) { setBreak(each.element, undoing ? each.from : each.to); });
            (undoing ? redoable : undoable).push(last);
            return;
        }
        redoable = [];
        if (event.inputType !== 'insertParagraph')
            return;
        var selection = global.getSelection();
        var block = selection && selection.rangeCount ? blockOf(selection.anchorNode) : null;
        var before = block ? block.previousElementSibling : null;
        var value = block ? block.getAttribute('data-section') : null;
        if (before && before.getAttribute('data-section') === value)
            move([{ element: before, from: value, to: null }]);
    }, true);

    // The paragraph that holds a place in the text: a node and an offset, as
    // a caret or a range boundary gives them.
    function paragraphAt(node, offset) {
        var root = text();
        if (node && node.nodeType === 1 && node.childNodes.length && (node === root || node.id === 'paragraph'))
            node = node.childNodes[Math.min(offset, node.childNodes.length - 1)];
        for (var element = node && (node.nodeType === 1 ? node : node.parentNode); element && element !== root;
            element = element.parentNode) {
            if (element.id === 'paragraph')
                return null;
            var display = global.getComputedStyle(element).display;
            if (display === 'block' || display === 'list-item')
                return element;
        }
        return null;
    }

    // The paragraph the caret stands in after an edit.
    function paragraphAtCaret() {
        var selection = global.getSelection();
        return selection && selection.rangeCount ? paragraphAt(selection.focusNode, selection.focusOffset) : null;
    }

    // Deleting across the end of a paragraph joins it to the next (a cut
    // keeps the sections, below). The engine keeps the first paragraph's
    // attributes, but the joined one ends where the last one ended, before
    // the section that one's break started: it carries the last one's break,
    // or none where that had none, and the breaks that ended the others go
    // with their ends. Left as the engine leaves it, the first one's break
    // would stand before the sections of the last, and give them its paper
    // and headers.
    var joining = null;

    function joinedRange(event) {
        var ranges = event.getTargetRanges ? event.getTargetRanges() : [];
        if (ranges.length)
            return ranges[0];
        var selection = global.getSelection();
        return selection && selection.rangeCount ? selection.getRangeAt(0) : null;
    }

    global.document.addEventListener('beforeinput', function (event) {
        joining = null;
        var type = event.inputType;
        var joins = /^delete/.test(type) || /^insert(Text|ReplacementText)$/.test(type);
        if (mending || !joins || type === 'deleteByDrag' || type === 'deleteByCut')
            return;
        var range = joinedRange(event);
        if (!range || range.collapsed)
            return;
        var first = paragraphAt(range.startContainer, range.startOffset);
        var last = paragraphAt(range.endContainer, range.endOffset);
        if (first && last && first !== last)
            joining = { type: type, last: last, end: last.getAttribute('data-section') };
    }, true);

    global.document.addEventListener('input', function (event) {
        var join = joining;
        joining = null;
        if (!join || join.type !== event.inputType || join.last.isConnected)
            return;
        var paragraph = paragraphAtCaret();
        var own = paragraph ? paragraph.getAttribute('data-section') : null;
        if (paragraph && own !== join.end)
            move([{ element: paragraph, from: own, to: join.end }], join.last);
    }, true);

    // A paste or a cut moves text, not sections. The engine copies a
    // paragraph's attributes to both halves of a paragraph it splits, and
    // takes a break away with a paragraph the edit removes: the copy goes,
    // the second half keeping the break as after Return, and a break taken
    // away stays with the paragraph left where the text was (or the ones
    // before it, in the order the breaks had), so that the document keeps
    // the sections it had.
    function keepingSections(edit) {
        var before = sectionEnds();
        mending = true;
        try {
            var result = edit();
        } finally {
            mending = false;
        }
        keepSections(before, paragraphAtCaret(), false);
        return result;
    }

    // `before` are the section ends the page had before the edit, and
    // `paragraph` the one left where the text was. A break on a paragraph
    // the edit brought in came with dropped text and is taken off it.
    function keepSections(before, paragraph, dropped) {
        var values = before.map(function (element) { return element.getAttribute('data-section'); });
        var moves = [];
        var after = sectionEnds();
        after.forEach(function (element, index) {
            if (before.indexOf(element) >= 0)
                return;
            var value = element.getAttribute('data-section');
            var copied = [after[index - 1], after[index + 1]].some(function (neighbour) {
                if (!neighbour || before.indexOf(neighbour) < 0 || neighbour.getAttribute('data-section') !== value)
                    return false;
                var neighbourFirst = neighbour.compareDocumentPosition(element) & global.Node.DOCUMENT_POSITION_FOLLOWING;
                var copy = neighbourFirst ? neighbour : element;
                if (!moves.some(function (each) { return each.element === copy; }))
                    moves.push({ element: copy, from: value, to: null });
                return true;
            });
            if (!copied && dropped)
                moves.push({ element: element, from: value, to: null });
        });
        var left = {};
        after.forEach(function (element) {
            if (moves.some(function (each) { return each.element === element; }))
                return;
            var value = element.getAttribute('data-section');
            left[value] = (left[value] || 0) + 1;
        });
        var placed = [];
        values.forEach(function (value, index) {
            if (left[value])
                --left[value];
            else
                placed.push({ value: value, at: index });
        });
        if (placed.length && paragraph) {
            var own = paragraph.getAttribute('data-section');
            var ownMoved = moves.some(function (each) { return each.element === paragraph; });
            if (own !== null && !ownMoved) {
                placed.push({ value: own, at: values.indexOf(own) >= 0 ? values.indexOf(own) : values.length });
                moves.push({ element: paragraph, from: own, to: null });
            }
            placed.sort(function (one, other) { return one.at - other.at; });
            var holds = function (element) {
                var moved = moves.filter(function (each) { return each.element === element; })[0];
                return moved ? moved.to !== null : element.hasAttribute('data-section');
            };
            for (var index = placed.length - 1; index >= 0 && paragraph; --index) {
                while (paragraph && holds(paragraph))
                    paragraph = paragraph.previousElementSibling;
                if (!paragraph)
                    break;
                var earlier = moves.filter(function (each) { return each.element === paragraph; })[0];
                if (earlier)
                    earlier.to = placed[index].value;
                else
                    moves.push({ element: paragraph, from: paragraph.getAttribute('data-section'), to: placed[index].value });
            }
        }
        move(moves.filter(function (each) { return each.from !== each.to; }));
    }

    // Text dragged within the page is taken away and dropped as two edits
    // that the engine undoes as one, so the sections are mended once, after
    // both (or when the drag ends, if the text was dropped elsewhere). A
    // range left collapsed where the dragged text began stays there while
    // the text goes, and so tells the paragraph left behind.
    var dragged = null;

    function endDrag(dropped) {
        var drag = dragged;
        dragged = null;
        if (drag)
            keepSections(drag.before, paragraphAt(drag.from.startContainer, drag.from.startOffset), dropped);
    }

    global.document.addEventListener('beforeinput', function (event) {
        if (event.inputType !== 'deleteByDrag')
            return;
        var selection = global.getSelection();
        if (!selection || !selection.rangeCount)
            return;
        var from = selection.getRangeAt(0).cloneRange();
        from.collapse(true);
        dragged = { before: sectionEnds(), from: from };
    }, true);
    global.document.addEventListener('input', function (event) {
        if (event.inputType === 'insertFromDrop')
            endDrag(true);
    }, true);
    global.document.addEventListener('dragend', function () { endDrag(false); }, true);

    // What is pasted or dropped brings no section of its own: a copied
    // section end would start a new section, on other paper, where it lands.
    function withoutSectionBreaks(html) {
        var holder = global.document.createElement('template');
        holder.innerHTML = String(html);
        Array.prototype.forEach.call(holder.content.querySelectorAll('[data-section]'), function (element) {
            element.removeAttribute('data-section');
        });
        return holder.innerHTML;
    }

    global.insertHTMLKeepingSections = function (html) {
        return keepingSections(function () {
            return global.document.execCommand('insertHTML', false, withoutSectionBreaks(html));
        });
    };

    global.deleteKeepingSections = function () {
        return keepingSections(function () { return global.document.execCommand('delete', false, null); });
    };
})(window);
