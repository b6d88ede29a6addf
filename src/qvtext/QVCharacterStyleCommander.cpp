#include "qvtext/QVCharacterStyleCommander.h"

#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/LocaleIdentifier.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Font.h"
#include "qvtext/QVStyleState.h"
#include "platform/graphics/FontFace.h"
#include "webeditor/FontSizeUnits.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <algorithm>
#include <vector>

namespace folio {

namespace {

constexpr const char* kFontNameScript = "tinymce.activeEditor.queryCommandValue('fontName').replace(/'/g,'')";
// The page helpers' size of the letter before the caret, in pixels. TinyMCE's
// own size query asks the caret's node: at a paragraph's end after larger
// words that is the paragraph, and a step went from the paragraph's size.
constexpr const char* kFontSizeScript = "getCurrentFontSize();";
constexpr const char* kBackColorScript = "tinymce.activeEditor.getDoc().queryCommandValue('backColor')";
constexpr const char* kYellow = "rgb(255, 255, 0)";

} // namespace

QVCharacterStyleCommander::QVCharacterStyleCommander(PageConnection& page, Host host)
    : m_page(page)
    , m_host(std::move(host))
{
    if (!m_host.documentIsDirty)
        m_host.documentIsDirty = [] {};
}

void QVCharacterStyleCommander::command(const char* name)
{
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand({});", {name}));
}

void QVCharacterStyleCommander::toggleWithFaceFix(Trait trait, const char* name)
{
    if (!m_page.isConnected())
        return;
    // A face that is bold or italic by itself ("Georgia-Bold") would stay so
    // under the toggle: the selection first goes to the face's family.
    std::string family = m_page.readString(kFontNameScript);
    family.erase(std::remove(family.begin(), family.end(), '"'), family.end());
    std::optional<Font> font = family.empty() ? std::nullopt : Font::fontWithName(family, 12);
    std::uint32_t bit = trait == Trait::Bold ? kFontBoldTrait : kFontItalicTrait;
    if (font && (font->symbolicTraits() & bit) != 0)
        m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('fontName', false, {});", {font->familyName()}));
    command(name);
}

void QVCharacterStyleCommander::boldExecCommand()
{
    toggleWithFaceFix(Trait::Bold, "Bold");
}

void QVCharacterStyleCommander::italicExecCommand()
{
    toggleWithFaceFix(Trait::Italic, "Italic");
}

void QVCharacterStyleCommander::underlineExecCommand()
{
    command("Underline");
}

void QVCharacterStyleCommander::strikeExecCommand()
{
    command("Strikethrough");
}

void QVCharacterStyleCommander::superscriptExecCommand()
{
    if (!m_page.isConnected())
        return;
    command("Superscript");
    if (m_host.showMenu)
        m_host.showMenu();
}

void QVCharacterStyleCommander::subscriptExecCommand()
{
    if (!m_page.isConnected())
        return;
    command("Subscript");
    if (m_host.showMenu)
        m_host.showMenu();
}

std::optional<int> QVCharacterStyleCommander::currentFontSizeInPoints()
{
    std::optional<std::string> answer = m_page.read(kFontSizeScript);
    if (!answer)
        return std::nullopt;
    return FontSizeUnits::wholePointsFromAnswer(*answer);
}

int QVCharacterStyleCommander::getBiggestRealFontSizeInPointsFromSelection()
{
    std::optional<int> size = currentFontSizeInPoints();
    return size && *size >= 1 && *size <= 499 ? *size : 12;
}

void QVCharacterStyleCommander::changeFontSizeByPoints(int points, bool isStep)
{
    int size = points;
    if (isStep) {
        // A page that tells no size steps from the size shown for it.
        size = getBiggestRealFontSizeInPointsFromSelection() + points;
        m_increaseEnabled = size < kLargestSteppedSize;
        size = std::min(size, kLargestSteppedSize);
        m_decreaseEnabled = size > kSmallestSteppedSize;
        size = std::max(size, kSmallestSteppedSize);
    }
    m_currentFontSizeTextValue = std::to_string(size);
    if (m_pendingColor)
        m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('foreColor', false, {});", {*m_pendingColor}));
    m_pendingColor.reset();
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('FontSize', false, {});",
                                 {std::to_string(size) + "pt"}));
    m_host.documentIsDirty();
}

void QVCharacterStyleCommander::sizeSelected(const std::string& row)
{
    if (row == "+10")
        changeFontSizeByPoints(10, true);
    else if (row == "+1")
        changeFontSizeByPoints(1, true);
    else if (row == "-10")
        changeFontSizeByPoints(-10, true);
    else if (row == "-1")
        changeFontSizeByPoints(-1, true);
    else
        changeFontSizeByPoints(std::atoi(row.c_str()), false);
    m_host.documentIsDirty();
}

void QVCharacterStyleCommander::setPendingFontColor(std::string color)
{
    m_pendingColor = std::move(color);
}

std::string QVCharacterStyleCommander::styledSpan(const SpanStyle& style, const std::u16string& text)
{
    std::string declarations;
    if (style.rightToLeft)
        declarations += "direction:rtl; ";
    declarations += "font-family:" + style.family + ";font-size: " + std::to_string(style.points) + "pt; ";
    if (style.bold)
        declarations += "font-weight:bold; ";
    if (style.italic)
        declarations += "font-style:italic; ";
    if (style.underline)
        declarations += "text-decoration:underline; ";
    declarations += "color: " + style.color + ";";
    std::string body;
    for (char c : HTMLTextEscaper::escape(toUtf8(text))) {
        if (c == '\n')
            body += "<br>";
        else
            body += c;
    }
    return "<span style=\"" + HTMLTextEscaper::escape(declarations) + "\">" + body + "</span>";
}

void QVCharacterStyleCommander::replaceSelection(const std::function<std::u16string(const std::u16string&)>& rewrite,
                                                 bool rightToLeft)
{
    if (!m_page.isConnected())
        return;
    std::u16string text = toUtf16(m_page.readString("tinymce.activeEditor.getWin().getSelection().toString();"));
    if (text.empty())
        return;
    SpanStyle style;
    QVStyleState state = QVStyleState::read(m_page);
    style.family = state.fontFamily;
    style.points = getBiggestRealFontSizeInPointsFromSelection();
    style.color = m_page.readString("tinymce.activeEditor.getDoc().queryCommandValue('foreColor')", "black");
    style.bold = state.bold;
    style.italic = state.italic;
    style.underline = state.underline;
    style.rightToLeft = rightToLeft;
    m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('insertHTML', false, {});",
                                 {styledSpan(style, rewrite(text))}));
    m_host.documentIsDirty();
}

void QVCharacterStyleCommander::selectionToCase(const std::string& keyword, bool rightToLeft)
{
    replaceSelection(
        [&keyword](const std::u16string& text) {
            if (keyword == "uppercase")
                return uppercaseString(text);
            if (keyword == "lowercase")
                return lowercaseString(text);
            if (keyword == "capitalize")
                return capitalizedString(text);
            return text;
        },
        rightToLeft);
}

void QVCharacterStyleCommander::selectionSortList(bool rightToLeft)
{
    replaceSelection(
        [](const std::u16string& text) {
            std::vector<std::u16string> lines;
            size_t start = 0;
            while (true) {
                size_t end = text.find(u'\n', start);
                lines.push_back(text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start));
                if (end == std::u16string::npos)
                    break;
                start = end + 1;
            }
            std::stable_sort(lines.begin(), lines.end(), [](const std::u16string& a, const std::u16string& b) {
                return localizedCaseInsensitiveCompare(a, b) < 0;
            });
            std::u16string sorted;
            for (size_t i = 0; i < lines.size(); ++i)
                sorted += (i ? u"\n" : u"") + lines[i];
            return sorted;
        },
        rightToLeft);
}

void QVCharacterStyleCommander::removeStyle()
{
    m_page.send("tinymce.activeEditor.execCommand('removeFormat',false,false);");
    m_host.documentIsDirty();
}

void QVCharacterStyleCommander::highlightYellowTextSelection()
{
    // The page's own spelling of yellow; any other spelling counts as not
    // highlighted, and yellow is applied.
    if (m_page.readString(kBackColorScript) == kYellow)
        m_page.send("tinymce.activeEditor.execCommand('backColor', false, 'transparent');");
    else
        m_page.send("tinymce.activeEditor.execCommand('backColor', false, 'yellow');");
    m_host.documentIsDirty();
}

} // namespace folio
