#include "qvtext/QVParagraphStyleCommander.h"

#include "qvtext/QVCharacterStyleCommander.h"
#include "webeditor/PageConnection.h"

#include <array>
#include <string_view>

namespace folio {

namespace {

constexpr const char* kBackColorScript = "tinymce.activeEditor.getDoc().queryCommandValue('backColor')";

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
    if (m_page.readString(kBackColorScript) == pageColor)
        m_page.send("tinymce.activeEditor.execCommand('backColor', false, 'transparent');");
    else
        m_page.send(std::string("tinymce.activeEditor.execCommand('backColor', false, '") + color + "');");
}

void QVParagraphStyleCommander::otherStyleTextTask(long command)
{
    auto restyle = [this](const char* script) {
        m_characters.removeStyle();
        m_page.send(script);
    };
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
    case NumberedList:
        m_page.send("tinymce.activeEditor.execCommand('insertOrderedList');");
        break;
    case BulletedList:
        m_page.send("tinymce.activeEditor.execCommand('insertUnorderedList');");
        break;
    case HighlightYellow:
        toggleHighlight("rgb(255, 255, 0)", "yellow");
        break;
    case HighlightGreen:
        toggleHighlight("rgb(152, 251, 152)", "PaleGreen");
        break;
    case HighlightRed:
        toggleHighlight("rgb(255, 0, 0)", "red");
        break;
    case RemoveHighlight:
        m_page.send("tinymce.activeEditor.execCommand('backColor', false, 'transparent');");
        break;
    case TitleStyle:
        restyle("tinymce.activeEditor.execCommand('bold');tinymce.activeEditor.execCommand('fontSize',false,'32pt')");
        break;
    case SubtitleStyle:
        restyle("tinymce.activeEditor.execCommand('fontSize',false,'30px')");
        break;
    case Heading1Style:
        restyle("tinymce.activeEditor.execCommand('bold');tinymce.activeEditor.execCommand('fontSize',false,'26pt')");
        break;
    case Heading2Style:
        restyle("tinymce.activeEditor.execCommand('bold');tinymce.activeEditor.execCommand('fontSize',false,'24pt')");
        break;
    case Subheading1Style:
        restyle("tinymce.activeEditor.execCommand('fontSize',false,'20pt')");
        break;
    case Subheading2Style:
        restyle("tinymce.activeEditor.execCommand('fontSize',false,'18pt')");
        break;
    case FooterStyle:
        restyle("tinymce.activeEditor.execCommand('fontSize',false,'10pt')");
        break;
    case LabelStyle:
        restyle("tinymce.activeEditor.execCommand('justifyCenter');tinymce.activeEditor.execCommand('italic');"
                "tinymce.activeEditor.execCommand('fontSize',false,'24pt');");
        break;
    case RemoveStyle:
        m_characters.removeStyle();
        break;
    default:
        break;
    }
    if (m_host.dismissProgress)
        m_host.dismissProgress();
    m_host.documentIsDirty();
}

void QVParagraphStyleCommander::alignTextTask(long option)
{
    switch (option) {
    case Justify:
        m_page.send("tinymce.activeEditor.execCommand('justifyfull');");
        break;
    case Center:
        m_page.send("tinymce.activeEditor.execCommand('justifycenter');");
        break;
    case Right:
        m_page.send("tinymce.activeEditor.execCommand('justifyright');");
        break;
    case Left:
        m_page.send("tinymce.activeEditor.execCommand('justifyleft');");
        break;
    case RightToLeft:
        m_page.send(directionScript("rtl", "justifyright"));
        m_isRTLLanguage = true;
        break;
    case LeftToRight:
        m_page.send(directionScript("ltr", "justifyleft"));
        m_isRTLLanguage = false;
        break;
    default:
        break;
    }
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
