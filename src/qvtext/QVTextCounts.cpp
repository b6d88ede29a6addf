#include "qvtext/QVTextCounts.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/Unicode.h"
#include "webeditor/PageConnection.h"

#include <algorithm>
#include <limits>

namespace folio {

namespace {

// Runs `use` on an off-screen copy `c` of the text with what the page does
// not show taken out, as TinyMCE makes one for its own plain text; `f` is
// the copy's content as a fragment. The copy is marked for the editor to
// leave out of everything it saves.
std::string onShownCopy(const std::string& use)
{
    return "(function(){var e=tinymce.activeEditor,d=e.getDoc(),w=e.getWin();var c=d.createElement('div');"
           "c.setAttribute('data-mce-bogus','all');c.style.position='fixed';c.style.left='-9999999px';c.style.top='0';"
           "c.innerHTML=e.getBody().innerHTML;d.body.appendChild(c);"
           "var all=c.querySelectorAll('*');for(var i=all.length-1;i>=0;i--){var n=all[i];"
           "if(n.id==='pageHeader'||n.id==='pageFooter'||w.getComputedStyle(n).display==='none')n.remove();}"
           "try{" + use + "}finally{c.remove();}})()";
}

} // namespace

std::string QVTextCounts::shownTextScript()
{
    return onShownCopy("return c.innerText.replace(/^\\s+|\\s+$/g,'');");
}

QVTextCounts QVTextCounts::read(PageConnection& page)
{
    bool collapsed = page.readBool("tinymce.activeEditor.selection.isCollapsed();", true);
    long long characters = 0;
    long long words = 0;
    if (collapsed) {
        // The plug-in counts what a range's copy holds: handed the shown
        // copy as the range's content, it counts that as it counts a selection.
        auto count = [&page](const char* counter) {
            return page.readInteger(onShownCopy("var f=d.createDocumentFragment();while(c.firstChild)f.appendChild(c.firstChild);"
                                                "var s=e.selection,own=s.getRng,p=e.plugins.wordcount.selection;"
                                                "s.getRng=function(){return{cloneContents:function(){return f;}};};"
                                                "try{return p." + std::string(counter)
                                                + "();}finally{s.getRng=own;}"),
                                    0);
        };
        characters = count("getCharacterCount");
        words = count("getWordCount");
    } else {
        const std::string counter = "tinymce.activeEditor.plugins.wordcount.selection.";
        characters = page.readInteger(counter + "getCharacterCount()", 0);
        words = page.readInteger(counter + "getWordCount()", 0);
    }
    QVTextCounts counts;
    characters = std::max(0LL, characters);
    counts.totalCharsWithSpaces =
        static_cast<std::int32_t>(std::min<long long>(characters, std::numeric_limits<std::int32_t>::max()));
    counts.globalTotalWords = std::max(0LL, words);
    return counts;
}

std::u16string QVTextCounts::bannerText() const
{
    std::u16string format = toUtf16(Localization::localizedString("Chars %@ Words %@"));
    return formatString(format, {toUtf16(std::to_string(totalCharsWithSpaces)), toUtf16(std::to_string(globalTotalWords))});
}

} // namespace folio
