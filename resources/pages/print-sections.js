/* A document of several sections prints each on its own paper, so the print page shows one run of sections on the
   same paper at a time. The paragraph that ends a section carries "data-section", the settings of the section after
   it. The document's content is kept aside the first time a run is shown; each run is a copy of its part of it, with
   the lists, tables and blocks it starts or ends inside cut down to the part. */
var folioPrintSections = window.folioPrintSections || (function () {
  var content = document.getElementById('content');
  var whole = null;
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
       on a new page; '1' once shown. */
    show: function (first, last, left, right, newPages) {
      if (!content) return '';
      if (!whole) {
        whole = document.createDocumentFragment();
        while (content.firstChild) whole.appendChild(content.firstChild);
      }
      var breaks = breaksIn(whole);
      if (first > last || last > breaks.length) return '';
      var part = document.createRange();
      part.selectNodeContents(whole);
      if (first > 0) part.setStartAfter(breaks[first - 1]);
      if (last < breaks.length) part.setEndAfter(breaks[last]);
      /* The copy takes the page breaks; the document keeps its paragraphs as they were. */
      var marked = (newPages || []).filter(function (section) {
        return section > first && section <= last;
      }).map(function (section) {
        var element = breaks[section - 1];
        var style = element.getAttribute('style');
        element.style.pageBreakAfter = 'always';
        return {element: element, style: style};
      });
      var shown = part.cloneContents();
      marked.forEach(function (mark) {
        if (mark.style === null) mark.element.removeAttribute('style');
        else mark.element.setAttribute('style', mark.style);
      });
      if (first > 0) continueNumbering(breaks[first - 1], shown);
      content.textContent = '';
      content.appendChild(shown);
      content.style.paddingLeft = left + 'cm';
      content.style.marginRight = right + 'cm';
      return '1';
    }
  };
})();
