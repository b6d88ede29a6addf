#include "walk/ControlWalk.h"

#include "documents/EditorMakers.h"
#include "qvtext/QVTextViewController.h"

namespace folio::test {

TEST_F(EveryControlWalk, qvText)
{
    EditorMakers::registerMaker(EditorKind::QVText, [this](TextDocument& document) {
        return std::make_shared<QVTextViewController>(document, QVTextViewController::WebViewFactory{},
                                                    [this](const std::string& url) { openedURLs.push_back(url); });
    });
    EditorUnderWalk editor;
    editor.fileName = "walk.qvtext";
    editor.kind = DocumentKind::QVText;
    editor.pageState = [](ViewController& controller) {
        return webPageState(*static_cast<QVTextViewController&>(controller).webView());
    };
    editor.placeCaretAtEnd = [](ViewController& controller) {
        placeCaretInPage(*static_cast<QVTextViewController&>(controller).webView());
    };
    editor.selectSomeText = [](ViewController& controller) {
        selectWordInPage(*static_cast<QVTextViewController&>(controller).webView(), kSelectedWord);
    };
    // The rows that do not work yet, with why: each line goes once its row works.
    editor.knownDead = {
        {"bar:Insert > menu:Date & Time", "no command"},  // insertDate
        {"bar:Insert > menu:Date & Time Short", "no command"},  // insertDateShort
        {"bar:Insert > menu:Header & Footer > row:rgb(0, 0, 0)", "no command"},  // removeFakeTextSelectionView
        {"bar:Insert > menu:Horizontal Line", "no command"},  // insertHorizontalLine
        {"bar:Insert > menu:Insert Image", "no command"},  // insertPhoto
        {"bar:Insert > menu:Page Break", "no command"},  // insertPageBreak
        {"bar:Insert > menu:Table", "no command"},  // insertTable
        {"bar:Insert > menu:Web Link", "no command"},  // removeCustomKeyboard
        {"bar:Style", "no command"},  // addFakeTextSelectionView
        {"bar:Tools > row:Find & Replace", "no command"},  // showFindOnPage
        {"button:Aa", "no command"},  // addFakeTextSelectionView
        {"button:Helvetica", "no command"},  // addFakeTextSelectionView
        {"button:doc.badge.gearshape", "no command"},  // addFakeTextSelectionView
        {"button:keyboard", "off-screen"},  // its menu opens off the screen
        {"button:photo", "off-screen"},
        {"button:text.alignleft", "off-screen"},
        {"key:Escape Exit Full Screen", "changes nothing"},  // nothing to leave when the window is not full screen
        {"key:LeftArrow ", "changes nothing"},  // neither the page nor its selection changes
    };
    editor.unsettled = {
        "key:DownArrow ",  // changes nothing in some runs
    };
    walk(editor);
}

} // namespace folio::test
