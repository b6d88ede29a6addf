/* Word processors keep both the space after a paragraph and the space before the next one, where CSS lets the
   larger of two adjoining margins stand for both: a heading's space before, next to the space after the text
   above it, would print short by the smaller of the two. Each block that follows a block takes the space after
   its neighbour into its own space before. All margins are read before any is set, so the page is laid out
   once. */
(function () {
  var content = document.getElementById('content');
  if (!content) return;
  function inFlow(style) {
    return style.float === 'none' && (style.position === 'static' || style.position === 'relative')
      && /^(block|list-item|table|flow-root)$/.test(style.display);
  }
  var changes = [];
  var blocks = content.querySelectorAll('div, p, h1, h2, h3, h4, h5, h6, li, ul, ol, table, blockquote, pre');
  for (var index = 0; index < blocks.length; ++index) {
    var block = blocks[index];
    var previous = block.previousElementSibling;
    if (!previous) continue;
    var own = getComputedStyle(block);
    if (!inFlow(own)) continue;
    var before = parseFloat(own.marginTop);
    if (!(before > 0)) continue;
    var above = getComputedStyle(previous);
    if (!inFlow(above)) continue;
    var after = parseFloat(above.marginBottom);
    if (after > 0) changes.push([block, before + after]);
  }
  changes.forEach(function (change) {
    change[0].style.setProperty('margin-top', change[1] + 'px', 'important');
  });
})();
