/* A border prints in whole pixels of the page, and the browser drops what is left over: a word processor's line of
   2.25 points would print at 1.6. Each border of the text is set to the number of pixels nearest to its own width,
   so that it prints as near the file's width as the page can draw it. A page laid out larger than its paper draws
   in pixels that many times smaller, so its borders are rounded to those: a half-point line stays half a point
   rather than growing to a whole pixel of the paper. */
(function () {
  var content = document.getElementById('content');
  if (!content) return;
  var ruler = document.createElement('div');
  ruler.style.cssText = 'position:absolute;visibility:hidden;height:0;width:1000px;';
  content.appendChild(ruler);
  var scale = ruler.getBoundingClientRect().width / 1000 || 1;
  content.removeChild(ruler);
  // A page laid out larger than its paper lays borders out in its own, smaller pixels.
  var zoom = parseFloat(document.documentElement.style.zoom) || 1;
  var pixelsPer = {px: 1, pt: 4 / 3, pc: 16, in: 96, cm: 96 / 2.54, mm: 96 / 25.4};
  Array.prototype.forEach.call(content.querySelectorAll('[style*="border"]'), function (element) {
    ['Top', 'Right', 'Bottom', 'Left'].forEach(function (side) {
      var match = /^([0-9]*\.?[0-9]+)(px|pt|pc|in|cm|mm)$/.exec(element.style['border' + side + 'Width'] || '');
      if (!match) return;
      var pixels = parseFloat(match[1]) * pixelsPer[match[2]] * scale;
      if (!(pixels > 0)) return;
      // Half a layout pixel over the count, which the layout rounds down to it.
      var drawn = Math.max(1, Math.round(pixels * zoom));
      element.style['border' + side + 'Width'] = (drawn + 0.5) / zoom / scale + 'px';
    });
  });
})();
