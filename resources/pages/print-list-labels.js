/* A word processor's list label stands in a box of its item's hanging width, a tab after it: the text starts at the
   item's indent. A label wider than that (Chinese counting, "一、") is followed, as word processors set it, by the
   next of the document's default stops, every `defaultInterval` points from the text column's edge; the label's
   blank only keeps it apart from the text where nothing measures the box. Labels set right or centred in their box
   keep it. */
(function () {
  var content = document.getElementById('content');
  var labels = content ? content.querySelectorAll('li > span[data-marker-words]') : [];
  if (!labels.length) return;
  var column = folioPrintColumn(content);
  var scale = column.scale;
  var left = column.edge();
  var interval = {{defaultInterval}} * column.pixelsPerPoint;
  // Where the label's own words end, without the blank after them.
  function wordsEnd(label) {
    var walker = document.createTreeWalker(label, NodeFilter.SHOW_TEXT);
    var last = null;
    for (var node = walker.nextNode(); node; node = walker.nextNode()) if (/\S/.test(node.data)) last = node;
    if (!last) return null;
    var range = document.createRange();
    range.setStart(label, 0);
    range.setEnd(last, last.data.replace(/\s+$/, '').length);
    return range.getBoundingClientRect().right;
  }
  Array.prototype.forEach.call(labels, function (label) {
    var list = label.parentNode.parentNode;
    if (list && list.hasAttribute('data-marker-align')) return;
    var hang = parseFloat(label.style.getPropertyValue('--hang'));
    var end = wordsEnd(label);
    if (!(hang > 0) || end === null) return;
    var start = label.getBoundingClientRect().left;
    var width = hang * scale;
    if (end > start + width + 0.5 && interval > 0)
      width = (Math.floor((end - left) / interval) + 1) * interval + left - start;
    label.style.width = label.style.minWidth = (width / scale) + 'px';
  });
  column.done();
})();
