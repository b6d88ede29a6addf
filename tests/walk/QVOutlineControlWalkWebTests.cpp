#include "walk/ControlWalk.h"

#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "platform/ui/Window.h"
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
    // Answers whether the page says "1" to the script, which sees the
    // element around the selection's start as `e`.
    auto pageSays = [](std::string test) {
        return [test](ViewController& controller) {
            return static_cast<QVOutlineViewController&>(controller).webView()->stringByEvaluatingJavaScript(
                       "(function(){var n=getSelection().anchorNode;var e=n&&(n.nodeType==1?n:n.parentElement);"
                       "var body=tinymce.activeEditor.getBody();return e&&(" + test + ")?'1':'0';})()") == "1";
        };
    };
    auto styled = [&](const char* command) {
        return pageSays(std::string("tinymce.activeEditor.queryCommandState('") + command + "')");
    };
    auto inserted = [&](const char* selector) { return pageSays(std::string("body.querySelector('") + selector + "')"); };
    // The selected word, with the style the row gives it.
    auto wordIs = [&](const char* property, const char* value) {
        return pageSays(std::string("getComputedStyle(e).") + property + "=='" + value + "'");
    };
    // The selected word's size against the rest of its line.
    auto sizeAgainstLine = [&](const char* comparison) {
        return pageSays(std::string("parseFloat(getComputedStyle(e).fontSize)") + comparison +
                        "parseFloat(getComputedStyle(e.closest('.branch-title')).fontSize)");
    };
    auto panelShown = [this](ViewController&) {
        std::shared_ptr<Window> window = app.documentWindow();
        return window && window->rootViewController() && window->rootViewController()->presentedViewController();
    };
    auto textHas = [&](const char* words) { return pageSays(std::string("body.textContent.indexOf('") + words + "')>=0"); };
    editor.expectedEffects = {
        {"button:B", styled("Bold")},
        {"key:command+b Bold", styled("Bold")},
        {"button:I", styled("Italic")},
        {"key:command+i Italic", styled("Italic")},
        {"button:U", styled("Underline")},
        {"key:command+u Underline", styled("Underline")},
        {"bar:Insert > menu:Table", inserted("table")},
        {"bar:Insert > menu:Horizontal Line", inserted("hr")},
        // The selected word's line is an item of a list inside its branch.
        {"button:¶ > row:Numbered List", pageSays("e.closest('.branch-title ol')")},
        {"button:¶ > row:Bulleted List", pageSays("e.closest('.branch-title ul')")},
        {"button:text.alignleft > menu:Center", wordIs("textAlign", "center")},
        {"button:text.alignleft > menu:Right", wordIs("textAlign", "right")},
        {"button:text.alignleft > menu:Justify", wordIs("textAlign", "justify")},
        {"button:keyboard > menu:Uppercase Selection", textHas("EVERY")},
        {"button:keyboard > menu:Capitalize Selection", textHas("Every")},
        {"button:keyboard > menu:Select All", pageSays("getSelection().toString().indexOf('Walk over every control.')>=0")},
        {"bar:Tools > menu:Find & Replace", pageSays("document.querySelector('.tox-dialog input')")},
        {"bar:Tools > menu:Show Statistics", panelShown},
        {"bar:Tools > menu:Name Generator", panelShown},
        {"bar:Insert > menu:Header & Footer", panelShown},
    };
    for (const char* row : {"button:+", "key:command+] Bigger"})
        editor.expectedEffects[row] = sizeAgainstLine(">");
    for (const char* row : {"button:−", "key:command+[ Smaller"})
        editor.expectedEffects[row] = sizeAgainstLine("<");
    expectToolSwitchesTurnedOn(editor);
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
