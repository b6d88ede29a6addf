#include "webeditor/ClipboardCommander.h"

#include "engine/html/HTMLSanitizer.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "foundation/graphics/ImageResize.h"
#include "foundation/files/TEWebArchive.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributedString.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/View.h"
#include "webeditor/ClipboardHTML.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {

void call(const std::function<void()>& step)
{
    if (step)
        step();
}

// Other programs may offer HTML as UTF-16 with a byte-order mark.
std::string htmlText(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        bool little = bytes[0] == 0xFF;
        std::u16string text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<char16_t>(little ? bytes[i] | (bytes[i + 1] << 8) : (bytes[i] << 8) | bytes[i + 1]));
        return toUtf8(text);
    }
    return toUtf8(toUtf16(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
}

} // namespace

ClipboardCommander::ClipboardCommander(PageConnection& page, Pasteboard& pasteboard, Host host)
    : ClipboardCommander(page, pasteboard, std::move(host), PageScripts{})
{
}

ClipboardCommander::ClipboardCommander(PageConnection& page, Pasteboard& pasteboard, Host host, PageScripts scripts)
    : m_page(page), m_pasteboard(pasteboard), m_host(std::move(host)), m_scripts(std::move(scripts))
{
}

ClipboardCommander::~ClipboardCommander()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void ClipboardCommander::pageDidBecomeReady()
{
    if (!m_scripts.handOverPastes.empty())
        m_page.send(m_scripts.handOverPastes);
}

TEWebArchive ClipboardCommander::webArchiveForHTML(const std::string& html)
{
    TEWebResource page{std::vector<std::uint8_t>(html.begin(), html.end()), "about:blank", "text/html", "UTF-8", ""};
    return TEWebArchive(std::move(page), std::nullopt, std::nullopt);
}

void ClipboardCommander::copyToPasteboard(bool cut)
{
    std::string text = m_page.readString("window.getSelection().toString()");
    std::string html = m_page.readString("getSelectionHtml()");
    // Nothing selected (or no page to ask): the user's clipboard stays.
    if (text.empty() && html.empty())
        return;
    // What leaves the editor for other programs carries nothing that runs.
    html = HTMLSanitizer::sanitizedHTML(html);
    Result<std::vector<std::uint8_t>> archive = webArchiveForHTML(html).data(PropertyList::Format::XML);
    PasteboardItem item;
    if (archive)
        item[kPasteboardTypeWebArchive] = std::move(*archive);
    else
        TELog(TELogLevelWarning, "The copied selection goes without its formatting: " + archive.error().message);
    item[kPasteboardTypeHTML] = std::vector<std::uint8_t>(html.begin(), html.end());
    item[kPasteboardTypeUTF8PlainText] = std::vector<std::uint8_t>(text.begin(), text.end());
    m_pasteboard.setItems({std::move(item)});
    if (cut)
        m_page.read(m_scripts.deleteSelection);
}

std::optional<std::string> ClipboardCommander::pasteboardHTML() const
{
    if (std::optional<TEWebArchive> archive = TEWebArchive::webArchiveFromPasteboard(m_pasteboard)) {
        if (archive->mainResource() && archive->mainResource()->data)
            return htmlText(*archive->mainResource()->data);
    }
    if (std::optional<std::vector<std::uint8_t>> html = m_pasteboard.dataForPasteboardType(kPasteboardTypeHTML))
        return htmlText(*html);
    return std::nullopt;
}

void ClipboardCommander::pasteRichText2()
{
    if (std::optional<std::string> html = pasteboardHTML()) {
        insertRichHTML(*html, m_pasteboard.string().value_or(u""));
    } else if (Image::Pointer image = m_pasteboard.image()) {
        insertPicture(image, false, true);
    } else if (std::optional<std::u16string> text = m_pasteboard.string()) {
        insertPlainText(*text);
    }
    call(m_host.updateWordCounter);
    call(m_host.updatePageUpDownControl);
    ProgressHUD::dismiss();
}

bool ClipboardCommander::dropDescribedByPage(std::string_view described)
{
    Result<PropertyList> parsed = JSONReader::read(std::string(described));
    if (!parsed || parsed->type() != PropertyList::Type::Dictionary) {
        TELog(TELogLevelWarning, "The page reported a drop it did not describe");
        return false;
    }
    auto member = [&](std::string_view key) {
        const PropertyList* value = parsed->objectForKey(key);
        const std::string* text = value ? value->stringValue() : nullptr;
        return text ? *text : std::string();
    };
    std::string html = member("html");
    std::u16string text = toUtf16(member("text"));
    if (!html.empty())
        insertRichHTML(html, text);
    else if (!text.empty())
        insertPlainText(text);
    else
        return false;
    call(m_host.documentIsDirty);
    return true;
}

void ClipboardCommander::insertPlainText(const std::u16string& text)
{
    TEHTMLWriterSettings settings;
    settings.fileName = m_host.documentTitle ? m_host.documentTitle() : std::string();
    std::u16string written = htmlString(AttributedString(text), settings);
    const CaretLooks looks = plainTextLooks();
    std::string span = ClipboardHTML::plainInsertionSpan(ClipboardHTML::fragmentFromWrittenText(written), looks.pixelSize,
                                                         looks.fontFamily, looks.color);
    sendInsertion(HTMLSanitizer::sanitizedHTML(span, HTMLSanitizer::Use::Insertion), false);
}

void ClipboardCommander::insertRichHTML(const std::string& html, const std::u16string& plainText)
{
    std::u16string fragment;
    // A picture the page would show from a file that the save then drops
    // is left out at once, and the user told.
    bool picturesLeftOut = false;
    auto keepsPictureFile = [this, &picturesLeftOut](std::string_view source) {
        bool kept = m_host.keepsPictureFile && m_host.keepsPictureFile(source);
        picturesLeftOut = picturesLeftOut || !kept;
        return kept;
    };
    // A whole page copied from a browser goes in as its text, with its
    // addresses linked, rather than as the page's markup.
    if (hasPrefix(std::string_view(html), std::string_view("<!DOCTYPE html")))
        fragment = ClipboardHTML::fragmentFromPlainTextOfPage(plainText);
    else
        fragment = ClipboardHTML::fragmentFromCopiedHTML(html, keepsPictureFile);
    const CaretLooks looks = caretLooks();
    sendInsertion(ClipboardHTML::insertionSpan(fragment, looks.fontFamily, looks.pixelSize.value_or(0), looks.color), false);
    if (picturesLeftOut && m_host.presentAlert)
        m_host.presentAlert(picturesLeftOutAlert());
}

ClipboardCommander::CaretLooks ClipboardCommander::plainTextLooks()
{
    if (m_scripts.plainTextTakesCaretFontAndColour)
        return caretLooks();
    return CaretLooks{caretPixelSize(), {}, {}};
}

ClipboardCommander::CaretLooks ClipboardCommander::caretLooks()
{
    // Pasted text, plain or rich, reads on as typed text would: in the
    // font, size and colour at the caret, not in the paragraph's.
    CaretLooks looks{caretPixelSize(), m_page.readString(m_scripts.fontName), m_page.readString(m_scripts.foreColor)};
    std::erase(looks.fontFamily, '"');
    return looks;
}

std::shared_ptr<AlertController> ClipboardCommander::picturesLeftOutAlert()
{
    auto alert = AlertController::make(
        toUtf16(Localization::localizedString("Pictures Not Pasted")),
        toUtf16(Localization::localizedString("Pictures that are files on this computer are not pasted with the "
                                              "text. To add one, use Insert Image.")));
    alert->addAction(AlertAction::make(toUtf16(Localization::localizedString("OK")), AlertActionStyle::Default));
    return alert;
}

void ClipboardCommander::paste2()
{
    if (Image::Pointer image = m_pasteboard.image()) {
        insertPicture(image, false, true);
        call(m_host.documentIsDirty);
    } else if (std::optional<std::u16string> text = m_pasteboard.string()) {
        const CaretLooks looks = plainTextLooks();
        sendInsertion(ClipboardHTML::plainInsertionSpan(ClipboardHTML::plainTextFragment(*text), looks.pixelSize,
                                                        looks.fontFamily, looks.color),
                      true);
    }
    call(m_host.updateContextualMenu);
    call(m_host.updateWordCounter);
    if (m_host.updatePageUpDownControl) {
        RunLoop::main().cancelPreviousPerformRequests(this, "updatePageUpDownControl");
        RunLoop::main().performSelectorAfterDelay(this, "updatePageUpDownControl", {}, kPageUpDownDelaySeconds,
                                                  [this] { call(m_host.updatePageUpDownControl); });
    }
    ProgressHUD::dismiss();
}

std::optional<int> ClipboardCommander::caretPixelSize() const
{
    if (!m_host.biggestFontSize)
        return std::nullopt;
    return m_host.biggestFontSize();
}

void ClipboardCommander::sendInsertion(const std::string& html, bool waiting)
{
    std::string script = PageScript::fill(m_scripts.insertHTML, {html});
    if (waiting)
        m_page.read(script);
    else
        m_page.send(script);
}

void ClipboardCommander::insertPicture(const Image::Pointer& image, bool autoResize, bool fitForPaste)
{
    if (!m_host.insertImage || !image)
        return;
    Image::Pointer picture = image;
    if (fitForPaste) {
        Result<Image::Pointer> fitted =
            ImageResize::resizedImageToFitInSize(image, Size{kPastedPictureSide, kPastedPictureSide}, false);
        if (!fitted) {
            TELog(TELogLevelWarning, "The pasted picture could not be fitted: " + fitted.error().message);
            return;
        }
        picture = *fitted;
    }
    m_host.insertImage(picture, autoResize);
}

void ClipboardCommander::prepareWebViewText(View& webView)
{
    webView.setDropDelegate(this);
    webView.setUserInteractionEnabled(true);
}

bool ClipboardCommander::dropInteractionCanHandleSession(const DropSession& session)
{
    for (const DropItem& item : session.items) {
        if (item.hasItemConformingToType(kRichContentPasteType) || item.hasItemConformingToType(kTextType)) {
            call(m_host.documentIsDirty);
            return true;
        }
    }
    return false;
}

DropProposal ClipboardCommander::dropInteractionSessionDidUpdate(const DropSession&)
{
    m_latestDropProposal = DropProposal{DropOperation::Copy};
    return *m_latestDropProposal;
}

bool ClipboardCommander::dropInteractionPerformDrop(const DropSession& session)
{
    std::vector<Image::Pointer> pictures;
    for (const DropItem& item : session.items) {
        if (!item.hasItemConformingToType(kJPEGType) || !item.loadFile)
            continue;
        std::optional<std::string> path = item.loadFile(kJPEGType);
        if (!path)
            continue;
        Result<Image::Pointer> image = Image::imageWithContentsOfFile(*path);
        if (!image) {
            TELog(TELogLevelWarning, "The dropped file holds no picture: " + image.error().message);
            continue;
        }
        pictures.push_back(*image);
    }
    // The pictures go in where they were dropped: a page just opened has no
    // caret, and they would be lost.
    if (!pictures.empty() && session.location)
        m_page.send(PageScript::fill(m_scripts.caretToPoint, {session.location->x, session.location->y}));
    for (const Image::Pointer& picture : pictures)
        insertPicture(picture, true, false);
    return !pictures.empty();
}

} // namespace folio
