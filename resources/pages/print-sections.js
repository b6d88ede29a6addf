/* A document of several sections prints each on its own paper, so the print page shows one run of sections on the
   same paper at a time. The paragraph that ends a section carries "data-section", the settings of the section after
   it. The document's content is kept aside the first time a run is shown; each run is a copy of its part of it, with
   the lists, tables and blocks it starts or ends inside cut down to the part. */
var folioPrintSections = window.folioPrintSections || (function () {
  var content = document.getElementById('content');
  var whole = null;
  /* How many of the page's own pixels a CSS pixel is in what is read back from the page while a part is shown. The
     print lays the page out larger than its paper (the root's zoom): lengths set on it are CSS pixels, and the engine
     answers an element's offsetTop in its own pixels but its scrollHeight in CSS pixels. Each is read off a probe of
     known height and divided out before a length is compared or set. */
  var scales = {offset: 1, scroll: 1};
  function readScales() {
    var probe = document.createElement('div');
    probe.style.cssText = 'position:relative;visibility:hidden;margin:0;padding:0;border:0';
    probe.innerHTML = '<div style="height:1000px;margin:0"></div><div style="height:0;margin:0"></div>';
    content.appendChild(probe);
    var offset = probe.lastChild.offsetTop / 1000;
    var scroll = probe.scrollHeight / 1000;
    content.removeChild(probe);
    return {offset: offset > 0 ? offset : 1, scroll: scroll > 0 ? scroll : 1};
  }
  function offsetTopOf(element) { return element.offsetTop / scales.offset; }
  function breaksIn(root) {
    var breaks = [];
    Array.prototype.forEach.call(root.querySelectorAll('[data-section]'), function (element) {
      /* A break inside the paragraph of another is no end of a paragraph. */
      if (!breaks.length || !breaks[breaks.length - 1].contains(element)) breaks.push(element);
    });
    /* A break with nothing after it ends the document rather than a section: what follows it then is at most the
       empty ends of the blocks it stands in, or empty paragraphs. */
    if (breaks.length) {
      var after = document.createRange();
      after.selectNodeContents(root);
      after.setStartAfter(breaks[breaks.length - 1]);
      var rest = after.cloneContents();
      var drawn = rest.querySelector('img, svg, hr, table, object, video, canvas');
      if (!drawn && !/\S/.test(rest.textContent)) breaks.pop();
    }
    return breaks;
  }
  /* A numbered list that goes on past a break goes on counting in the next part: the copy of each list the part
     starts inside (the copy is the first of its copied parent) starts after the items left behind. */
  function continueNumbering(lastBreak, shown) {
    var chain = [];
    for (var node = lastBreak; node.parentNode && node.parentNode !== whole; node = node.parentNode)
      chain.unshift({list: node.parentNode, within: node});
    var copy = shown;
    chain.forEach(function (link) {
      copy = copy && copy.firstChild;
      if (!copy || link.list.tagName !== 'OL') return;
      var before = 0;
      for (var child = link.list.firstChild; child; child = child.nextSibling) {
        if (child.tagName === 'LI' && (child !== link.within || link.within === lastBreak)) ++before;
        if (child === link.within) break;
      }
      copy.setAttribute('start', String(link.list.start + before));
    });
  }
  return {
    /* The settings of each break, one a line. */
    breaks: function () {
      if (!content) return '';
      return breaksIn(whole || content).map(function (element) {
        return element.getAttribute('data-section').replace(/[\r\n]/g, ' ');
      }).join('\n');
    },
    /* Sections first to last (counted from 0) with the side margins in centimetres, those of newPages starting
       on a new page and those of nextColumns in the next column, each in its columns ([count, gap in points],
       first to last) on text of width by height points; '1' once shown. */
    show: function (first, last, left, right, newPages, nextColumns, columns, width, height) {
      if (!content) return '';
      if (!whole) {
        whole = document.createDocumentFragment();
        while (content.firstChild) whole.appendChild(content.firstChild);
      }
      var breaks = breaksIn(whole);
      if (first > last || last > breaks.length) return '';
      /* Each end of a section says which it ends, in every copy of it, for the marks below. */
      breaks.forEach(function (element, section) { element.setAttribute('data-section-end', String(section)); });
      newPages = newPages || [];
      nextColumns = nextColumns || [];
      columns = columns || [];
      function partOf(from, to) {
        var part = document.createRange();
        part.selectNodeContents(whole);
        if (from > 0) part.setStartAfter(breaks[from - 1]);
        if (to < breaks.length) part.setEndAfter(breaks[to]);
        return part;
      }
      content.textContent = '';
      content.style.paddingLeft = left + 'cm';
      content.style.marginRight = right + 'cm';
      if (!columns.some(function (laid) { return laid[0] > 1; })) {
        /* The copy takes the page breaks; the document keeps its paragraphs as they were. */
        var marked = newPages.filter(function (section) {
          return section > first && section <= last;
        }).map(function (section) {
          var element = breaks[section - 1];
          var style = element.getAttribute('style');
          element.style.pageBreakAfter = 'always';
          return {element: element, style: style};
        });
        var shown = partOf(first, last).cloneContents();
        marked.forEach(function (mark) {
          if (mark.style === null) mark.element.removeAttribute('style');
          else mark.element.setAttribute('style', mark.style);
        });
        if (first > 0) continueNumbering(breaks[first - 1], shown);
        content.appendChild(shown);
        return '1';
      }
      /* Each section is a box of its own. The printer lays no text in columns, so a section's columns are laid
         here: its blocks, measured at a column's width, fill one column to the foot of the page and then the next,
         each page's columns side by side in a row. The page's text is laid at print width while they are measured;
         the document's own lengths print true, a CSS pixel to three quarters of a point. */
      content.style.width = width * 4 / 3 + 'px';
      scales = readScales();
      var pageTop = 0;
      /* The columns the section before was laid in, which a section that starts in the next column goes on in. */
      var flow = null;
      for (var section = first; section <= last; ++section) {
        var copy = partOf(section, section).cloneContents();
        if (section > 0) continueNumbering(breaks[section - 1], copy);
        var box = document.createElement('div');
        box.style.position = 'relative';
        box.appendChild(copy);
        var startsPage = section === first || newPages.indexOf(section) >= 0;
        if (section > first && startsPage) box.style.pageBreakBefore = 'always';
        content.appendChild(box);
        if (!(flow && nextColumns.indexOf(section) >= 0 && flowOn(flow, box, height * 4 / 3))) {
          if (startsPage) pageTop = offsetTopOf(box);
          var laid = columns[section - first] || [1, 0];
          flow = laid[0] > 1
            ? layColumns(box, laid[0], laid[1] * 4 / 3, width * 4 / 3, height * 4 / 3, offsetTopOf(box) - pageTop)
            : null;
        }
        /* A row of columns that starts a page is where the room left on the page is counted from. */
        if (flow && flow.pageRow) pageTop = offsetTopOf(flow.box) + offsetTopOf(flow.pageRow);
      }
      content.style.width = '';
      return '1';
    },
    /* Marks where each of sections (counted from 0, each shown with the section before it) begins: a wholly
       transparent picture width by height pixels after the last words the section before shows, out of the flow so
       that it moves no line. The print tells on which page each mark lands, that is where the section before ends.
       The number of marks set. */
    mark: function (sections, width, height) {
      if (!content) return '0';
      var canvas = document.createElement('canvas');
      canvas.width = width;
      canvas.height = height;
      var picture = canvas.toDataURL('image/png');
      var set = 0;
      sections.forEach(function (section) {
        var end = content.querySelector('[data-section-end="' + (section - 1) + '"]');
        if (!end) return;
        var mark = document.createElement('img');
        mark.src = picture;
        mark.alt = '';
        mark.setAttribute('data-section-mark', '');
        mark.setAttribute('style', 'position:absolute;margin:0;padding:0;border:0;width:1px;height:1px');
        /* On the line of the last words shown: after the section's last block, the mark could stand below the foot
           of the page they end on. */
        var walker = document.createTreeWalker(end, NodeFilter.SHOW_TEXT);
        var words = null;
        var range = document.createRange();
        for (var node = walker.nextNode(); node; node = walker.nextNode()) {
          if (!/\S/.test(node.data)) continue;
          range.selectNodeContents(node);
          if (range.getClientRects().length) words = node;
        }
        if (words) words.parentNode.insertBefore(mark, words.nextSibling);
        else end.appendChild(mark);
        ++set;
      });
      return String(set);
    },
    /* Takes the marks out again. */
    unmark: function () {
      Array.prototype.forEach.call(document.querySelectorAll('img[data-section-mark]'), function (mark) {
        mark.parentNode.removeChild(mark);
      });
      return '1';
    },
    /* '1' once every mark's picture is ready to print. */
    marksReady: function () {
      var marks = document.querySelectorAll('img[data-section-mark]');
      return Array.prototype.every.call(marks, function (mark) { return mark.complete && mark.naturalWidth > 0; })
        ? '1' : '0';
    }
  };
  /* The blocks of a box, with their heights laid at the box's width in pixels; nothing when one is taller than
     height, as no column of a page can hold it. */
  function blocksOf(box, width, height) {
    box.style.width = width + 'px';
    var blocks = [];
    Array.prototype.slice.call(box.childNodes).forEach(function (node) {
      if (node.nodeType === Node.ELEMENT_NODE) {
        blocks.push(node);
      } else if (/\S/.test(node.textContent)) {
        var wrapped = document.createElement('div');
        box.replaceChild(wrapped, node);
        wrapped.appendChild(node);
        blocks.push(wrapped);
      } else {
        box.removeChild(node);
      }
    });
    var tops = blocks.map(offsetTopOf);
    tops.push(box.scrollHeight / scales.scroll);
    box.style.width = '';
    var heights = blocks.map(function (block, index) { return tops[index + 1] - tops[index]; });
    if (heights.some(function (blockHeight) { return blockHeight > height; })) return null;
    return {blocks: blocks, heights: heights};
  }
  /* Columns are at least half an inch wide: a row wider than the page would shrink every page to fit it, so more
     columns than fit are fewer. A block taller than a page's column cannot stand in one: a section with one prints
     in one column, as the printer lays it. The columns laid, to go on in, or nothing. */
  function layColumns(box, count, gap, width, height, used) {
    count = Math.min(count, Math.floor((width + gap) / (48 + gap)));
    if (count < 2) return null;
    var columnWidth = (width - gap * (count - 1)) / count;
    var measured = blocksOf(box, columnWidth, height);
    if (!measured) return null;
    box.textContent = '';
    var flow = {box: box, count: count, gap: gap, columnWidth: columnWidth, room: height - used % height,
                row: null, column: null, filled: 0, columnsInRow: 0, pageRow: null};
    fill(flow, measured, height);
    return flow;
  }
  /* A section that starts in the next column: its blocks, at the columns' width, go on in the flow from a column
     of their own, on the same page while its row has one to spare. False when they cannot stand in a column. */
  function flowOn(flow, box, height) {
    var measured = blocksOf(box, flow.columnWidth, height);
    if (!measured) return false;
    box.parentNode.removeChild(box);
    flow.column = null;
    fill(flow, measured, height);
    return true;
  }
  /* The blocks in the flow's columns, each filled to the foot of the page before the next, a row to a page. */
  function fill(flow, measured, height) {
    measured.blocks.forEach(function (block, index) {
      var blockHeight = measured.heights[index];
      if (flow.column && flow.filled + blockHeight > flow.room) flow.column = null;
      if (!flow.column && flow.row && flow.columnsInRow === flow.count) flow.row = null;
      if (!flow.row) {
        /* A row is one page's columns: it is never split over two, and the next starts a page. */
        flow.row = document.createElement('div');
        flow.row.style.display = 'flex';
        flow.row.style.columnGap = flow.gap + 'px';
        flow.row.style.pageBreakInside = 'avoid';
        if (flow.box.firstChild || blockHeight > flow.room) {
          flow.row.style.pageBreakBefore = 'always';
          flow.room = height;
          flow.pageRow = flow.row;
        }
        flow.box.appendChild(flow.row);
        flow.columnsInRow = 0;
      }
      if (!flow.column) {
        flow.column = document.createElement('div');
        flow.column.style.flex = '0 0 ' + flow.columnWidth + 'px';
        flow.column.style.minWidth = '0';
        flow.row.appendChild(flow.column);
        ++flow.columnsInRow;
        flow.filled = 0;
      }
      flow.column.appendChild(block);
      flow.filled += blockHeight;
    });
  }
})();
