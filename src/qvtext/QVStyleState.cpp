#include "qvtext/QVStyleState.h"

#include "webeditor/FontSizeUnits.h"
#include "webeditor/PageConnection.h"

#include <algorithm>

namespace folio {

namespace {

bool state(PageConnection& page, const char* command)
{
    return page.readBool(std::string("tinymce.activeEditor.queryCommandState('") + command + "')", false);
}

} // namespace

std::string QVStyleState::familyFromAnswer(const std::string& answer)
{
    std::string family;
    for (char c : answer.substr(0, answer.find(','))) {
        if (c != '"' && c != '\'')
            family += c;
    }
    size_t start = family.find_first_not_of(' ');
    size_t end = family.find_last_not_of(' ');
    if (start == std::string::npos)
        return "Helvetica";
    return family.substr(start, end - start + 1);
}

int QVStyleState::fontSizeFromAnswer(const std::string& answer)
{
    std::optional<int> points = FontSizeUnits::wholePointsFromAnswer(answer);
    if (!points || *points < 1 || *points > 499)
        return 12;
    return std::min(*points, 460);
}

QVStyleState QVStyleState::read(PageConnection& page)
{
    QVStyleState result;
    result.underline = state(page, "underline");
    result.bold = state(page, "bold");
    result.italic = state(page, "italic");
    result.strikeThrough = state(page, "strikeThrough");
    result.superscript = state(page, "superscript");
    result.subscript = state(page, "subscript");
    result.justifyLeft = state(page, "justifyleft");
    result.justifyRight = state(page, "justifyright");
    result.justifyCenter = state(page, "justifycenter");
    result.justifyFull = state(page, "justifyfull");
    result.fontFamily =
        familyFromAnswer(page.readString("tinymce.activeEditor.queryCommandValue('fontName').replace(/'/g,'')"));
    // The computed size at the caret, in pixels, from the page helpers.
    result.fontSize = fontSizeFromAnswer(page.readString("getCurrentFontSize();"));
    return result;
}

} // namespace folio
