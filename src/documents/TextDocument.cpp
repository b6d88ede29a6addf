#include "documents/TextDocument.h"

#include "documents/DocumentPageSettings.h"
#include "documents/DocumentSeeds.h"
#include "documents/DocumentText.h"
#include "documents/EditingPageEstimate.h"
#include "documents/EditorController.h"
#include "documents/EditorMakers.h"
#include "documents/DocumentSizeLimits.h"
#include "documents/MarkdownEditorController.h"
#include "documents/PageSizes.h"
#include "documents/RichTextPageLimits.h"
#include "formats/rtf/DKRTFLegacyAnnotations.h"
#include "formats/rtf/DKRTFPageSettings.h"
#include "formats/rtf/DKRTFUnstatedPage.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NumberScanning.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/View.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>
#include <map>
#include <mutex>

namespace folio {

namespace {

// Decoding errors told in the document's own codes.
Error inDocumentCodes(const Error& error)
{
    if (error.domain != DocumentText::kErrorDomain)
        return error;
    TextDocument::ErrorCode code =
        error.code == DocumentText::Damaged ? TextDocument::CorruptQVFile : TextDocument::UndecodableText;
    return Error{TextDocument::kErrorDomain, code, error.message};
}

Result<std::u16string> inDocumentCodes(Result<std::u16string> text)
{
    if (text)
        return text;
    return inDocumentCodes(text.error());
}

// The QV files this program wrote blank, with the page each was given,
// whose editor has not yet set the page up. The browser opens a new file as
// a document of its own, which must still know that it is new: its first
// branch takes the caret and its ruler does not take the margins another
// document left. Only a file that still holds exactly that page counts: a
// new one is saved as its seed until its page loads, which must never
// happen to anything else found under the same name.
std::mutex gCreatedBlankMutex;
std::map<std::string, std::string> gCreatedBlank;

bool holdsNothing(std::u16string_view text)
{
    return text.find_first_not_of(u" \t\r\n\f") == std::u16string_view::npos;
}

// The shared read.
Result<std::u16string> readText(const std::string& url, DocumentKind kind)
{
    return inDocumentCodes(DocumentText::read(url, kind));
}

} // namespace

TextDocument::TextDocument(std::string fileURL, std::shared_ptr<RichTextConverter> converter)
    : DKDocument(std::move(fileURL))
    , m_converter(converter ? std::move(converter)
                            : RichTextConverter::engineConverter(HTMLReaderOptions(UserDefaults::standardUserDefaults())))
{
}

TextDocument::~TextDocument() = default;

TEHTMLReaderOptions TextDocument::HTMLReaderOptions(const UserDefaults& defaults)
{
    // The editors keep the user's default font in the user defaults; its
    // size is stored as a float.
    TEHTMLReaderOptions options;
    options.defaultFontFamily = defaults.stringForKey("defaultFont");
    options.defaultFontSize = defaults.doubleForKey("defaultFontSize").value_or(0);
    return options;
}

Status TextDocument::initWithContentsOfTemplateAtURL(const std::optional<std::string>& templateURL,
                                                     const std::string& destinationURL)
{
    if (Status base = DKDocument::initWithContentsOfTemplateAtURL(templateURL, destinationURL); !base)
        return base;
    m_isNewEmptyDocument = true;
    if (templateURL) {
        // A copy that fails shows when the destination is read.
        FileManager::copyItem(*templateURL, destinationURL);
        return Status::success();
    }
    setText(std::u16string());
    m_scrollOffsetBookmark = "0";
    m_leftMargin = m_rightMargin = m_topMargin = m_bottomMargin = std::string(kDefaultMargin);
    m_scale = 1.0;
    m_isNewBlankDocument = true;
    return Status::success();
}

// --- Reading ---

Status TextDocument::readFromURL(const std::string& url)
{
    DocumentKind kind = documentKindForPath(url);
    m_isTeXDocument = kind == DocumentKind::TeX;
    switch (kind) {
    case DocumentKind::Markdown:
    case DocumentKind::TeX:
        return readTextFile(url);
    case DocumentKind::QVText:
    case DocumentKind::QVOutline:
        return readQVFile(url, kind);
    case DocumentKind::RTF:
        return readRTFFile(url);
    }
    return Status::success();
}

Status TextDocument::readTextFile(const std::string& url)
{
    Result<Data> bytes = DocumentText::readBytes(url);
    if (!bytes)
        return bytes.error();
    Result<std::u16string> text =
        inDocumentCodes(DocumentText::decode(bytes->span(), m_isTeXDocument ? DocumentKind::TeX : DocumentKind::Markdown, url));
    if (!text)
        return text.error();
    if (Status fits = DocumentSizeLimits::checkEditorText(*text, url); !fits)
        return fits;
    {
        std::lock_guard lock(m_textMutex);
        m_textFileForm = TextFileForm::of(bytes->span(), *text);
    }
    setText(TextFileForm::editableText(*text));
    if (!m_isTeXDocument)
        m_isMDDocument = true;
    return Status::success();
}

void TextDocument::setIsNewBlankDocument(bool blank)
{
    m_isNewBlankDocument = blank;
    if (!blank) {
        std::lock_guard lock(gCreatedBlankMutex);
        gCreatedBlank.erase(fileURL());
    }
}

void TextDocument::rememberBlankPage(const std::string& page)
{
    std::lock_guard lock(gCreatedBlankMutex);
    gCreatedBlank[fileURL()] = page;
}

Status TextDocument::readQVFile(const std::string& url, DocumentKind kind)
{
    // A file that does not inflate or decode is refused rather than opened
    // empty: the next autosave would otherwise replace it with nothing.
    Result<std::u16string> text = readText(url, kind);
    if (!text)
        return text.error();
    if (Status fits = DocumentSizeLimits::checkQVPage(*text, kind, url); !fits)
        return fits;
    setText(*text);
    {
        std::lock_guard lock(gCreatedBlankMutex);
        if (auto made = gCreatedBlank.find(url); made != gCreatedBlank.end()) {
            m_isNewBlankDocument = toUtf8(*text) == made->second;
            gCreatedBlank.erase(made);
        }
    }
    // An outline file that holds nothing (made empty by another program or
    // by hand) opens as a new outline, with its date line and first branch:
    // a page without the tree gives the outline's keys nowhere to write.
    if (kind == DocumentKind::QVOutline && holdsNothing(*text)) {
        if (Result<std::string> seed = DocumentSeeds::outlineSeedPage(std::chrono::system_clock::now())) {
            setText(toUtf16(*seed));
            m_isNewBlankDocument = true;
        }
    }
    if (kind == DocumentKind::QVText)
        m_isQVTextDocument = true;
    else
        m_isQVOutlineDocument = true;
    return Status::success();
}

Status TextDocument::readRTFFile(const std::string& url)
{
    Result<Data> fileBytes = DocumentText::readBytes(url);
    if (!fileBytes)
        return inDocumentCodes(fileBytes.error());
    // An empty file (one just made by another program) is an empty
    // document, as its export is: it opens to be written in.
    static const Data kEmptyDocument = Data::fromString("{\\rtf1}");
    const Data* bytes = fileBytes->length() == 0 ? &kEmptyDocument : &*fileBytes;
    // The bytes are read where they lie: decoded to text first, the 8-bit
    // bytes of a code-page file would become longer UTF-8 and "\bin" would
    // count data that is not there, reading the rest of it as words.
    Result<DKRTFReaderSource> source = DocumentText::rtfSource(bytes->span(), url);
    if (!source)
        return inDocumentCodes(source.error());
    // A file that does not start as RTF is refused; the decoding says why
    // when the reason is its bytes.
    if (!source->startsAsRTF()) {
        if (Result<std::u16string> text = inDocumentCodes(DocumentText::decode(bytes->span(), DocumentKind::RTF, url)); !text)
            return text.error();
    }

    std::string name = std::filesystem::path(url).filename().string();
    // A document whose page would be too large for the editor is refused as
    // soon as that shows while it is read, before the page is made: making
    // it takes as long again as the read, and the memory of both.
    EditingPageEstimate estimate(*m_converter, AppFolders::pictureDocumentName(url));
    Status pageFits = Status::success();
    DKRTFReadWatch watch;
    watch.goOn = [&](const AttributedString& textSoFar) {
        pageFits = DocumentSizeLimits::checkRichTextPageEstimate(estimate.grownTo(textSoFar), url);
        return pageFits.ok();
    };
    Result<DKRTFReadResult> read = m_converter->readRTF(*source, name, &watch);
    if (!pageFits)
        return pageFits;
    if (!read)
        return Error{kErrorDomain, RTFReadFailed, "Could not read " + url + ": " + read.error().message};
    // The end of the text, after the last look the read gave.
    if (Status fits = DocumentSizeLimits::checkRichTextPageEstimate(estimate.grownTo(read->text), url); !fits)
        return fits;
    // Read by what the reader kept, not by the words of the file: a table
    // mark spelled out in the text is no table.
    // Text in raw bytes of a two-byte code page is read byte by byte, as
    // other characters: shown, but never written back over the file.
    m_holdsCodePageText = DocumentText::holdsRawDoubleByteText(bytes->span());
    m_isRTFDocument = !RichTextPageLimits::constructsThePageCannotHold(read->text).empty() || m_holdsCodePageText;
    // A file that may not be written opens read-only in the native viewer,
    // which shows the text as it was read.
    if (m_isRTFDocument || !FileManager::isWritableFile(url))
        setRTFtext(read->text);
    m_paperColor = read->paperColor;
    // The comments side file of a first-version document goes where those
    // versions kept it; the document reads the same whether or not it could
    // be stored, and a failure is logged where it happens.
    if (read->legacyAnnotations)
        (void)DKRTFLegacyAnnotations::store(name, *read->legacyAnnotations);
    // The document's page settings stay with it, handed to its editor; the
    // user's store holds the user's preferences only.
    m_settings = DocumentPageSettings::overUserSettings(read->pageSettings, UserDefaults::standardUserDefaults());
    MutableAttributedString attributed(read->text);

    std::optional<Result<RichTextConverter::EditingPage>> page;
    DispatchQueue::global(DispatchQueue::Priority::High).sync([&] {
        page = m_converter->editingPageFromAttributedString(attributed, AppFolders::pictureDocumentName(url));
    });
    if (!*page)
        return Error{kErrorDomain, ConversionFailed, "Could not show " + url + ": " + (*page).error().message};
    if (Status fits = DocumentSizeLimits::checkRichTextPage((*page)->html.size(), url); !fits)
        return fits;
    m_pageLanguages = std::move((*page)->languages);
    std::string pageHTML = std::move((*page)->html);
    // The writer grows the string by doubling: it would keep up to twice the
    // text's size for as long as the document is open.
    pageHTML.shrink_to_fit();
    adoptPageHTML(std::move(pageHTML));
    return Status::success();
}

// --- Fields ---

UserDefaults& TextDocument::settings() const
{
    return m_settings ? *m_settings : UserDefaults::standardUserDefaults();
}

void TextDocument::paperSizeWasChosen()
{
    // Other documents keep no page of their own: the choice is the user's.
    if (!m_settings)
        return;
    DKRTFUnstatedPage unstated =
        DKRTFUnstatedPage::fromText(m_settings->stringForKey(DKRTFPageSettings::kUnstatedPageKey).value_or(""));
    if (!unstated.paper)
        return;
    const Size paper = PageSizes::chosenPageSize(*m_settings, PageSizes::kFallbackSize);
    m_settings->setDouble(DKRTFPageSettings::kPaperWidthKey, paper.width);
    m_settings->setDouble(DKRTFPageSettings::kPaperHeightKey, paper.height);
    unstated.paper = false;
    if (unstated.isEmpty())
        m_settings->removeObjectForKey(DKRTFPageSettings::kUnstatedPageKey);
    else
        m_settings->setString(DKRTFPageSettings::kUnstatedPageKey, unstated.text());
}

std::u16string TextDocument::text() const
{
    if (m_editorHasNewerText)
        takeTextFromEditor();
    std::lock_guard lock(m_textMutex);
    // Kept in UTF-8: a long document's text in UTF-16 would be twice the size.
    if (m_keptPage.holdsHTML())
        return toUtf16(m_keptPage.html());
    return m_text;
}

KeptPageHTML::Shared TextDocument::sharedPageHTML() const
{
    std::lock_guard lock(m_textMutex);
    if (m_keptPage.holdsHTML())
        return m_keptPage.shared();
    auto html = std::make_shared<const std::string>(toUtf8(m_text));
    return KeptPageHTML::Shared{html, *html};
}

std::string TextDocument::pageHTML() const
{
    std::lock_guard lock(m_textMutex);
    if (m_keptPage.holdsHTML())
        return m_keptPage.html();
    return toUtf8(m_text);
}

void TextDocument::adoptPageHTML(std::string&& html)
{
    auto owned = std::make_shared<const std::string>(std::move(html));
    // Its editor reads it at once to show it.
    keepPageHTML(owned, *owned, KeptPageHTML::Packing::AfterFirstRead);
}

void TextDocument::takeTextFromEditor() const
{
    // The editor's text view lives on the main thread; a save on the file
    // queue waits there for it, as it waits for a web editor's page.
    dispatchSyncMain([this] {
        if (!m_editorHasNewerText.exchange(false))
            return;
        const auto* editor = dynamic_cast<const MarkdownEditorController*>(m_editor.get());
        if (!editor)
            return;
        std::u16string latest = editor->text();
        std::lock_guard lock(m_textMutex);
        m_keptPage.clear();
        m_text = std::move(latest);
    });
}

void TextDocument::setText(std::optional<std::u16string_view> text)
{
    if (!text)
        return;
    std::lock_guard lock(m_textMutex);
    m_keptPage.clear();
    if (m_text != *text)
        m_text = std::u16string(*text);
}

void TextDocument::keepPageHTML(std::shared_ptr<const void> owner, std::string_view html, KeptPageHTML::Packing packing)
{
    std::lock_guard lock(m_textMutex);
    if (!owner)
        return;
    m_keptPage.keep(std::move(owner), html, packing);
    // Superseded: a long document's text is megabytes.
    std::u16string().swap(m_text);
}

std::optional<MutableAttributedString> TextDocument::RTFtext() const
{
    std::lock_guard lock(m_textMutex);
    return m_RTFtext;
}

bool TextDocument::hasRTFtext() const
{
    std::lock_guard lock(m_textMutex);
    return m_RTFtext.has_value();
}

void TextDocument::setRTFtext(std::optional<AttributedString> text)
{
    std::lock_guard lock(m_textMutex);
    if (!text)
        m_RTFtext.reset();
    else
        m_RTFtext.emplace(*text);
}

std::optional<MutableAttributedString> TextDocument::attributedText() const
{
    std::lock_guard lock(m_textMutex);
    return m_attributedText;
}

void TextDocument::setAttributedText(std::optional<AttributedString> text)
{
    std::lock_guard lock(m_textMutex);
    if (!text)
        m_attributedText.reset();
    else
        m_attributedText.emplace(*text);
}

void TextDocument::setScale(double scale)
{
    m_scale = scale;
    if (m_editor)
        m_editor->setScale(scale);
}

unsigned long TextDocument::integerValueFromHex(std::string_view text)
{
    const std::u16string wide = toUtf16(text);
    const std::size_t start = std::min(wide.find_first_not_of(u" \t\n"), wide.size());
    unsigned long long value = 0;
    if (scanHexadecimalInteger(wide, start, &value, std::numeric_limits<unsigned long>::max()) == start)
        return 0;
    return static_cast<unsigned long>(value);
}

std::string TextDocument::lastPathComponent() const
{
    return std::filesystem::path(fileURL()).filename().string();
}

// --- Editors ---

std::shared_ptr<ViewController> TextDocument::makeViewController()
{
    m_editor = EditorMakers::make(EditorKind::RichText, *this);
    m_editorIsViewer = false;
    return m_editor;
}

std::shared_ptr<ViewController> TextDocument::makeRTFViewController()
{
    m_editor = EditorMakers::make(EditorKind::RTFViewer, *this);
    m_editorIsViewer = true;
    return m_editor;
}

std::shared_ptr<ViewController> TextDocument::makeQVTextViewController()
{
    m_editor.reset();
    m_editor = EditorMakers::make(EditorKind::QVText, *this);
    m_editorIsViewer = false;
    return m_editor;
}

std::shared_ptr<ViewController> TextDocument::makeQVOutlineViewController()
{
    m_editor.reset();
    m_editor = EditorMakers::make(EditorKind::QVOutline, *this);
    m_editorIsViewer = false;
    return m_editor;
}

std::shared_ptr<ViewController> TextDocument::makeMDViewController()
{
    // Taken before the editor is replaced: an earlier editor may still hold
    // edits the document has not had yet.
    const std::u16string current = text();
    std::shared_ptr<MarkdownEditorController> editor = EditorMakers::makeMarkdown(*this);
    // Kept as this document's editor, so that closing and zooming reach it.
    m_editor = editor;
    m_editorIsViewer = false;
    if (editor) {
        editor->setIsTeXFormat(m_isTeXDocument);
        editor->setText(current);
    }
    setScale(1.0);
    return editor;
}

std::shared_ptr<ViewController> TextDocument::documentViewController() const
{
    return m_editor;
}

std::shared_ptr<NavigationController> TextDocument::viewControllerToPresent()
{
    bool made = existingViewControllerToPresent() == nullptr;
    std::shared_ptr<NavigationController> navigation = DKDocument::viewControllerToPresent();
    if (made && UserDefaults::standardUserDefaults().boolForKey("darknightMode").value_or(false))
        navigation->view()->setBackgroundColor(Color::colorWithRed(47 / 255.0, 47 / 255.0, 47 / 255.0, 1));
    return navigation;
}

void TextDocument::didClose()
{
    DKDocument::didClose();
    // The native viewer keeps nothing for the document.
    if (m_editor && !m_editorIsViewer)
        m_editor->documentDidClose();
    setViewControllerToPresent(nullptr);
}

void TextDocument::takePendingEdits(EditsTaken done)
{
    if (!m_editor || m_editorIsViewer) {
        done(Status::success());
        return;
    }
    m_editor->whenTypedKeysTaken(std::move(done));
}

bool TextDocument::refusesSaves() const
{
    return DKDocument::refusesSaves() || m_isRTFDocument;
}

Status TextDocument::writeContents(const Data& contents, const std::string& url, SaveOperation operation,
                                   const std::string& originalContentsURL)
{
    Status written = DKDocument::writeContents(contents, url, operation, originalContentsURL);
    if (written)
        didWriteToURL(url);
    return written;
}

int TextDocument::getDeviceScreenSize(const Device& device)
{
    if (device.userInterfaceIdiom() != UserInterfaceIdiom::Phone)
        return 0;
    const Rect bounds = device.screenBounds();
    const bool landscape = device.orientation() == DeviceOrientation::LandscapeLeft
                           || device.orientation() == DeviceOrientation::LandscapeRight;
    const bool large = landscape ? bounds.width() > 480 : bounds.height() >= 568;
    return large ? 2 : 1;
}

} // namespace folio
