/* A word processor's frame (data-paragraph-frame, the file's own words: "\phpg\posx2007\pvpg\posy597\absw12870")
   stands its paragraph at a place of the page rather than where the text's flow leaves it, as word processors print
   it: across from the page's edge (\phpg) or the text column's, at an offset in twips or centred (\posxc), left or
   right (\posxl, \posxr), as wide as \absw says or its words make it; down from the page's top (\pvpg) at an offset
   or centred (\posyc), where the paragraph's page is known, that is from a page break or the text's start to it; down
   from the top margin (\pvmrg) at an offset the same way; down from where the text's flow leaves it (\pvpara) by its offset. The
   paragraph keeps its room in the flow, so that no other line moves or changes page. The page is `pageWidth` by
   `pageHeight` points, its text `textWidth` wide, `leftMargin` and `topMargin` from its edges. */
(function () {
  var content = document.getElementById('content');
  var frames = content ? content.querySelectorAll('[data-paragraph-frame]') : [];
  if (!frames.length) return;
  var page = {width: {{pageWidth}}, height: {{pageHeight}}, left: {{leftMargin}}, top: {{topMargin}},
    text: {{textWidth}}};
  if (!(page.width > 0 && page.height > 0)) return;
  var column = folioPrintColumn(content);
  var perPoint = column.pixelsPerPoint;
  function wordsOf(frame) {
    var words = {};
    frame.getAttribute('data-paragraph-frame').replace(/\\([a-z]+)(-?[0-9]+)?/g, function (all, word, number) {
      words[word] = number === undefined ? true : parseInt(number, 10);
      return all;
    });
    return words;
  }
  function breaksPage(element) {
    var style = getComputedStyle(element);
    return style.pageBreakBefore === 'always' || style.breakBefore === 'page';
  }
  // The top of the page the frame is laid on, in the page's pixels, where a page break or the text's start stands
  // less than a page above it.
  function pageTop(frame) {
    var node = frame;
    while (node && node !== content) {
      var before = node.previousElementSibling;
      for (; before; before = before.previousElementSibling) if (breaksPage(before)) break;
      if (before) return before.getBoundingClientRect().top;
      node = node.parentElement;
    }
    return content.getBoundingClientRect().top + parseFloat(getComputedStyle(content).paddingTop || 0);
  }
  Array.prototype.forEach.call(frames, function (frame) {
    var words = wordsOf(frame);
    if (words.absw > 0) frame.style.width = words.absw / 20 * 4 / 3 + 'px';
    else if (words.posxc || words.posxr) frame.style.width = 'fit-content';
    var box = frame.getBoundingClientRect();
    var width = box.width / perPoint;
    // Across, in points from the column's edge.
    var across = words.phpg ? page.width : page.text;
    var from = words.phpg ? -page.left : 0;
    var x = null;
    if (typeof words.posx === 'number') x = from + words.posx / 20;
    else if (words.posxc) x = from + (across - width) / 2;
    else if (words.posxr) x = from + across - width;
    else if (words.posxl) x = from;
    if (x !== null) frame.style.marginLeft = x * 4 / 3 + 'px';
    if (words.pvpara) {
      if (typeof words.posy !== 'number' || words.posy === 0) return;
      frame.style.position = 'relative';
      frame.style.top = words.posy / 20 * 4 / 3 + 'px';
      return;
    }
    if (!words.pvpg && !(words.pvmrg && typeof words.posy === 'number')) return;
    var laid = (box.top - pageTop(frame)) / perPoint;
    var height = box.height / perPoint;
    if (laid < 0 || laid + height > page.height - page.top) return;
    var y = null;
    if (typeof words.posy === 'number') y = words.posy / 20 + (words.pvmrg ? page.top : 0);
    else if (words.posyc) y = (page.height - height) / 2;
    else if (words.posyb) y = page.height - height;
    if (y === null || y < page.top) return;
    frame.style.position = 'relative';
    frame.style.top = (y - page.top - laid) * 4 / 3 + 'px';
  });
  column.done();
})();
