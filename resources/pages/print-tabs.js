/* Tabs go to the stops their paragraph sets (data-tabs: kind L, R, C or D for the decimal point, the position in
   points from the text column's edge, a leader character) and, past the last of them or where it sets none, to the
   document's default stops, left ones every `interval` points from that edge (a table cell's from the cell's),
   as word processors set them; where that is 0, such a tab keeps the browser's own width. Each tab becomes a box as
   wide as the gap to its stop, measured as laid out, one tab after the other. A tab whose stop lies past the end of
   its line, or whose word after it no longer fits there, starts the next line with that word, as LibreOffice sets
   it, and goes to the first stop there. The text is measured `textWidth` points wide, as it prints (where that is
   0, as it stands). */
(function () {
  var content = document.getElementById('content');
  if (!content) return;
  var interval = {{defaultInterval}};
  var isTab = function (span) { return span.childElementCount === 0 && span.textContent === '\t'; };
  var tabs = Array.prototype.filter.call(content.querySelectorAll('span'), function (span) {
    // A list's marker words lay out their own blank.
    return isTab(span) && !span.closest('[data-marker-words]') && (interval > 0 || span.closest('[data-tabs]'));
  });
  if (!tabs.length) return;
  // The text is laid at the width it prints at while the tabs are measured, so that its lines break as on paper.
  var textWidth = {{textWidth}};
  var laidWidth = content.style.width;
  if (textWidth > 0) content.style.width = textWidth * 4 / 3 + 'px';
  var column = folioPrintColumn(content);
  var scale = column.scale;
  var pixelsPerPoint = column.pixelsPerPoint;
  function stopsOf(paragraph) {
    var text = paragraph && paragraph.getAttribute('data-tabs');
    if (!text) return [];
    return text.split(' ').map(function (entry) {
      var match = /^([LRCD])([0-9]+(?:\.[0-9]+)?)([-._]?)$/.exec(entry);
      return match ? {kind: match[1], at: parseFloat(match[2]), leader: match[3]} : null;
    }).filter(function (stop) { return stop && stop.at > 0; });
  }
  // The block a tab's line belongs to: the paragraph that sets its stops, else the nearest box that is no inline.
  function blockOf(tab) {
    var stopped = tab.closest('[data-tabs]');
    if (stopped) return stopped;
    for (var node = tab.parentElement; node && node !== content; node = node.parentElement) {
      if (!/^inline/.test(getComputedStyle(node).display)) return node;
    }
    return content;
  }
  function widthAfter(tab, next, paragraph, decimal) {
    var range = document.createRange();
    range.setStartAfter(tab);
    if (next) range.setEndBefore(next); else range.setEnd(paragraph, paragraph.childNodes.length);
    if (decimal) {
      var walker = document.createTreeWalker(paragraph, NodeFilter.SHOW_TEXT);
      for (var node = walker.nextNode(); node; node = walker.nextNode()) {
        if (!range.intersectsNode(node) || tab.contains(node)) continue;
        var at = node.data.search(/[.,]/);
        if (at >= 0) { range.setEnd(node, at); break; }
      }
    }
    return range.getBoundingClientRect().width;
  }
  // The box of the first letter after the tab within its block, when a word (not a blank or another tab) follows.
  function wordAfter(tab, block) {
    var walker = document.createTreeWalker(block, NodeFilter.SHOW_TEXT);
    walker.currentNode = tab;
    for (var node = walker.nextNode(); node; node = walker.nextNode()) {
      if (tab.contains(node) || !node.data.length) continue;
      if (/^[\s\u00a0]/.test(node.data)) return null;
      var range = document.createRange();
      range.setStart(node, 0);
      range.setEnd(node, 1);
      return range.getBoundingClientRect();
    }
    return null;
  }
  // The stop a tab at x goes to (pixels from the column's edge): the paragraph's first past x, else the first
  // default stop past x and the paragraph's last.
  function stopAfter(stops, x, defaultStart) {
    var own = stops.filter(function (candidate) { return candidate.at * pixelsPerPoint > x + 0.5; })[0];
    if (own) return {kind: own.kind, at: own.at * pixelsPerPoint, leader: own.leader};
    if (!(interval > 0)) return null;
    var step = interval * pixelsPerPoint;
    var from = Math.max(x, stops.length ? stops[stops.length - 1].at * pixelsPerPoint : defaultStart);
    var at = defaultStart + (Math.floor((from - defaultStart) / step) + 1) * step;
    if (at <= from + 0.5) at += step;
    return {kind: 'L', at: at, leader: '', isDefault: true};
  }
  var origin = column.edge();
  tabs.forEach(function (tab, index) {
    var paragraph = blockOf(tab);
    var stops = paragraph.hasAttribute('data-tabs') ? stopsOf(paragraph) : [];
    var next = tabs[index + 1];
    if (next && blockOf(next) !== paragraph) next = null;
    var blockStyle = getComputedStyle(paragraph);
    var blockBox = paragraph.getBoundingClientRect();
    var lineStart = blockBox.left + parseFloat(blockStyle.paddingLeft || 0) + parseFloat(blockStyle.borderLeftWidth || 0)
      - origin + Math.max(parseFloat(blockStyle.textIndent || 0), 0);
    var lineEnd = blockBox.right - parseFloat(blockStyle.paddingRight || 0) - parseFloat(blockStyle.borderRightWidth || 0)
      - origin;
    // A cell's default stops count from its own edge.
    var defaultStart = 0;
    var cell = tab.closest('td, th');
    if (cell && content.contains(cell)) {
      var cellStyle = getComputedStyle(cell);
      defaultStart = cell.getBoundingClientRect().left + parseFloat(cellStyle.paddingLeft || 0)
        + parseFloat(cellStyle.borderLeftWidth || 0) - origin;
    }
    // The box keeps its tab, unseen, so that a line of tabs alone is a line of the text's height.
    tab.style.display = 'inline-block';
    tab.style.whiteSpace = 'pre';
    tab.style.width = '0';
    var stop = null, gap = 0;
    for (var pass = 0; pass < 2; ++pass) {
      var box = tab.getBoundingClientRect();
      var x = box.left - origin;
      stop = stopAfter(stops, x, defaultStart);
      if (!stop) {
        tab.style.display = '';
        tab.style.width = '';
        return;
      }
      gap = stop.at - x;
      if (stop.kind === 'R') gap -= widthAfter(tab, next, paragraph, false);
      else if (stop.kind === 'C') gap -= widthAfter(tab, next, paragraph, false) / 2;
      else if (stop.kind === 'D') gap -= widthAfter(tab, next, paragraph, true);
      // A stop on the right margin (every table of contents has one) leaves no room to spare at the line's end: a
      // quarter pixel less keeps the layout's rounding from moving the text after it onto the next line.
      gap = Math.max(gap - 0.25, 0);
      tab.style.width = (gap / scale) + 'px';
      // Only a default stop moves to the next line, and only a tab with something before it on its own.
      if (pass > 0 || !stop.isDefault || x <= lineStart + 1) break;
      var word = wordAfter(tab, paragraph);
      var laid = tab.getBoundingClientRect();
      if (stop.at <= lineEnd + 0.5 && !(word && word.top > (laid.top + laid.bottom) / 2)) break;
      tab.parentNode.insertBefore(document.createElement('br'), tab);
      tab.style.width = '0';
    }
    if (stop.leader && gap > 0) {
      var probe = document.createElement('span');
      probe.textContent = stop.leader;
      tab.appendChild(probe);
      var each = probe.getBoundingClientRect().width;
      tab.removeChild(probe);
      if (each > 0) {
        tab.style.textAlign = 'right';
        tab.textContent = new Array(Math.floor(gap / each) + 1).join(stop.leader);
      }
    }
  });
  column.done();
  content.style.width = laidWidth;
})();
