// The rich-text page's own set-up, which the editor calls once the page
// reports ready, and again for the height when the window changes size.
//
// Lengths given as bare numbers are CSS pixels: the page has no doctype, and
// quirks mode reads unitless lengths as pixels. Line spacing is a multiple of
// the font size, first-line indent is in centimetres.
(function (global) {
    'use strict';

    function byId(id) { return global.document.getElementById(id); }

    // The editable element fills the page but for its border and bottom margin.
    function setRichTextPageHeight(contentHeight, pageHeight) {
        byId('content').style.height = contentHeight;
        global.document.body.style.height = pageHeight;
    }

    // Single spacing is the font's own line height rather than one font size.
    function setRichTextLineSpacing(multiple) {
        if (multiple === 1) {
            byId('paragraph').style.lineHeight = 'normal';
            return;
        }
        byId('content').style.lineHeight = multiple;
        byId('paragraph').style.lineHeight = multiple;
    }

    function setRichTextFirstLineIndent(centimetres) {
        byId('content').style.textIndent = centimetres + 'cm';
    }

    function setRichTextParagraphSpacingAfter(pixels) {
        byId('paragraph').style.marginBottom = pixels;
    }

    function setRichTextParagraphSpacingBefore(pixels) {
        byId('paragraph').style.marginTop = pixels;
        byId('paragraph').style.paddingTop = pixels;
    }

    // The style menu's lists. A bare caret starts the list on a line of its
    // own, taking the words after the caret; a selection is never replaced:
    // the paragraphs it covers become the list's items.
    function makeRichTextList(command) {
        var selection = global.getSelection();
        if (selection.rangeCount && selection.isCollapsed)
            global.document.execCommand('insertHTML', false, '<br>');
        global.document.execCommand(command);
        global.scrollToView();
    }

    // All of the document, also once editing has ended and a menu has had
    // the keyboard: the editing command then finds no selection to widen.
    function selectAllOfDocument() {
        var range = global.document.createRange();
        range.selectNodeContents(byId('content'));
        var selection = global.getSelection();
        selection.removeAllRanges();
        selection.addRange(range);
    }

    global.makeRichTextList = makeRichTextList;
    global.selectAllOfDocument = selectAllOfDocument;
    global.setRichTextPageHeight = setRichTextPageHeight;
    global.setRichTextLineSpacing = setRichTextLineSpacing;
    global.setRichTextFirstLineIndent = setRichTextFirstLineIndent;
    global.setRichTextParagraphSpacingAfter = setRichTextParagraphSpacingAfter;
    global.setRichTextParagraphSpacingBefore = setRichTextParagraphSpacingBefore;
})(window);
