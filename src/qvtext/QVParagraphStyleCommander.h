#pragma once

#include <functional>
#include <string>

namespace folio {

class PageConnection;
class QVCharacterStyleCommander;

// The commands of the other-styles picker (named styles, lists, highlights,
// headings, removing the style) and of the alignment menu of the QV text
// editor. Every command ends by marking the document changed.
class QVParagraphStyleCommander {
public:
    // The picker's rows, by number.
    enum Row : long {
        DefaultStyle = 0,
        UserStyle1,
        UserStyle2,
        UserStyle3,
        NumberedList,
        BulletedList,
        HighlightYellow,
        HighlightGreen,
        HighlightRed,
        RemoveHighlight,
        TitleStyle,
        SubtitleStyle,
        Heading1Style,
        Heading2Style,
        Subheading1Style,
        Subheading2Style,
        FooterStyle,
        LabelStyle,
        RemoveStyle,
    };
    // The alignment menu's options, by number.
    enum Alignment : long { Justify = 0, Center, Right, Left, RightToLeft, LeftToRight };

    struct Host {
        std::function<void()> documentIsDirty{};
        // Applies the default style, or user style 1 to 3.
        std::function<void()> setDefaultStyle{};
        std::function<void(long n)> setUserStyle{};
        // Takes down a progress overlay a long selection may have put up.
        std::function<void()> dismissProgress{};
    };

    QVParagraphStyleCommander(PageConnection& page, QVCharacterStyleCommander& characters, Host host);

    // A picker row; a number outside the rows runs nothing but still ends
    // as every command does.
    void otherStyleTextTask(long command);
    void alignTextTask(long option);

    // The direction chosen last.
    bool isRTLLanguage() const { return m_isRTLLanguage; }
    // Follows the keyboard's language (a BCP 47 tag): right to left for the
    // languages written so, left to right for every other.
    void setTextDirectionForLanguage(const std::string& language);
    static bool isRightToLeftLanguage(const std::string& language);

private:
    void toggleHighlight(const char* pageColor, const char* color);
    // Every command ends so, whatever it ran.
    void finishCommand();

    PageConnection& m_page;
    QVCharacterStyleCommander& m_characters;
    Host m_host;
    bool m_isRTLLanguage = false;
};

} // namespace folio
