#include "qvtext/QVParagraphStyleCommander.h"

#include "qvtext/QVCharacterStyleCommander.h"
#include "webeditor/PageConnection.h"

#include <array>
#include <string_view>

namespace folio {

namespace {

constexpr const char* kParagraphBackColorScript = "tinymce.activeEditor.getDoc().queryCommandValue('backColor')";
constexpr const char* kTransparentBackColorScript = "tinymce.activeEditor.execCommand('backColor', false, 'transparent');";

// Languages written right to left, as the keyboard names them.
constexpr std::array<std::string_view, 6> kRightToLeftLanguages = {"ar", "iw", "fa", "ur", "ps", "he-IL"};

// The direction of the whole text: the editable body carries it, so that
// TinyMCE saves it with the content's style.
std::string directionScript(const char* direction, const char* justify)
{
    return std::string("tinymce.activeEditor.getBody().style.direction='") + direction +
           "';tinymce.activeEditor.execCommand('" + justify + "');";
}

} // namespace

QVParagraphStyleCommander::QVParagraphStyleCommander(PageConnection& page, QVCharacterStyleCommander& characters,
                                                     Host host)
    : m_page(page)
    , m_characters(characters)
    , m_host(std::move(host))
{
    if (!m_host.documentIsDirty)
        m_host.documentIsDirty = [] {};
}

void QVParagraphStyleCommander::toggleHighlight(const char* pageColor, const char* color)
{
    // The page's own spelling of the colour; any other spelling counts as
    // not highlighted.
    if (m_page.readString(kParagraphBackColorScript) == pageColor)
        m_page.send(kTransparentBackColorScript);
    else
        m_page.send(std::string("tinymce.activeEditor.execCommand('backColor', false, '") + color + "');");
}

void QVParagraphStyleCommander::otherStyleTextTask(long command)
{
    // The rows whose page script stands as it is; a restyling row first
    // takes the old style off.
    struct Script {
        Row row;
        bool restyles;
        const char* script;
    };
    static constexpr Script scripts[] = {
        // The outline makes its lists inside the branch, not of the tree.
        {NumberedList, false,
         "(window.folioOutlineList&&folioOutlineList('ol'))||tinymce.activeEditor.execCommand('insertOrderedList');"},
        {BulletedList, false,
         "(window.folioOutlineList&&folioOutlineList('ul'))||tinymce.activeEditor.execCommand('insertUnorderedList');"},
        {RemoveHighlight, false, kTransparentBackColorScript},
        {TitleStyle, true, "tinymce.activeEditor.execCommand('bold');tinymce.activeEditor.execCommand('fontSize',false,'32pt')"},
        {SubtitleStyle, true, "tinymce.activeEditor.execCommand('fontSize',false,'30px')"},
        {Heading1Style, true, "tinymce.activeEditor.execCommand('bold');tinymce.activeEditor.execCommand('fontSize',false,'26pt')"},
        {Heading2Style, true, "tinymce.activeEditor.execCommand('bold');tinymce.activeEditor.execCommand('fontSize',false,'24pt')"},
        {Subheading1Style, true, "tinymce.activeEditor.execCommand('fontSize',false,'20pt')"},
        {Subheading2Style, true, "tinymce.activeEditor.execCommand('fontSize',false,'18pt')"},
        {FooterStyle, true, "tinymce.activeEditor.execCommand('fontSize',false,'10pt')"},
        {LabelStyle, true,
         "tinymce.activeEditor.execCommand('justifyCenter');tinymce.activeEditor.execCommand('italic');"
         "tinymce.activeEditor.execCommand('fontSize',false,'24pt');"},
    };
    struct Highlight {
        Row row;
        const char* pageColor;
        const char* color;
    };
    static constexpr Highlight highlights[] = {
        {HighlightYellow, "rgb(255, 255, 0)", "yellow"},
        {HighlightGreen, "rgb(152, 251, 152)", "PaleGreen"},
        {HighlightRed, "rgb(255, 0, 0)", "red"},
    };
    for (const Script& entry : scripts) {
        if (entry.row != command)
            continue;
        if (entry.restyles)
            m_characters.removeStyle();
        m_page.send(entry.script);
        finishCommand();
        return;
    }
    for (const Highlight& entry : highlights) {
        if (entry.row != command)
            continue;
        toggleHighlight(entry.pageColor, entry.color);
        finishCommand();
        return;
    }
    switch (command) {
    case DefaultStyle:
        m_characters.removeStyle();
        if (m_host.setDefaultStyle)
            m_host.setDefaultStyle();
        break;
    case UserStyle1:
    case UserStyle2:
    case UserStyle3:
        m_characters.removeStyle();
        if (m_host.setUserStyle)
            m_host.setUserStyle(command);
        break;
    case RemoveStyle:
        m_characters.removeStyle();
        break;
    default:
        break;
    }
    finishCommand();
}

void QVParagraphStyleCommander::alignTextTask(long option)
{
    struct Justification {
        Alignment option;
        const char* script;
    };
    static constexpr Justification justifications[] = {
        {Justify, "tinymce.activeEditor.execCommand('justifyfull');"},
        {Center, "tinymce.activeEditor.execCommand('justifycenter');"},
        {Right, "tinymce.activeEditor.execCommand('justifyright');"},
        {Left, "tinymce.activeEditor.execCommand('justifyleft');"},
    };
    for (const Justification& entry : justifications) {
        if (entry.option == option)
            m_page.send(entry.script);
    }
    if (option == RightToLeft || option == LeftToRight) {
        m_isRTLLanguage = option == RightToLeft;
        m_page.send(m_isRTLLanguage ? directionScript("rtl", "justifyright") : directionScript("ltr", "justifyleft"));
    }
    finishCommand();
}

void QVParagraphStyleCommander::finishCommand()
{
    if (m_host.dismissProgress)
        m_host.dismissProgress();
    m_host.documentIsDirty();
}

bool QVParagraphStyleCommander::isRightToLeftLanguage(const std::string& language)
{
    for (std::string_view code : kRightToLeftLanguages) {
        if (language == code)
            return true;
    }
    return false;
}

void QVParagraphStyleCommander::setTextDirectionForLanguage(const std::string& language)
{
    // A page already turned right to left stays so under a left-to-right
    // keyboard: the user may be typing a word of another language.
    if (!isRightToLeftLanguage(language)) {
        m_isRTLLanguage = false;
        return;
    }
    // Every paragraph goes to the right; the caret comes back where it was.
    m_page.send("(function(e){var b=e.selection.getBookmark(2);e.execCommand('selectAll');"
                "e.execCommand('justifyright');e.selection.moveToBookmark(b);})(tinymce.activeEditor);");
    m_page.send("tinymce.activeEditor.getBody().style.direction='rtl';");
    m_isRTLLanguage = true;
}

} // namespace folio
