#pragma once

#include <functional>
#include <memory>
#include <string>

namespace folio {

class Button;
class PageConnection;
class TextField;
class View;

// The bar that asks for a link's address: the selection is kept in the page
// while the user types, and the link goes in there, its address shown as
// its text, in the caret's look. An address without a scheme is a web
// address. The bar also takes a link off the selection.
class QVTextLinkBar {
public:
    static constexpr const char* kBookmarkScript = "selectionBookmark = tinymce.activeEditor.selection.getBookmark();";
    static constexpr const char* kUnlinkScript =
        "tinymce.activeEditor.execCommand('unlink');if(tinymce.activeEditor.queryCommandState('underline')) "
        "tinymce.activeEditor.execCommand('underline'); tinymce.activeEditor.execCommand('foreColor', false, 'black');";

    struct Host {
        // Puts the link's HTML in at the restored selection.
        std::function<void(const std::string& html)> insertLinkHTML{};
        std::function<void()> documentIsDirty{};
        // The bar came or went: the editor shows its bars again.
        std::function<void()> barDidChange{};
        std::function<void(const std::string& command)> run{};
    };

    QVTextLinkBar(PageConnection& page, Host host);
    ~QVTextLinkBar();
    QVTextLinkBar(const QVTextLinkBar&) = delete;
    QVTextLinkBar& operator=(const QVTextLinkBar&) = delete;

    const std::shared_ptr<View>& insertLinkToolbar() const { return m_bar; }
    const std::shared_ptr<TextField>& insertLink() const { return m_field; }
    const std::shared_ptr<Button>& unlinkButton() const { return m_unlink; }
    bool isVisible() const;

    // Shows the bar with the link under the caret, if any (then it can be taken off).
    void showInsertLinkToolbar(const std::u16string& linkText);
    void hide();
    void insertLinkInText();
    void unLinkText();

    // The address a typed text links to.
    static std::string linkAddress(const std::u16string& typed);

private:
    PageConnection& m_page;
    Host m_host;
    std::shared_ptr<View> m_bar;
    std::shared_ptr<TextField> m_field;
    std::shared_ptr<Button> m_insert;
    std::shared_ptr<Button> m_unlink;
    // Return in the field inserts the link.
    std::shared_ptr<class TextFieldDelegate> m_fieldDelegate;
};

} // namespace folio
