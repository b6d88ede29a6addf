// The QV text page: starts TinyMCE on the page's text area and reports the
// editor's events to the native side as "rte://" messages. The helper
// library (helpers.js) is attached to TinyMCE's iframe document once the
// editor is up, so the editor's commands address the text, not the frame
// around it.
(function (global) {
    'use strict';

    var SCROLL_SETTLE_MS = 100;

    // A family name goes inside a single-quoted CSS string.
    function cssString(text) {
        return String(text).replace(/[\\'"<>\n\r]/g, '');
    }

    // A header or footer the user switched on shows in the page where it
    // stands, before or after the text; a switched-off one stays hidden.
    var headerFooterStyle = "#pageHeader[data-enabled='YES'], #pageFooter[data-enabled='YES'] { display: block !important;"
        + " visibility: visible !important; height: auto !important; overflow: visible !important;"
        + " opacity: 0.75; padding: 4pt 0; cursor: default; -webkit-user-select: none; user-select: none; } ";

    function contentStyle(settings) {
        return "body { font-size: " + Math.trunc(Number(settings.fontSize) || 0) + "pt; font-family: '"
            + cssString(settings.fontFamily) + "'; background-color: transparent; } img { max-width: 100%;height:auto;}"
            + " p { margin-inline-start: 0pt; margin-inline-end: 0pt; margin-block-start: 0pt; margin-block-end: 0pt;"
            + " margin-bottom: 0pt; margin-top: 0pt; }"
            + " .tox:not(.tox-tinymce-inline) .tox-editor-header { box-shadow: 10px 10px 5px #aaaaaa; }"
            + " pre {white-space:pre-wrap;}"
            + " .marquent-pagebreak { border-color: #00F; height: 3px; border-style: dotted none;"
            + " page-break-after:always; border-width: 3px }"
            + " body { caret-color: #007AFF;} span.Apple-tab-span {white-space:pre-wrap;} "
            // The frame is as high as the window shows it, not as the text:
            // the text scrolls inside it, by the wheel as well, whatever the
            // resizing of the frame left on the body.
            + " html { overflow-y: auto !important; } "
            + headerFooterStyle
            + (settings.fontRules || '');
    }

    function caretIsInListOrTable(editor) {
        return editor.queryCommandState('mceTableCellType') || !!editor.queryCommandValue('mceTableRowType')
            || editor.queryCommandState('InsertUnorderedList') || editor.queryCommandState('InsertOrderedList');
    }

    // The selection library working on the editing frame's selection.
    function frameRangy(frame) {
        return {
            getSelection: function (view) { return global.rangy.getSelection(view || frame); }
        };
    }

    // Runs one of the editor's scripts in TinyMCE's editing frame: `window`,
    // `document` and `rangy` there are the frame's, everything else (the
    // helpers, TinyMCE) the page's. Answers what the script answers.
    function folioInEditorFrame(source) {
        var editor = global.tinymce && global.tinymce.activeEditor;
        var frame = editor && editor.getWin();
        if (!frame)
            return undefined;
        var rangy = global.rangy ? frameRangy(frame) : undefined;
        return (function (window, document, rangy) {
            return eval(String(source));
        })(frame, editor.getDoc(), rangy);
    }

    // A tap on a footnote or comment mark opens its editor: the id without
    // its kind and the mark's place in the page.
    function noteTouched(event) {
        var element = event.target && event.target.nodeType === 1 ? event.target : null;
        var note = element && element.closest('object.footnote, object.annotation');
        if (!note || !note.id)
            return;
        var box = note.getBoundingClientRect();
        var frame = note.ownerDocument.defaultView.frameElement;
        var offset = frame ? frame.getBoundingClientRect() : { left: 0, top: 0 };
        var kind = note.classList.contains('footnote') ? 'showFootnote' : 'showAnnotation';
        global.folioSendPageMessage(kind, 'x_' + note.id.replace(/^(footnote_|note_)/, '') + '_'
            + Math.round(box.left + offset.left) + '_' + Math.round(box.top + offset.top));
    }

    // TinyMCE's media plugin shows every object as a picture standing in for
    // it, and saves it back with that picture's size. Footnotes and comments
    // are objects too: they are made themselves again, so that they can be
    // numbered and tapped, and are saved as they were.
    function restoreNotes(editor) {
        var standIns = editor.getBody().querySelectorAll('img[data-mce-object="object"]');
        for (var i = 0; i < standIns.length; ++i) {
            var standIn = standIns[i];
            var kind = standIn.getAttribute('data-mce-p-class');
            if (kind !== 'footnote' && kind !== 'annotation')
                continue;
            var note = editor.getDoc().createElement('object');
            // The stand-in holds the attributes last first.
            for (var a = standIn.attributes.length - 1; a >= 0; --a) {
                var attribute = standIn.attributes[a];
                if (attribute.name.indexOf('data-mce-p-') === 0)
                    note.setAttribute(attribute.name.substring('data-mce-p-'.length), attribute.value);
            }
            var mark = editor.getDoc().createElement('template');
            mark.innerHTML = global.unescape(standIn.getAttribute('data-mce-html') || '');
            note.textContent = mark.content.textContent;
            standIn.parentNode.replaceChild(note, standIn);
        }
    }

    function setup(editor) {
        var send = global.folioSendPageMessage;
        var scrolling = false;

        // TinyMCE keeps every attribute without verification, which the
        // editor's markup needs; what could run is left out all the same.
        global.folioKeepTinyMCEContentInert(editor);

        editor.on('init', function () {
            // The native side indents and measures the text column by this id.
            editor.getContainer().id = 'content';
            // The helpers work on the editing body inside TinyMCE's iframe;
            // the events below are the page's own.
            global.folioAttachEditor(editor.getDoc(), {
                contentId: '', events: false,
                selectionKeeper: global.folioKeepTinyMCESelectionAcrossPrimaryLoss(editor),
                selectedPictureId: 'imageSelected_555', releasedPictureId: 'imageSelected_444'
            });
            send('DOMLoaded');
            // The container's scrolling, once it settles, is reported as a
            // finished scroll with the new place, which the page counter follows.
            // The text scrolls in the frame (the wheel, Go to Page, Find) or,
            // where the frame grew with the text, in the container around it.
            var container = global.document.getElementById('contentDiv');
            var settling = null;
            var settle = function () {
                global.clearTimeout(settling);
                settling = global.setTimeout(function () {
                    send('scrollEvent');
                    send('endScrollEvent', global.folioPageScrollState());
                }, SCROLL_SETTLE_MS);
            };
            if (container)
                container.addEventListener('scroll', settle);
            editor.getWin().addEventListener('scroll', settle);
        });
        editor.on('SetContent', function () { restoreNotes(editor); });
        editor.on('Paste Undo input Redo change', function () {
            // A footnote deleted or moved by typing, undo or a drag: the
            // marks are numbered again in their new order.
            global.updateFootnoteIndex();
            editor.setDirty(true);
            send('dirtyEvent');
        });
        // Pastes go to the editor, which makes what the clipboard holds safe
        // before it enters the text.
        editor.on('paste', function (event) {
            event.preventDefault();
            send('pasteEvent');
        });
        editor.on('click', noteTouched);
        global.folioSendForeignDrops(editor);
        editor.on('ScrollContent', function () {
            scrolling = true;
            setTimeout(function () {
                if (!scrolling)
                    return;
                scrolling = false;
                send('scrollEvent');
            }, SCROLL_SETTLE_MS);
        });
        editor.on('keydown', function (event) {
            if (event.keyCode === 9 && !caretIsInListOrTable(editor)) {
                event.preventDefault();
                send('insertTabEvent');
                return;
            }
            send('onkeydownEvent', global.folioKeyDownData(event));
        });
        // Only the touched picture carries the selected id.
        var markTouchedPicture = function (picture) {
            var images = editor.getBody().getElementsByTagName('img');
            for (var i = 0; i < images.length; ++i)
                images[i].id = 'imageSelected_444';
            picture.id = 'imageSelected_555';
            send('imageTouchedEvent');
        };
        var touched = function (event) {
            send('endScrollEvent', global.folioPageScrollState());
            var element = event.target;
            if (!element || element.nodeType !== 1)
                return;
            if (element.tagName === 'IMG') {
                markTouchedPicture(element);
                return;
            }
            var link = element.tagName === 'A' ? element
                : (element.parentElement && element.parentElement.tagName === 'A' ? element.parentElement : null);
            if (link && link.href) {
                event.preventDefault();
                send('linkTouchedEvent', link.href);
            }
        };
        editor.on('touchend', touched);
        // A press of the pointer in the page is the editor's tap: it ends a
        // scroll; the point is in the page's view.
        editor.on('mousedown', function (event) {
            send('tapEvent', Math.round(event.clientX) + '_' + Math.round(event.clientY));
        });
        // A pointer has no touches: a click on a picture selects it, and a
        // click on a link opens it, as a touch does.
        editor.on('click', function (event) {
            var element = event.target;
            if (!element || element.nodeType !== 1)
                return;
            if (element.tagName === 'IMG') {
                markTouchedPicture(element);
                return;
            }
            var link = element.closest ? element.closest('a[href]') : null;
            if (link) {
                event.preventDefault();
                send('linkTouchedEvent', link.href);
            }
        });
        // The caret coming into another link (by pointer or by keys) lets
        // the editor show the link's address.
        var linkAtCaret = null;
        editor.on('NodeChange', function (event) {
            var element = event.element && event.element.nodeType === 1 ? event.element : null;
            var link = element && element.closest ? element.closest('a[href]') : null;
            if (link && link !== linkAtCaret)
                send('linkSelectedEvent');
            linkAtCaret = link;
        });
    }

    function folioStartQVTextEditor(settings) {
        global.tinymce.init({
            selector: '#mytextarea',
            // The editing body is "content", as the caret commands address it.
            body_id: 'content',
            plugins: 'autoresize advlist link lists nonbreaking pagebreak searchreplace link image directionality '
                + 'codesample anchor autolink insertdatetime table wordcount checklist media',
            image_advtab: true,
            image_description: false,
            element_format: 'html',
            link_title: false,
            link_target_list: false,
            entity_encoding: 'raw',
            paste_block_drop: false,
            verify_html: false,
            paste_remove_styles_if_webkit: false,
            autoresize_overflow_padding: 10,
            resize: false,
            inline_boundaries: false,
            branding: false,
            image_caption: true,
            browser_spellcheck: true,
            nonbreaking_force_tab: false,
            preserve_newlines: true,
            remove_trailing_brs: false,
            remove_trailing_nbsp: false,
            word_wrap: true,
            promotion: false,
            contextmenu: '',
            quickbars_selection_toolbar: '',
            quickbars_insert_toolbar: '',
            elementpath: false,
            statusbar: false,
            menubar: false,
            toolbar: false,
            content_style: contentStyle(settings),
            language: settings.language,
            pagebreak_separator: '<div style="page-break-before:always;"></div>',
            table_default_styles: { width: '100%', border: '1' },
            table_toolbar: 'tableprops tabledelete | tableinsertrowbefore tableinsertrowafter tabledeleterow | '
                + 'tableinsertcolbefore tableinsertcolafter tabledeletecol | tablemergecells | tablecellprops tablerowprops',
            init_instance_callback: function () { var selectionBookmark; },
            setup: setup
        });
    }

    // The desktop engine does not adjust text sizes; the frame's root is
    // shown at the zoom instead, which no save reads.
    function folioQVViewZoom(percent) {
        var editor = global.tinymce.activeEditor;
        editor.getDoc().documentElement.style.zoom = (Number(percent) || 100) + '%';
        editor.execCommand('mceAutoResize');
    }

    // The typewriter band is a few lines high: the line at the caret is
    // brought to its middle as it opens, before any key is typed.
    function folioCentreCaretLine() {
        var editor = global.tinymce.activeEditor;
        var view = editor.getWin();
        var range = editor.selection.getRng();
        var box = (range && range.getClientRects()[0]) || editor.selection.getNode().getBoundingClientRect();
        view.scrollBy(0, box.top - (view.innerHeight - box.height) / 2);
    }

    global.folioStartQVTextEditor = folioStartQVTextEditor;
    global.folioCentreCaretLine = folioCentreCaretLine;
    global.folioQVViewZoom = folioQVViewZoom;
    global.folioInEditorFrame = folioInEditorFrame;
})(window);
