/* A word processor's list label stands in a box of its item's hanging width, a tab after it: the text starts at the
   item's indent. A label wider than that (Chinese counting, "一、") is followed, as word processors set it, by the
   next default stop, every half inch from the text column's edge; the label's blank only keeps it apart from the
   text where nothing measures the box. Labels set right or centred in their box keep it. */
(function () {
  var content = document.getElementById('content');
  var labels = content ? content.querySelectorAll('li > span[data-marker-words]') : [];
  if (!labels.length) return;
  var edge = document.createElement('div');
  edge.style.height = '0';
  content.insertBefore(edge, content.firstChild);
  var ruler = document.createElement('div');
  ruler.style.cssText = 'position:absolute;visibility:hidden;height:0;width:1000px;';
  content.appendChild(ruler);
  var scale = ruler.getBoundingClientRect().width / 1000 || 1;
  content.removeChild(ruler);
  var column = edge.getBoundingClientRect().left;
  var interval = 36 * 4 / 3 * scale;
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
    var left = label.getBoundingClientRect().left;
    var width = hang * scale;
    if (end > left + width + 0.5) width = (Math.floor((end - column) / interval) + 1) * interval + column - left;
    label.style.width = label.style.minWidth = (width / scale) + 'px';
  });
  edge.parentNode.removeChild(edge);
})();
