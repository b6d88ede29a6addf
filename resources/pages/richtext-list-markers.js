// Lists numbered in a style of their own ("CH I", "一、", "①") carry their
// markers as each item's first words, followed by a blank: the list draws
// none itself (its "data-marker" names the type and numbering, and
// "data-marker-before" and "data-marker-after" the words around the number).
// When an edit adds, moves or removes items, the items are given their
// words again, so that a new item shows its marker at once and the items
// after it are numbered on. The numbers are written as the program writes
// them, since the save takes words that match an item's number for its
// marker and keeps any other words as the item's text.
// A list that comes back after other paragraphs is parted in lists that
// share a "data-list": each later part starts where the parts before it
// stopped, as other word processors number such a list on, and is numbered
// again when an edit adds or removes items before it.
(function (global) {
    'use strict';

    var LISTS = 'ol[data-marker], ul[data-marker]';
    var PARTS = 'ol[data-list], ul[data-list]';
    // Only edits that can make, join or move items renumber; typing cannot.
    var STRUCTURAL = /^(insertParagraph|insertFromPaste|insertFromDrop|delete|history|insertOrderedList|insertUnorderedList|formatIndent|formatOutdent)/;

    // By the list type numbers documents store.
    var TYPE_DECIMAL_LEADING_ZERO = 4;
    var TYPE_UPPER_ALPHA = 7;
    var TYPE_UPPER_LATIN = 8;
    var TYPE_LOWER_ALPHA = 9;
    var TYPE_LOWER_LATIN = 10;
    var TYPE_UPPER_ROMAN = 12;
    var TYPE_LOWER_ROMAN = 13;
    var LAST_TYPE = 17;

    var ROMAN = [[1000, 'M'], [900, 'CM'], [500, 'D'], [400, 'CD'], [100, 'C'], [90, 'XC'], [50, 'L'],
                 [40, 'XL'], [10, 'X'], [9, 'IX'], [5, 'V'], [4, 'IV'], [1, 'I']];
    var CHINESE_DIGITS = '〇一二三四五六七八九';
    var STEMS = '甲乙丙丁戊己庚辛壬癸';
    var BRANCHES = '子丑寅卯辰巳午未申酉戌亥';

    function alphabetic(symbols, n) {
        var text = '';
        for (var value = n; value > 0; value = Math.floor((value - 1) / symbols.length))
            text = symbols.charAt((value - 1) % symbols.length) + text;
        return text;
    }

    // Below ten thousand in words, one zero where zeros fall inside the
    // number; everyday counting drops the "one" before a leading ten.
    function counted(n, digits, powers, everyday) {
        if (n >= 10000)
            return String(n);
        var text = '';
        var zeroPending = false;
        var scales = [1000, 100, 10, 1];
        for (var place = 0; place < 4; ++place) {
            var digit = Math.floor(n / scales[place]) % 10;
            if (digit === 0) {
                zeroPending = text !== '';
                continue;
            }
            if (zeroPending)
                text += digits.charAt(0);
            zeroPending = false;
            if (!(everyday && place === 2 && digit === 1 && text === ''))
                text += digits.charAt(digit);
            if (place < 3)
                text += powers.charAt(place);
        }
        return text;
    }

    function ordinal(n) {
        var tens = n % 100;
        var suffix = 'th';
        if (tens < 11 || tens > 13)
            suffix = ({1: 'st', 2: 'nd', 3: 'rd'})[n % 10] || 'th';
        return n + suffix;
    }

    function circled(n) {
        if (n <= 20)
            return String.fromCharCode(0x2460 + n - 1);
        if (n <= 35)
            return String.fromCharCode(0x3251 + n - 21);
        if (n <= 50)
            return String.fromCharCode(0x32B1 + n - 36);
        return String(n);
    }

    function digitByDigit(digits, n) {
        return String(n).split('').map(function (d) { return digits.charAt(+d); }).join('');
    }

    // Sino-Korean below ten thousand: no "one" before a power alone, no zero.
    function sinoKorean(n) {
        if (n >= 10000)
            return String(n);
        var digits = '영일이삼사오육칠팔구';
        var powers = '천백십';
        var scales = [1000, 100, 10, 1];
        var text = '';
        for (var place = 0; place < 4; ++place) {
            var digit = Math.floor(n / scales[place]) % 10;
            if (digit === 0)
                continue;
            if (digit !== 1 || place === 3)
                text += digits.charAt(digit);
            if (place < 3)
                text += powers.charAt(place);
        }
        return text;
    }

    function nativeKorean(n) {
        if (n >= 100)
            return sinoKorean(n);
        var tens = ['', '열', '스물', '서른', '마흔', '쉰', '예순', '일흔', '여든', '아흔'];
        var ones = ['', '하나', '둘', '셋', '넷', '다섯', '여섯', '일곱', '여덟', '아홉'];
        return tens[Math.floor(n / 10)] + ones[n % 10];
    }

    // Hebrew numerals below a thousand; fifteen and sixteen as nine and more.
    function hebrewNumeral(n) {
        if (n >= 1000)
            return String(n);
        var text = '';
        var rest = n;
        for (; rest >= 400; rest -= 400)
            text += 'ת';
        if (rest >= 100) {
            text += 'קרש'.charAt(Math.floor(rest / 100) - 1);
            rest %= 100;
        }
        if (rest === 15 || rest === 16)
            return text + 'ט' + (rest === 15 ? 'ו' : 'ז');
        if (rest >= 10)
            text += 'יכלמנסעפצ'.charAt(Math.floor(rest / 10) - 1);
        if (rest % 10 !== 0)
            text += 'אבגדהוזחט'.charAt(rest % 10 - 1);
        return text;
    }

    var NUMBERINGS = [
        null,
        ordinal,
        function (n) { return counted(n, '零一二三四五六七八九', '千百十', true); },
        function (n) { return String(n).split('').map(function (d) { return CHINESE_DIGITS.charAt(+d); }).join(''); },
        function (n) { return counted(n, '零壹貳參肆伍陸柒捌玖', '仟佰拾', false); },
        function (n) { return counted(n, '零壹贰叁肆伍陆柒捌玖', '仟佰拾', false); },
        function (n) { return n <= 10 ? STEMS.charAt(n - 1) : String(n); },
        function (n) { return n <= 12 ? BRANCHES.charAt(n - 1) : String(n); },
        circled,
        function (n) { return alphabetic('アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン', n); },
        function (n) { return alphabetic('ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ', n); },
        function (n) { return alphabetic('イロハニホヘトチリヌルヲワカヨタレソツネナラムウヰノオクヤマケフコエテアサキユメミシヱヒモセス', n); },
        function (n) { return alphabetic('ｲﾛﾊﾆﾎﾍﾄﾁﾘﾇﾙｦﾜｶﾖﾀﾚｿﾂﾈﾅﾗﾑｳヰﾉｵｸﾔﾏｹﾌｺｴﾃｱｻｷﾕﾒﾐｼヱﾋﾓｾｽ', n); },
        function (n) { return alphabetic('가나다라마바사아자차카타파하', n); },
        function (n) { return alphabetic('ㄱㄴㄷㄹㅁㅂㅅㅇㅈㅊㅋㅌㅍㅎ', n); },
        function (n) { return digitByDigit('零壱弐参四伍六七八九', n); },
        function (n) { return digitByDigit('영일이삼사오육칠팔구', n); },
        sinoKorean,
        nativeKorean,
        hebrewNumeral,
        function (n) { return alphabetic('אבגדהוזחטיכלמנסעפצקרשת', n); },
        function (n) { return alphabetic('أبتثجحخدذرزسشصضطظعغفقكلمنهوي', n); },
        function (n) { return alphabetic('ابجدهوزحطيكلمنسعفصقرشتثخذضظغ', n); }
    ];

    function roman(n) {
        if (n > 3999)
            return String(n);
        var text = '';
        for (var i = 0; i < ROMAN.length; ++i) {
            while (n >= ROMAN[i][0]) {
                text += ROMAN[i][1];
                n -= ROMAN[i][0];
            }
        }
        return text;
    }

    function numberOfType(type, n) {
        switch (type) {
        case TYPE_DECIMAL_LEADING_ZERO:
            return (n >= 0 && n < 10 ? '0' : '') + n;
        case TYPE_UPPER_ALPHA:
        case TYPE_UPPER_LATIN:
            return alphabetic('ABCDEFGHIJKLMNOPQRSTUVWXYZ', n);
        case TYPE_LOWER_ALPHA:
        case TYPE_LOWER_LATIN:
            return alphabetic('abcdefghijklmnopqrstuvwxyz', n);
        case TYPE_UPPER_ROMAN:
            return roman(n);
        case TYPE_LOWER_ROMAN:
            return roman(n).toLowerCase();
        default:
            return String(n);
        }
    }

    // The list's marker, or null for one whose attributes are damaged: such
    // a list is left as it stands.
    function markerOf(list) {
        var parts = /^(\d+) (\d+)$/.exec(list.getAttribute('data-marker') || '');
        if (!parts || +parts[1] > LAST_TYPE || +parts[2] >= NUMBERINGS.length)
            return null;
        var type = +parts[1];
        var numbering = NUMBERINGS[+parts[2]];
        var before = list.getAttribute('data-marker-before') || '';
        var after = list.getAttribute('data-marker-after') || '';
        return function (n) {
            var number = numbering ? (n > 0 ? numbering(n) : String(n)) : numberOfType(type, n);
            return before + number + after;
        };
    }

    // The words each item was given, so that they can be told from the
    // item's own text when it is numbered again; null for an item whose
    // words the user changed, which keeps what it has.
    var givenWords = new WeakMap();

    // Where the file hangs an item's first line, its words stand in a box
    // of the hanging width ("data-marker-words"), which the page's style
    // draws out to the first-line indent.
    var BOX = 'data-marker-words';

    function isBox(node) {
        return node && node.nodeType === Node.ELEMENT_NODE && node.tagName === 'SPAN' && node.hasAttribute(BOX);
    }

    function leadingText(item) {
        var first = item.firstChild;
        if (isBox(first))
            first = first.firstChild;
        return first && first.nodeType === Node.TEXT_NODE ? first : null;
    }

    // A box like those of the list's other items, or null for a list whose
    // items have none.
    function boxLike(item) {
        for (var other = item.parentNode.firstElementChild; other; other = other.nextElementSibling) {
            if (other !== item && isBox(other.firstChild))
                return other.firstChild.cloneNode(false);
        }
        return null;
    }

    function startsWithWords(text, words) {
        if (!text || text.data.lastIndexOf(words, 0) !== 0)
            return false;
        var next = text.data.charAt(words.length);
        return next === ' ' || next === '\u00A0';
    }

    // The caret at the very start of an item's text, where a new item made
    // with Return leaves it: it goes after the words given to the item.
    function caretAtStartOf(item) {
        var selection = global.getSelection();
        if (!selection || !selection.rangeCount || !selection.isCollapsed)
            return false;
        var caret = selection.getRangeAt(0);
        if (!item.contains(caret.startContainer))
            return false;
        var before = global.document.createRange();
        before.setStart(item, 0);
        before.setEnd(caret.startContainer, caret.startOffset);
        return before.toString().replace(/\uFEFF/g, '') === '';
    }

    function giveWords(item, words) {
        var moveCaret = caretAtStartOf(item);
        // A no-break blank stays visible at the end of an empty item.
        var text = global.document.createTextNode(words + '\u00A0');
        var box = boxLike(item);
        if (box)
            box.appendChild(text);
        item.insertBefore(box || text, item.firstChild);
        if (moveCaret) {
            var range = global.document.createRange();
            // The engine takes a caret just after the box for one at the end
            // of its words, and typing there would go into the box: the
            // caret waits in a placeholder of the item's text instead, as
            // the items a document opens with have.
            if (box) {
                var placeholder = global.document.createTextNode('\uFEFF');
                item.insertBefore(placeholder, box.nextSibling);
                text = placeholder;
            }
            range.setStart(text, text.data.length);
            range.collapse(true);
            var selection = global.getSelection();
            selection.removeAllRanges();
            selection.addRange(range);
        }
    }

    // The words of some number that an item not seen before already starts
    // with (a page whose text was put in anew), or null.
    function wordsAlreadyThere(text, wordsFor, count) {
        for (var n = 1; n <= count + 1; ++n) {
            if (startsWithWords(text, wordsFor(n)))
                return wordsFor(n);
        }
        return null;
    }

    // Looking notes the words of the items not seen before; numbering gives
    // each item its number's words, and a new item its first.
    function numberItems(list, looking) {
        var wordsFor = markerOf(list);
        if (!wordsFor)
            return;
        var start = parseInt(list.getAttribute('start'), 10);
        var number = start > 0 ? start : 1;
        var count = list.children.length;
        for (var item = list.firstElementChild; item; item = item.nextElementSibling) {
            if (item.tagName !== 'LI')
                continue;
            var words = wordsFor(number++);
            var text = leadingText(item);
            if (!givenWords.has(item)) {
                var there = startsWithWords(text, words) ? words : wordsAlreadyThere(text, wordsFor, count);
                if (looking) {
                    givenWords.set(item, there);
                    continue;
                }
                if (there === null) {
                    giveWords(item, words);
                    givenWords.set(item, words);
                    continue;
                }
                givenWords.set(item, there);
            }
            if (looking)
                continue;
            var given = givenWords.get(item);
            if (given === null || given === words)
                continue;
            if (startsWithWords(text, given)) {
                text.replaceData(0, given.length, words);
                givenWords.set(item, words);
            } else {
                givenWords.set(item, null);
            }
        }
    }

    function itemCount(list) {
        var count = 0;
        for (var item = list.firstElementChild; item; item = item.nextElementSibling) {
            if (item.tagName === 'LI')
                ++count;
        }
        return count;
    }

    // Each part's list's own start, which the list's first part has as it
    // comes to the page: a later part whose earlier parts are all deleted
    // starts there, as a list does that starts afresh. Kept by part, since
    // a page whose text is put in anew may give its identities to other
    // lists.
    var listStarts = new WeakMap();

    function noteListStarts(parts) {
        var first = {};
        for (var i = 0; i < parts.length; ++i) {
            var part = parts[i];
            var identity = part.getAttribute('data-list');
            if (!Object.prototype.hasOwnProperty.call(first, identity))
                first[identity] = listStarts.has(part) ? listStarts.get(part) : part.getAttribute('start');
            if (!listStarts.has(part))
                listStarts.set(part, first[identity]);
        }
    }

    // The first part starts where its list starts; a later one after the
    // items of the parts before it.
    function numberPartsOn(parts) {
        var next = {};
        for (var i = 0; i < parts.length; ++i) {
            var part = parts[i];
            var identity = part.getAttribute('data-list');
            var start = Object.prototype.hasOwnProperty.call(next, identity) ? String(next[identity])
                                                                              : listStarts.get(part);
            if (part.getAttribute('start') !== start) {
                if (start === null)
                    part.removeAttribute('start');
                else
                    part.setAttribute('start', start);
            }
            var own = parseInt(part.getAttribute('start'), 10);
            next[identity] = (own > 0 ? own : 1) + itemCount(part);
        }
    }

    // Most documents have no such list: their keys cost no search. Only a
    // paste, a drop or an undo can bring one to a page that had none.
    var pageHasLists = false;
    var BRINGS_LISTS = /^(insertFromPaste|insertFromDrop|history)/;

    function numberAllItems(looking, inputType) {
        if (!pageHasLists && !(inputType === undefined || BRINGS_LISTS.test(inputType)))
            return;
        var lists = global.document.querySelectorAll(LISTS);
        var parts = global.document.querySelectorAll(PARTS);
        pageHasLists = lists.length > 0 || parts.length > 0;
        noteListStarts(parts);
        // Before the words, which count from a part's start.
        if (!looking)
            numberPartsOn(parts);
        for (var i = 0; i < lists.length; ++i)
            numberItems(lists[i], looking);
    }

    // The words an item shows before its text: those of its box, or those
    // at the start of its text and the blank after them where its first
    // line does not hang; null for an item without.
    function shownWords(item) {
        if (isBox(item.firstChild))
            return item.firstChild.textContent;
        var given = givenWords.get(item);
        var text = leadingText(item);
        return given && startsWithWords(text, given) ? text.data.substring(0, given.length + 1) : null;
    }

    // The item whose marker words a point stands in or just after, with
    // nothing of the item's own text before it; null elsewhere.
    function itemOfWordsAt(container, offset) {
        var item = (container.nodeType === Node.ELEMENT_NODE ? container : container.parentNode).closest('li');
        var words = item && item.parentNode.matches(LISTS) ? shownWords(item) : null;
        if (words === null)
            return null;
        var before = global.document.createRange();
        before.setStart(item, 0);
        before.setEnd(container, offset);
        var text = before.toString().replace(/\uFEFF/g, '');
        return words.lastIndexOf(text, 0) === 0 ? item : null;
    }

    // Whether anything stands before the item in the editable page for a
    // deletion to join it to.
    function followsAnything(item) {
        var content = global.document.getElementById('content');
        for (var node = item; node && node !== content; node = node.parentNode) {
            for (var earlier = node.previousSibling; earlier; earlier = earlier.previousSibling) {
                if (earlier.nodeType === Node.ELEMENT_NODE || /[^\s\uFEFF]/.test(earlier.textContent))
                    return true;
            }
        }
        return false;
    }

    // The words, with the caret placeholders after them, up to the item's
    // own text.
    function wordsRange(item) {
        var range = global.document.createRange();
        range.setStart(item, 0);
        var next = item.firstChild;
        var offset = 0;
        if (isBox(next)) {
            range.setEndAfter(next);
            next = next.nextSibling;
        } else {
            offset = shownWords(item).length;
        }
        for (; next && next.nodeType === Node.TEXT_NODE; next = next.nextSibling, offset = 0) {
            while (next.data.charAt(offset) === '\uFEFF')
                ++offset;
            range.setEnd(next, offset);
            if (offset < next.data.length)
                break;
        }
        return range;
    }

    function select(range) {
        var selection = global.getSelection();
        selection.removeAllRanges();
        selection.addRange(range);
    }

    // The first thing a forward deletion from a point reaches: the start of
    // the next text that shows something, or a line break or picture. Found
    // in the page, not by moving the selection, since a selection moved and
    // put back ends the typing step that one undo takes back.
    function oneForward(container, offset) {
        var content = global.document.getElementById('content');
        function after(node) {
            while (node && node !== content && !node.nextSibling)
                node = node.parentNode;
            return node && node !== content ? node.nextSibling : null;
        }
        var node = container.nodeType !== Node.TEXT_NODE && offset < container.childNodes.length
            ? container.childNodes[offset] : after(container);
        for (; node; node = node.firstChild || after(node)) {
            if (node.nodeType === Node.TEXT_NODE && /[^ \t\n\r\uFEFF]/.test(node.data))
                return [node, 0];
            if (node.nodeType === Node.ELEMENT_NODE && !node.firstChild)
                return [node.parentNode, Array.prototype.indexOf.call(node.parentNode.childNodes, node)];
        }
        return null;
    }

    // Joins an item to what stands before it, as a deletion at the start of
    // any list item's text does; its words go with it. Both deletions are one
    // typing step, which one undo takes back.
    function joinItemBack(item) {
        if (!followsAnything(item))
            return;
        select(wordsRange(item));
        global.document.execCommand('delete');
        global.document.execCommand('delete');
    }

    // The deletions made here fire input events of their own, which must go
    // through as they are. Between them an item may stand without its words,
    // which is not a change of the user's: the items are numbered once
    // they are all made.
    var deletingWords = false;

    // A marker's words are no text of the item: a deletion never takes some
    // of them, nor moves them into the text of another paragraph. Deleting
    // back from them or from the start of the item's text, or forward from
    // the end of what stands before the item, joins the item to it.
    function deleteAroundWords(event) {
        var selection = global.getSelection();
        if (!pageHasLists || deletingWords || !selection || !selection.rangeCount)
            return;
        deletingWords = true;
        try {
            deleteAroundWordsOf(selection, event);
        } finally {
            deletingWords = false;
        }
        if (event.defaultPrevented)
            numberAllItems(false, event.inputType);
    }

    function deleteAroundWordsOf(selection, event) {
        var range = selection.getRangeAt(0);
        var startItem = itemOfWordsAt(range.startContainer, range.startOffset);
        if (selection.isCollapsed) {
            if (/Backward$/.test(event.inputType)) {
                if (!startItem)
                    return;
                event.preventDefault();
                joinItemBack(startItem);
                return;
            }
            // Inside a text the next character is that text's: only a
            // caret in the words themselves can delete into them.
            var container = range.startContainer;
            var insideText = container.nodeType === Node.TEXT_NODE && range.startOffset < container.data.length;
            var ahead = insideText ? null : oneForward(container, range.startOffset);
            var aheadItem = ahead ? itemOfWordsAt(ahead[0], ahead[1]) : null;
            if (aheadItem && aheadItem !== startItem) {
                event.preventDefault();
                joinItemBack(aheadItem);
            } else if (startItem) {
                // Forward from the words deletes from the item's text.
                event.preventDefault();
                var text = wordsRange(startItem);
                text.collapse(false);
                select(text);
                global.document.execCommand('forwardDelete');
            }
            return;
        }
        // A selection that begins in an item's words deletes from its text;
        // one that ends in them takes them whole, with the item's end.
        var endItem = itemOfWordsAt(range.endContainer, range.endOffset);
        if (!startItem && !endItem)
            return;
        event.preventDefault();
        var deleted = range.cloneRange();
        if (startItem) {
            var after = wordsRange(startItem);
            deleted.setStart(after.endContainer, after.endOffset);
        }
        if (endItem && endItem !== startItem) {
            var words = wordsRange(endItem);
            deleted.setEnd(words.endContainer, words.endOffset);
        }
        if (deleted.collapsed)
            return;
        select(deleted);
        global.document.execCommand('delete');
    }

    // Before an edit, so that an item the edit makes is told from the
    // items that were there; the edit's own input numbers them.
    global.document.addEventListener('beforeinput', function (event) {
        if (!deletingWords && STRUCTURAL.test(event.inputType || ''))
            numberAllItems(true, event.inputType);
    }, true);
    global.document.addEventListener('input', function (event) {
        if (!deletingWords && STRUCTURAL.test(event.inputType || ''))
            numberAllItems(false, event.inputType);
    }, true);
    // After the look above, which must see the items as they stand before
    // the deletion.
    global.document.addEventListener('beforeinput', function (event) {
        if (/^(delete(Content|Word|SoftLine|HardLine)(Backward|Forward)|deleteByCut)$/.test(event.inputType || ''))
            deleteAroundWords(event);
    }, true);

    // Where an item's own text starts, after its words.
    function textStartOf(item) {
        var start = wordsRange(item);
        start.collapse(false);
        return start;
    }

    // An item with nothing but its words is an empty item: Return there
    // leaves the list, as it does in any list. The words go first, so that
    // the engine sees the item as empty; both edits are one typing step.
    function leaveListFromEmptyItem(event) {
        var selection = global.getSelection();
        if (!pageHasLists || deletingWords || !selection || !selection.rangeCount || !selection.isCollapsed)
            return;
        var caret = selection.getRangeAt(0);
        var item = itemOfWordsAt(caret.startContainer, caret.startOffset);
        if (!item)
            return;
        var rest = textStartOf(item);
        rest.setEnd(item, item.childNodes.length);
        if (/[^\uFEFF]/.test(rest.toString()) || rest.cloneContents().querySelector('img'))
            return;
        event.preventDefault();
        deletingWords = true;
        try {
            select(wordsRange(item));
            global.document.execCommand('delete');
            global.document.execCommand('insertParagraph');
        } finally {
            deletingWords = false;
        }
        numberAllItems(false, event.inputType);
    }

    global.document.addEventListener('beforeinput', function (event) {
        if (event.inputType === 'insertParagraph')
            leaveListFromEmptyItem(event);
    }, true);

    // The item whose words hold a collapsed caret, and whether the caret
    // stands before the item's text (-1) or at its start (0); null for a
    // caret anywhere else.
    function caretAtWords(selection) {
        if (!pageHasLists || deletingWords || !selection || !selection.rangeCount || !selection.isCollapsed)
            return null;
        var caret = selection.getRangeAt(0);
        var item = itemOfWordsAt(caret.startContainer, caret.startOffset);
        if (!item)
            return null;
        return {item: item, place: caret.compareBoundaryPoints(Range.START_TO_START, textStartOf(item))};
    }

    // The caret never rests in an item's words, as it cannot enter an
    // ordinary item's number: where the arrows, Home or a click leave it in
    // them, it goes to the start of the item's text. A caret that comes
    // back one character from there (Left, which the window may move by
    // script) goes on to what stands before the item.
    var caretWas = null;
    var movedFrom = null;
    function correctCaret(selection) {
        var was = caretWas;
        caretWas = selection && selection.rangeCount ? selection.getRangeAt(0).cloneRange() : null;
        var at = caretAtWords(selection);
        if (!at || at.place >= 0) {
            movedFrom = null;
            return;
        }
        // A caret the engine puts back where it was moved from stays there,
        // rather than be moved for ever.
        var caret = selection.getRangeAt(0);
        if (movedFrom && movedFrom.compareBoundaryPoints(Range.START_TO_START, caret) === 0)
            return;
        movedFrom = caret.cloneRange();
        var start = textStartOf(at.item);
        var words = wordsRange(at.item);
        words.setEnd(caret.startContainer, caret.startOffset);
        var back = was && was.compareBoundaryPoints(Range.START_TO_START, start) === 0 &&
            words.toString().replace(/\uFEFF/g, '') !== '';
        if (!back) {
            select(start);
            return;
        }
        words.collapse(true);
        select(words);
        selection.modify('move', 'backward', 'character');
        // Nothing stands before the first item of a page to go on to.
        if (selection.getRangeAt(0).compareBoundaryPoints(Range.START_TO_START, words) === 0)
            select(start);
    }
    global.document.addEventListener('keydown', function () {
        // Keys pressed quickly can come before the page is told that the
        // caret moved: the last move is corrected first, as it would have
        // been, so that Left then a letter types before the item, and End or
        // typing never works in the words. The caret this key moves from is
        // known here, however late the page hears of an earlier move.
        var selection = global.getSelection();
        correctCaret(selection);
        var at = caretAtWords(selection);
        if (at && at.place < 0)
            select(textStartOf(at.item));
        caretWas = selection && selection.rangeCount ? selection.getRangeAt(0).cloneRange() : null;
    }, true);
    global.document.addEventListener('selectionchange', function () {
        correctCaret(global.getSelection());
    });

    // A word move (Ctrl+Left, Ctrl+Right, with Shift to select) passes over
    // an item's words as over an ordinary item's number: where the engine
    // stops in them, the move goes on from their far side. Made here, not
    // left to the caret's correction above, which cannot tell a word move
    // from a move by one character.
    function focusInWords(selection) {
        var item = itemOfWordsAt(selection.focusNode, selection.focusOffset);
        if (!item)
            return null;
        var start = textStartOf(item);
        return start.comparePoint(selection.focusNode, selection.focusOffset) < 0 ? item : null;
    }

    function setFocus(selection, alter, container, offset) {
        if (alter === 'move')
            selection.collapse(container, offset);
        else
            selection.extend(container, offset);
    }

    function moveByWord(event) {
        var selection = global.getSelection();
        if (!pageHasLists || deletingWords || !selection || !selection.rangeCount || !event.ctrlKey || event.altKey ||
            event.metaKey || (event.key !== 'ArrowLeft' && event.key !== 'ArrowRight'))
            return;
        event.preventDefault();
        var alter = event.shiftKey ? 'extend' : 'move';
        var direction = event.key === 'ArrowLeft' ? 'left' : 'right';
        // An item with nothing but its words stops the move no more than
        // its words do; the count only guards against a page that never
        // lets the move on.
        for (var passed = 0; passed < 100; ++passed) {
            var was = global.document.createRange();
            was.setStart(selection.focusNode, selection.focusOffset);
            selection.modify(alter, direction, 'word');
            var item = focusInWords(selection);
            if (!item)
                return;
            var backward = was.comparePoint(selection.focusNode, selection.focusOffset) < 0;
            if (!backward) {
                var start = textStartOf(item);
                setFocus(selection, alter, start.startContainer, start.startOffset);
                continue;
            }
            setFocus(selection, alter, item, 0);
            var before = global.document.createRange();
            before.setStart(item, 0);
            selection.modify(alter, direction, 'word');
            // Nothing stands before the page's first item to go on to.
            if (before.comparePoint(selection.focusNode, selection.focusOffset) >= 0) {
                var textStart = textStartOf(item);
                setFocus(selection, alter, textStart.startContainer, textStart.startOffset);
                return;
            }
            if (!focusInWords(selection))
                return;
        }
    }

    global.document.addEventListener('keydown', moveByWord, true);

    if (global.document.readyState === 'loading')
        global.document.addEventListener('DOMContentLoaded', function () { numberAllItems(true); });
    else
        numberAllItems(true);
})(window);
