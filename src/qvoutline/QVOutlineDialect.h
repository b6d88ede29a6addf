#pragma once

#include "qvtext/QVTextDialect.h"
#include "webeditor/ReadyPoller.h"

namespace folio {

// The outline page talks TinyMCE like the QV text page, but its own
// "rte://DOMLoaded" comes before its tree is built: the editor waits for the
// injected poller's signal and then half a second more.
class QVOutlineDialect final : public QVTextDialect {
public:
    static constexpr double kReadyDelaySeconds = 0.5;

    std::string readySignal() const override { return ReadyPoller::kDOMLoadedSignal; }
    double readyDelaySeconds() const override { return kReadyDelaySeconds; }
    const EditorTraits& traits() const override;
    // Only a branch's title takes typing: a caret anywhere else goes to the
    // start of the first title.
    std::string focusScript() const override
    {
        return "(function(){var t=tinymce.activeEditor;t.focus();var n=t.selection.getNode();"
               "if(n&&n.closest&&n.closest('.branch-title'))return;"
               "var h=t.getBody().querySelector('.branch-title');"
               "if(h){t.selection.select(h,true);t.selection.collapse(true);}})();";
    }
};

} // namespace folio
