// A paragraph that carries "data-contextual-space" has no space before or
// after it next to a paragraph of the same style ("data-style") that carries
// it too, as word processors stand the items of a list together while the
// list keeps its space around it. Their own margins stay on the elements for
// the save; rules in the page's head, one set per style, take the space away
// on screen. The rules are made again when an edit may bring a style the
// page has none for (a paste), and live outside the document's content, so
// nothing of them is ever saved.
(function (global) {
    'use strict';

    var MARKED = '[data-contextual-space]';
    var RULES_ID = 'folio-contextual-space';

    function rulesFor(style) {
        var same = MARKED + (style === null ? ':not([data-style])' : '[data-style="' + global.CSS.escape(style) + '"]');
        var list = ':is(ul,ol)';
        var noTop = [
            same + ' + ' + same,
            same + ' > ' + list + ' > ' + same + ':first-child',
            same + ' > ' + list + ':has(> ' + same + ':first-child)',
            same + ' + ' + list + ' > ' + same + ':first-child',
            list + ':has(> ' + same + ':last-child) + ' + same
        ];
        // A list item's margin reaches past the end of the list nested in it,
        // so the nested list's last item goes without one as well.
        var noBottom = [
            same + ':has(+ ' + same + ')',
            same + ':has(+ ' + same + ') ' + same + ':last-child',
            same + ':has(+ ' + list + ' > ' + same + ':first-child)',
            list + ':has(+ ' + same + ') > ' + same + ':last-child'
        ];
        return noTop.join(',') + '{margin-top:0 !important}\n' + noBottom.join(',') + '{margin-bottom:0 !important}\n';
    }

    function update() {
        var content = global.document.getElementById('content');
        if (!content)
            return;
        var styles = [];
        var marked = content.querySelectorAll(MARKED);
        for (var index = 0; index < marked.length; ++index) {
            var style = marked[index].getAttribute('data-style');
            if (styles.indexOf(style) < 0)
                styles.push(style);
        }
        var sheet = global.document.getElementById(RULES_ID);
        if (!sheet) {
            if (!styles.length)
                return;
            sheet = global.document.createElement('style');
            sheet.id = RULES_ID;
            global.document.head.appendChild(sheet);
        }
        var text = styles.map(rulesFor).join('');
        if (sheet.textContent !== text)
            sheet.textContent = text;
    }

    global.document.addEventListener('input', function (event) {
        if (/^insertFrom/.test(event.inputType || ''))
            update();
    }, true);

    if (global.document.readyState === 'loading')
        global.document.addEventListener('DOMContentLoaded', update);
    else
        update();
})(window);
