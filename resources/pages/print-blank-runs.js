/* Word processors' readers of RTF set each blank of a run of two or more a sixth of an em wider than a blank alone
   (a typist's two blanks after a full stop, a row of blanks that lines words up), which moves the words after
   them and where their lines break. The page's writer keeps such a run as blanks and no-break spaces in turn; a
   no-break space of the document's own stands apart in its own element, and is not widened. A run that meets the
   end of a line hangs past it, as those readers let blanks hang, and the words after it start the next line at its
   edge: they print it as blanks that are kept, not as no-break spaces that go on to the next line. */
(function () {
  var content = document.getElementById('content');
  if (!content) return;
  var run = /[ \u00a0]{2,}/g;
  var texts = [];
  var walker = document.createTreeWalker(content, NodeFilter.SHOW_TEXT);
  for (var node = walker.nextNode(); node; node = walker.nextNode()) {
    run.lastIndex = 0;
    if (run.test(node.data)) texts.push(node);
  }
  texts.forEach(function (text) {
    var value = text.data;
    var parts = document.createDocumentFragment();
    var start = 0;
    run.lastIndex = 0;
    for (var match = run.exec(value); match; match = run.exec(value)) {
      // A run of the document's own no-break spaces alone is not one of blanks.
      if (match[0].indexOf(' ') < 0) continue;
      if (match.index > start) parts.appendChild(document.createTextNode(value.slice(start, match.index)));
      var blanks = document.createElement('span');
      blanks.setAttribute('data-blank-run', '');
      blanks.style.letterSpacing = '0.1667em';
      blanks.style.whiteSpace = 'pre-wrap';
      blanks.textContent = match[0].replace(/\u00a0/g, ' ');
      parts.appendChild(blanks);
      start = match.index + match[0].length;
    }
    if (start === 0) return;
    if (start < value.length) parts.appendChild(document.createTextNode(value.slice(start)));
    text.parentNode.replaceChild(parts, text);
  });
})();
