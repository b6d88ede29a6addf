#include "qvoutline/QVOutlinePictures.h"

#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "webeditor/PageScript.h"

namespace folio {

std::string QVOutlinePictures::elementHTML(const std::string& base64JPEG, const std::optional<std::string>& sketch,
                                           Size displaySize, bool rightToLeft)
{
    std::string source = HTMLTextEscaper::escape(std::string_view("data:image/jpeg;base64," + base64JPEG));
    std::string picture = std::string("<img id=\"") + kSelectedId + "\" contenteditable=false src=\"" + source + "\"";
    if (sketch)
        picture += " style=\"width:100%;\" data-sketch=\"" + HTMLTextEscaper::escape(std::string_view(*sketch)) + "\">";
    else
        picture += " style=\"width:" + formatFixed(displaySize.width, 6) + "px;height:"
                   + formatFixed(displaySize.height, 6) + "px\" >";
    // The paragraph after holds a line break: TinyMCE drops an empty last
    // paragraph of inserted markup, and the text after the picture would
    // then lose its direction.
    return "<p></p><p style=\"text-align:center;\">" + picture + "</p><p style=\"text-align:"
           + (rightToLeft ? "right" : "left") + ";\"><br></p>";
}

std::string QVOutlinePictures::insertionScript(const std::string& elementHTML)
{
    return PageScript::fill("tinymce.activeEditor.execCommand('insertHTML', false, {});"
                            "tinymce.activeEditor.selection.getNode().scrollIntoViewIfNeeded(false);",
                            {elementHTML});
}

std::string QVOutlinePictures::sketchDataScript()
{
    return "var element = tinymce.activeEditor.getDoc().getElementById('imageSelected_555');"
           "element ? (element.getAttribute('data-sketch') || '') : '';";
}

std::string QVOutlinePictures::isSketchScript()
{
    return "var element = tinymce.activeEditor.getDoc().getElementById('imageSelected_555');"
           "element ? element.hasAttribute('data-sketch') : false;";
}

std::optional<std::string> QVOutlinePictures::sketchFromAnswer(const std::optional<std::string>& answer)
{
    if (!answer || answer->empty())
        return std::nullopt;
    return answer;
}

std::vector<MenuItem> QVOutlinePictures::imageMenuItems()
{
    const std::pair<const char*, const char*> rows[] = {
        {"Edit", "editImage:"},          {"Crop", "cropImage:"},         {"Settings", "settingsImage:"},
        {"Delete", "deleteImage:"},      {"Wrap Right", "wrapRightImage:"}, {"Wrap Left", "wrapLeftImage:"},
        {"No Wrap", "wrapNoneImage:"},   {"Left", "leftImage:"},         {"Right", "rightImage:"},
        {"Center", "centerImage:"}};
    std::vector<MenuItem> items;
    for (const auto& [title, action] : rows)
        items.push_back(MenuItem{toUtf16(Localization::localizedString(title, "")), action});
    return items;
}

} // namespace folio
