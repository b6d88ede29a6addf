// A paragraph that ends a section carries its break in "data-section". The
// editor copies a paragraph's attributes to both halves when Return splits
// it; the break, as in word processors, stays at the end of the section,
// with the second half only.
(function (global) {
    'use strict';

    function blockOf(node) {
        for (var element = node && (node.nodeType === 1 ? node : node.parentNode); element; element = element.parentNode) {
            if (element.nodeType === 1 && element.hasAttribute('data-section'))
                return element;
        }
        return null;
    }

    global.document.addEventListener('input', function (event) {
        if (event.inputType !== 'insertParagraph')
            return;
        var selection = global.getSelection();
        var block = selection && selection.rangeCount ? blockOf(selection.anchorNode) : null;
        var before = block ? block.previousElementSibling : null;
        if (before && before.getAttribute('data-section') === block.getAttribute('data-section'))
            before.removeAttribute('data-section');
    }, true);

    function text() {
        return global.document.getElementById('content');
    }

    function sectionEnds() {
        var root = text();
        return root ? Array.prototype.slice.call(root.querySelectorAll('[data-section]')) : [];
    }

    // The paragraph the caret stands in after an edit.
    function paragraphAtCaret() {
        var selection = global.getSelection();
        var root = text();
        var node = selection && selection.rangeCount ? selection.focusNode : null;
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

    // A paste or a cut moves text, not sections. The engine copies a
    // paragraph's attributes to both halves of a paragraph it splits, and
    // takes a break away with a paragraph the edit removes: the copy goes,
    // the second half keeping the break as after Return, and a break taken
    // away stays with the paragraph left where the text was (or the ones
    // before it, in the order the breaks had), so that the document keeps
    // the sections it had.
    function keepingSections(edit) {
        var before = sectionEnds();
        var values = before.map(function (element) { return element.getAttribute('data-section'); });
        var result = edit();
        var after = sectionEnds();
        after.forEach(function (element, index) {
            if (before.indexOf(element) >= 0 || !element.hasAttribute('data-section'))
                return;
            var value = element.getAttribute('data-section');
            [after[index - 1], after[index + 1]].some(function (neighbour) {
                if (!neighbour || before.indexOf(neighbour) < 0 || neighbour.getAttribute('data-section') !== value)
                    return false;
                var neighbourFirst = neighbour.compareDocumentPosition(element) & global.Node.DOCUMENT_POSITION_FOLLOWING;
                (neighbourFirst ? neighbour : element).removeAttribute('data-section');
                return true;
            });
        });
        var left = {};
        sectionEnds().forEach(function (element) {
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
        var paragraph = paragraphAtCaret();
        if (!placed.length || !paragraph)
            return result;
        if (paragraph.hasAttribute('data-section')) {
            var own = paragraph.getAttribute('data-section');
            placed.push({ value: own, at: values.indexOf(own) >= 0 ? values.indexOf(own) : values.length });
            paragraph.removeAttribute('data-section');
        }
        placed.sort(function (one, other) { return one.at - other.at; });
        for (var index = placed.length - 1; index >= 0 && paragraph; --index) {
            while (paragraph && paragraph.hasAttribute('data-section'))
                paragraph = paragraph.previousElementSibling;
            if (paragraph)
                paragraph.setAttribute('data-section', placed[index].value);
        }
        return result;
    }

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
