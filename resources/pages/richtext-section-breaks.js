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
})(window);
