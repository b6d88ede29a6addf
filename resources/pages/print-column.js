/* Where the text column's edge stands on a laid-out print page, and the page's zoom, which list labels and tabs are
   both measured by. The zoom comes from a box of known width: offsetWidth is rounded to whole pixels, and a ratio
   taken from it is off by up to a pixel over the line, enough to push a number set on the right margin onto a line
   of its own. `done` takes out what the measuring put in. */
function folioPrintColumn(content) {
  var edge = document.createElement('div');
  edge.style.height = '0';
  content.insertBefore(edge, content.firstChild);
  var ruler = document.createElement('div');
  ruler.style.cssText = 'position:absolute;visibility:hidden;height:0;width:1000px;';
  content.appendChild(ruler);
  var scale = ruler.getBoundingClientRect().width / 1000 || 1;
  content.removeChild(ruler);
  return {
    scale: scale,
    pixelsPerPoint: 4 / 3 * scale,
    edge: function () { return edge.getBoundingClientRect().left; },
    done: function () { if (edge.parentNode) edge.parentNode.removeChild(edge); }
  };
}
