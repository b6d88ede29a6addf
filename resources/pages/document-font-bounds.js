// A document may ask for any font size, up to 1e308 pixels, and one absurd
// size lays a few words out over hundreds of pages. No real document uses
// more than the largest size the editors offer; larger sizes are brought
// down to it before the page is printed or pictured. Parents come before
// their children in document order, so relative sizes are measured against
// an already bounded parent.
(function () {
    var largest = 1000;
    var elements = document.getElementsByTagName('*');
    for (var index = 0; index < elements.length; index++) {
        var element = elements[index];
        if (parseFloat(window.getComputedStyle(element).fontSize) > largest)
            element.style.setProperty('font-size', largest + 'px', 'important');
    }
})();
