#include "walk/ControlWalk.h"

#include "documents/EditorMakers.h"
#include "qvoutline/QVOutlineViewController.h"

namespace folio::test {

TEST_F(EveryControlWalk, qvOutline)
{
    EditorMakers::registerMaker(EditorKind::QVOutline, [this](TextDocument& document) {
        return std::make_shared<QVOutlineViewController>(document, QVOutlineViewController::WebViewFactory{},
                                                    [this](const std::string& url) { openedURLs.push_back(url); });
    });
    EditorUnderWalk editor;
    editor.fileName = "walk.qvoutline";
    editor.kind = DocumentKind::QVOutline;
    editor.pageState = [](ViewController& controller) {
        return webPageState(*static_cast<QVOutlineViewController&>(controller).webView());
    };
    editor.placeCaretAtEnd = [](ViewController& controller) {
        placeCaretInPage(*static_cast<QVOutlineViewController&>(controller).webView());
    };
    editor.selectSomeText = [](ViewController& controller) {
        selectWordInPage(*static_cast<QVOutlineViewController&>(controller).webView(), kSelectedWord);
    };
    // The rows that do not work yet, with why: each line goes once its row works.
    editor.knownDead = {};
    // Entering typewriter mode while the reading goes on brings back the
    // reading's Pause and Cancel; whether the reading, written to a file
    // here, still goes on when the walk comes back to them depends on the
    // machine's speed.
    // The header inspector opens on its Header segment, so a press on it
    // changes nothing itself; whether the opening's own late change to the
    // page falls before or after it depends on the machine's speed.
    editor.unsettled = {
        "bar:Tools > menu:Typewriter Mode > menu:Pause",
        "bar:Tools > menu:Typewriter Mode > menu:Cancel",
        "bar:Insert > menu:Header & Footer > row:Header",
    };
    walk(editor);
}

} // namespace folio::test
