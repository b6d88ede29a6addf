#pragma once

#include "foundation/files/TEWebArchive.h"
#include "platform/graphics/Image.h"
#include "platform/ui/DropInteraction.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

class AlertController;
class PageConnection;
class Pasteboard;
class View;

// The rich-text editor's clipboard: copy and cut put the selection on the
// pasteboard as a web archive with plain text beside it (and as HTML for
// the desktop's other programs); the rich and plain pastes insert what the
// pasteboard holds; JPEG pictures dragged onto the page are inserted.
//
// The page never uses the web view's own clipboard: its copy, cut and paste
// events come here as page messages. Everything put into the page is made
// safe and travels as one script literal.
class ClipboardCommander final : public DropInteractionDelegate {
public:
    static constexpr const char* kRichContentPasteType = "iOS rich content paste pasteboard type";
    static constexpr const char* kTextType = "public.text";
    static constexpr const char* kJPEGType = "public.jpeg";
    // Pasted pictures are made to fit this square.
    static constexpr double kPastedPictureSide = 650;
    static constexpr double kPageUpDownDelaySeconds = 0.4;

    struct Host {
        std::function<void()> documentIsDirty{};
        // The font size of the text at the caret, in the page's pixels:
        // pasted text, rich or plain, takes it.
        std::function<int()> biggestFontSize{};
        // The one road of pictures into the document; may be empty, and
        // then pictures are not pasted.
        std::function<void(const Image::Pointer& image, bool autoResize)> insertImage{};
        std::function<std::string()> documentTitle{};
        // Each may be empty; the word counter's does nothing while it is hidden.
        std::function<void()> updateWordCounter{};
        std::function<void()> updatePageUpDownControl{};
        std::function<void()> updateContextualMenu{};
        // Whether a pasted picture that names a file (by a "file:" URL or a
        // path) is one the document's save keeps; when empty, none is.
        std::function<bool(std::string_view source)> keepsPictureFile{};
        // Says that pictures were left out of a paste; may be empty.
        std::function<void(std::shared_ptr<AlertController> alert)> presentAlert{};
    };

    // What differs between pages. By default the scripts of a page that
    // edits its own document with execCommand inside the element "content".
    struct PageScripts {
        // Inserts HTML at the caret; "{}" is the place of its script literal.
        std::string insertHTML = "document.execCommand('insertHTML', false, {});";
        // The caret's font family, without single quotes, and its colour.
        std::string fontName = "document.queryCommandValue('fontName').replace(/'/g,'')";
        std::string foreColor = "document.queryCommandValue('foreColor')";
        // Whether pasted plain text takes the caret's font and colour too, not
        // only its size: where the two scripts above read the editing page
        // itself (the rich-text page; the QV page edits inside a frame).
        bool plainTextTakesCaretFontAndColour = false;
        // Deletes the selection once a cut has copied it.
        std::string deleteSelection = "document.execCommand('delete', false, null)";
        // Puts the caret at a point of the page view ("{}" the places of x
        // and y), where a dropped picture goes in.
        std::string caretToPoint = "folioPlaceCaretAtPoint({}, {})";
        // Sent once the page is ready, so that the page's pastes come to the
        // editor as "pasteEvent"; empty when the page does so by itself.
        std::string handOverPastes = "document.getElementById('content').onpaste=function(event){"
                                     "event.preventDefault();folioSendPageMessage('pasteEvent');}";
    };

    ClipboardCommander(PageConnection& page, Pasteboard& pasteboard, Host host);
    ClipboardCommander(PageConnection& page, Pasteboard& pasteboard, Host host, PageScripts scripts);
    ~ClipboardCommander() override;
    ClipboardCommander(const ClipboardCommander&) = delete;
    ClipboardCommander& operator=(const ClipboardCommander&) = delete;

    // Hands the page's pastes to the editor: the page's own paste would
    // insert the pasteboard's markup unchecked.
    void pageDidBecomeReady();

    // Neither marks the document changed: the cut's deletion is reported
    // by the page itself.
    void copySelection() { copyToPasteboard(false); }
    void cutSelection() { copyToPasteboard(true); }

    // The page's paste and the edit menu's: rich where the pasteboard holds
    // rich content.
    void paste() { pasteRichText2(); }
    void pasteRichText() { pasteRichText2(); }
    void pasteRichText2();
    // "Paste As Plain Text".
    void paste2();
    // What another program dropped on the page, as the page describes it
    // (a JSON object of its "html" and "text"): made safe and inserted at
    // the caret as the rich paste inserts the same content, so that a drop
    // brings in nothing a paste would not. The plain text stands for a whole
    // web page's HTML. Answers false, inserting nothing, for a description
    // that holds neither.
    bool dropDescribedByPage(std::string_view described);

    // The web archive of a copied selection's HTML: a main resource with all
    // five properties set (an empty frame name, "about:blank" as its URL).
    static TEWebArchive webArchiveForHTML(const std::string& html);

    // The page view accepts drops with this commander as their delegate.
    void prepareWebViewText(View& webView);

    // What a paste that left out pictures of this machine's files says.
    static std::shared_ptr<AlertController> picturesLeftOutAlert();

    // DropInteractionDelegate. Text dragged over the page marks the document
    // changed at once, even if the drop is then cancelled.
    bool dropInteractionCanHandleSession(const DropSession& session) override;
    DropProposal dropInteractionSessionDidUpdate(const DropSession& session) override;
    // Only JPEG pictures are taken; a drop of nothing else is refused.
    bool dropInteractionPerformDrop(const DropSession& session) override;
    const std::optional<DropProposal>& latestDropProposal() const { return m_latestDropProposal; }

private:
    void copyToPasteboard(bool cut);
    // The HTML of the pasteboard's rich content: a web archive's main
    // resource, or HTML another program put there.
    std::optional<std::string> pasteboardHTML() const;
    // `plainText` is the same content's text, inserted instead when the HTML
    // is a whole page.
    void insertRichHTML(const std::string& html, const std::u16string& plainText);
    void insertPlainText(const std::u16string& text);
    void insertPicture(const Image::Pointer& image, bool autoResize, bool fitForPaste);
    // The size pasted text takes, that of the text at the caret; none
    // without a host to ask.
    std::optional<int> caretPixelSize() const;
    // What the page says of the text at the caret, which pasted text takes.
    struct CaretLooks {
        std::optional<int> pixelSize;
        std::string fontFamily;
        std::string color;
    };
    CaretLooks caretLooks();
    // The caret's looks that pasted plain text takes.
    CaretLooks plainTextLooks();
    void sendInsertion(const std::string& html, bool waiting);
    void afterPaste();

    PageConnection& m_page;
    Pasteboard& m_pasteboard;
    Host m_host;
    PageScripts m_scripts;
    std::optional<DropProposal> m_latestDropProposal;
};

} // namespace folio
