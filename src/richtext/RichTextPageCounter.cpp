#include "richtext/RichTextPageCounter.h"

namespace folio {

namespace {

std::string contentScrollTopScript(std::int64_t top)
{
    return "document.getElementById('content').scrollTop =" + std::to_string(top) + ";";
}

} // namespace

std::vector<std::string> RichTextPageCounter::pageUp(bool isEditing)
{
    std::optional<UpMove> move = moveUp();
    if (!move)
        return {};
    std::vector<std::string> scripts;
    if (isEditing)
        scripts.push_back("document.execCommand('unselect')");
    if (move->toTopOfLastPage)
        scripts.push_back("document.body.scrollTop =" + std::to_string(move->offset) + ";");
    else
        scripts.push_back(contentScrollTopScript(move->offset));
    return scripts;
}

std::vector<std::string> RichTextPageCounter::pageDown()
{
    // The last page has no next one: the page stays, and so does the count.
    std::optional<std::int64_t> offset = moveDown();
    if (!offset)
        return {};
    return {contentScrollTopScript(*offset)};
}

std::string RichTextPageCounter::jumpToPageScript(int page) const
{
    return contentScrollTopScript(jumpOffset(page));
}

std::string RichTextPageCounter::scrollToOffsetScript(std::int64_t offset)
{
    return "document.getElementById('content').scrollTop = " + std::to_string(offset) + ";";
}

} // namespace folio
