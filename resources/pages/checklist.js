// The "checklist" plugin the QV text page asks TinyMCE for. Check lists are
// bulleted lists of class "tox-checklist"; an item of class
// "tox-checklist--checked" is ticked, one of class "tox-checklist--hidden"
// shows no box. A click on an item's box ticks or unticks it as one undoable
// change. The boxes are drawn by the page's style "folioChecklistStyle",
// which the plugin puts into the editing document.
(function (global) {
    'use strict';

    var LIST_CLASS = 'tox-checklist';
    var CHECKED_CLASS = 'tox-checklist--checked';
    var HIDDEN_CLASS = 'tox-checklist--hidden';

    function checklistItem(element) {
        if (!element || element.nodeName !== 'LI' || element.classList.contains(HIDDEN_CLASS))
            return null;
        var list = element.parentNode;
        return list && list.nodeName === 'UL' && list.classList.contains(LIST_CLASS) ? element : null;
    }

    // The box sits in the item's left margin, before its first line.
    function isOnBox(item, event) {
        var box = item.getBoundingClientRect();
        var size = parseFloat(item.ownerDocument.defaultView.getComputedStyle(item).fontSize) || 16;
        return event.clientX < box.left && event.clientX >= box.left - 1.5 * size
            && event.clientY >= box.top && event.clientY <= box.top + 1.5 * size;
    }

    function toggle(editor, item) {
        editor.undoManager.transact(function () {
            item.classList.toggle(CHECKED_CLASS);
        });
        editor.nodeChanged();
    }

    function insertChecklist(editor) {
        var list = editor.dom.getParent(editor.selection.getNode(), 'ul');
        if (list && list.classList.contains(LIST_CLASS)) {
            editor.execCommand('RemoveList');
            return;
        }
        editor.undoManager.transact(function () {
            if (!list)
                editor.execCommand('InsertUnorderedList');
            var made = editor.dom.getParent(editor.selection.getNode(), 'ul');
            if (made)
                made.classList.add(LIST_CLASS);
        });
    }

    global.tinymce.PluginManager.add('checklist', function (editor) {
        var style = global.document.getElementById('folioChecklistStyle');
        if (style)
            editor.contentStyles.push(style.textContent);
        editor.addCommand('InsertChecklist', function () { insertChecklist(editor); });
        editor.on('click', function (event) {
            var item = checklistItem(event.target);
            if (item && isOnBox(item, event)) {
                event.preventDefault();
                toggle(editor, item);
            }
        });
        return { getMetadata: function () { return { name: 'Checklist' }; } };
    });
})(window);
