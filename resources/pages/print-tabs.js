/* Tabs go to the stops their paragraph sets (data-tabs: kind L, R, C or D for the decimal point, the position in
   points from the text column's edge, a leader character): each tab becomes a box as wide as the gap to its stop,
   measured as laid out, one tab after the other. A tab past the last stop keeps the browser's own width. */
(function () {
  var content = document.getElementById('content');
  var paragraphs = content ? content.querySelectorAll('[data-tabs]') : [];
  if (!paragraphs.length) return;
  var edge = document.createElement('div');
  edge.style.height = '0';
  content.insertBefore(edge, content.firstChild);
  // The page's zoom, from a box of known width: offsetWidth is rounded to whole pixels, and a ratio taken from it
  // is off by up to a pixel over the line, enough to push a number set on the right margin onto a line of its own.
  var ruler = document.createElement('div');
  ruler.style.cssText = 'position:absolute;visibility:hidden;height:0;width:1000px;';
  content.appendChild(ruler);
  var scale = ruler.getBoundingClientRect().width / 1000 || 1;
  content.removeChild(ruler);
  function stopsOf(paragraph) {
    return paragraph.getAttribute('data-tabs').split(' ').map(function (entry) {
      var match = /^([LRCD])([0-9]+(?:\.[0-9]+)?)([-._]?)$/.exec(entry);
      return match ? {kind: match[1], at: parseFloat(match[2]), leader: match[3]} : null;
    }).filter(function (stop) { return stop && stop.at > 0; });
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
  Array.prototype.forEach.call(paragraphs, function (paragraph) {
    var stops = stopsOf(paragraph);
    var tabs = Array.prototype.filter.call(paragraph.querySelectorAll('span'), function (span) {
      return span.childElementCount === 0 && span.textContent === '\t';
    });
    if (!stops.length || !tabs.length) return;
    var pixelsPerPoint = 4 / 3 * scale;
    tabs.forEach(function (tab, index) {
      var next = tabs[index + 1];
      tab.style.display = 'inline-block';
      tab.style.whiteSpace = 'pre';
      tab.textContent = '';
      var x = tab.getBoundingClientRect().left - edge.getBoundingClientRect().left;
      var stop = stops.filter(function (candidate) { return candidate.at * pixelsPerPoint > x + 0.5; })[0];
      if (!stop) { tab.style.display = ''; tab.textContent = '\t'; return; }
      var gap = stop.at * pixelsPerPoint - x;
      if (stop.kind === 'R') gap -= widthAfter(tab, next, paragraph, false);
      else if (stop.kind === 'C') gap -= widthAfter(tab, next, paragraph, false) / 2;
      else if (stop.kind === 'D') gap -= widthAfter(tab, next, paragraph, true);
      // A stop on the right margin (every table of contents has one) leaves no room to spare at the line's end: a
      // quarter pixel less keeps the layout's rounding from moving the text after it onto the next line.
      gap = Math.max(gap - 0.25, 0);
      tab.style.width = (gap / scale) + 'px';
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
  });
  edge.parentNode.removeChild(edge);
})();
