#include "formats/rtf/DKRTFWriter.h"

#include "formats/rtf/DKRTFShapeGroup.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEShapePlace.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "engine/attachments/TETextAttachment.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionaryAccess.h"
#include "platform/text/AttributedStringQueries.h"

namespace folio {

namespace {

// A CSS pixel is three quarters of a point, a point twenty twips.
constexpr double kTwipsPerPixel = 15;

std::string hexString(const Data& data)
{
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(data.length() * 2);
    for (std::uint8_t byte : data.span()) {
        hex.push_back(kHexDigits[byte >> 4]);
        hex.push_back(kHexDigits[byte & 0xF]);
    }
    return hex;
}

// Table keys count only when present with a value other than 0: the reader
// puts them at 0 on every run outside a table.
bool hasTableKey(const AttributeDictionary& attributes, std::string_view key)
{
    if (!attributes.containsKey(key))
        return false;
    const AttributeValuePtr& value = attributes.valueForKey(key);
    if (value->as<IntegerValue>() || value->as<DoubleValue>() || value->as<BoolValue>()
        || value->as<StringValue>())
        return intForKey(attributes, key, 0) != 0;
    return true;
}

} // namespace

std::optional<std::string> DKRTFWriter::convertImageToHex(const std::string& path)
{
    auto data = Data::dataWithContentsOfFile(path);
    if (!data)
        return std::nullopt;
    return hexString(*data);
}

std::string DKRTFWriter::picturePath(const TETextAttachment& attachment, bool namedPicture) const
{
    if (!attachment.contentURL())
        return {};
    const URL& url = *attachment.contentURL();
    // Named JPEG pictures keep their original bytes beside the re-encoded file.
    if (namedPicture && attachment.fileType() == "jpegblip")
        return url.path() + ".data";
    if (url.absoluteString().starts_with("file:"))
        return url.path();
    return AppFolders::documentsFolder() + "/" + url.path();
}

std::string DKRTFWriter::pictureHex(const TETextAttachment& attachment, bool namedPicture) const
{
    std::string path = picturePath(attachment, namedPicture);
    if (!path.empty()) {
        if (auto hex = convertImageToHex(path))
            return std::move(*hex);
    }
    // NOTE: a picture whose file is gone is written from the bytes the
    // attachment still holds (pictures read from RTF carry them); with none
    // there is nothing to write.
    if (const Data* data = attachment.contentsData())
        return hexString(*data);
    // A named JPEG without its original bytes still has its shown file.
    if (namedPicture && attachment.fileType() == "jpegblip")
        return pictureHex(attachment, false);
    return {};
}

void DKRTFWriter::writePictureReference(const std::string& name, Size display)
{
    m_buffer.appendCString("{{\\NeXTGraphic ");
    // Braces and backslashes would end the name early, or the file.
    std::string written;
    for (char unit : name)
        if (unit != '{' && unit != '}' && unit != '\\')
            written += unit;
    m_buffer.appendCString(written.c_str());
    m_buffer.appendCString(" \\width");
    m_buffer.appendRoundedNumber(display.width);
    m_buffer.appendCString(" \\height");
    m_buffer.appendRoundedNumber(display.height);
    // The not sign (U+00AC) stands for the picture in the text; escaped,
    // since the document's code page is Windows-1252.
    m_buffer.appendCString("}\\'ac}");
}

const std::u16string* DKRTFWriter::shapePlaceOf(const TETextAttachment& picture)
{
    // A picture of a word processor's shape goes back in its shape, at the
    // shape's place, unless it was taken out of the text's wrap: the shape
    // would wrap it again.
    const std::u16string* shape = picture.attributeForKey(TEShapePlace::kAttributeKey);
    const bool inShape = shape && TEShapePlace::isWellFormed(*shape)
        && (picture.wrapAlignment() != TEWrapAlignment::None || !TEShapePlace::wrapsText(*shape));
    return inShape ? shape : nullptr;
}

void DKRTFWriter::writeEmbeddedPicture(const TETextAttachment& attachment, const std::string& hex, const char* opening)
{
    const Size display = attachment.displaySize();
    // A picture read from another program's picture group carries neither
    // its type nor its size in pixels: it is declared by its bytes, so that
    // a PNG is not announced to other readers as JPEG data, and sized as shown.
    const Size held = attachment.originalSize();
    const Size original = held.width > 0 && held.height > 0 ? held : display;
    const bool png = attachment.fileType() == "pngblip"
        || (attachment.fileType().empty() && hex.starts_with("89504e470d0a1a0a"));
    m_buffer.appendCString(opening);
    m_buffer.appendCString(png ? "\\pngblip" : "\\jpegblip");
    m_buffer.appendCString("\\wraptext");
    m_buffer.appendCString(std::to_string(static_cast<std::uint32_t>(attachment.wrapAlignment())));
    // The goal size in twips, as every reader takes it: a picture shown
    // at 4 pixels to 3 points keeps its size in other programs. The scale
    // tells our reader this from files that gave twelfths of a pixel.
    m_buffer.appendCString("\\picscalex100\\picscaley100\\picw");
    m_buffer.appendRoundedNumber(original.width * 12);
    m_buffer.appendCString("\\pich");
    m_buffer.appendRoundedNumber(original.height * 12);
    m_buffer.appendCString("\\picwgoal");
    m_buffer.appendRoundedNumber(display.width * kTwipsPerPixel);
    m_buffer.appendCString("\\pichgoal");
    m_buffer.appendRoundedNumber(display.height * kTwipsPerPixel);
    m_buffer.appendByte('\n');
    m_buffer.appendCString(hex);
}

void DKRTFWriter::writeShapePicture(const TETextAttachment& attachment, const std::string& hex)
{
    m_buffer.appendCString("{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn pib}{\\sv ");
    // The property's value is the picture group itself: LibreOffice draws
    // nothing for one wrapped in a group of its own.
    writeEmbeddedPicture(attachment, hex, "{\\pict");
    // No blank between the closing braces: every other reader takes it
    // for a blank of the text after the picture.
    m_buffer.appendCString("\n}}}}}");
}

bool DKRTFWriter::writeShapeGroup(const TETextAttachment& first, const std::string& firstHex)
{
    // The group's other pictures follow the first, each on a character of
    // its own; all but the last say that the group goes on after them.
    struct Member {
        const TETextAttachment* picture;
        std::string place;
        std::string hex;
    };
    std::vector<Member> members{{&first, toUtf8(*shapePlaceOf(first)), firstHex}};
    const std::u16string& text = m_attributedString.string();
    auto pictureAt = [&](std::size_t at) -> const TETextAttachment* {
        AttributeDictionaryPtr attributes = at < text.size() ? m_attributedString.attributesAtIndex(at) : nullptr;
        return attributes ? attributes->valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName) : nullptr;
    };
    for (std::size_t at = m_runLocation + 1; at < text.size(); ++at) {
        const TETextAttachment* next = pictureAt(at);
        if (next == members.back().picture)
            continue;
        if (!members.back().picture->attributeForKey(TEShapePlace::kGroupGoesOnKey))
            break;
        if (!next || next->attributeForKey("attachmentType") || !next->fileInfo().empty())
            break;
        const std::u16string* place = shapePlaceOf(*next);
        std::string hex = place ? pictureHex(*next, false) : std::string();
        if (hex.empty())
            break;
        members.push_back({next, toUtf8(*place), std::move(hex)});
    }
    std::vector<std::string> places;
    for (const Member& member : members)
        places.push_back(member.place);
    const std::optional<DKRTFShapeGroup> group = members.size() > 1 ? DKRTFShapeGroup::enclosing(places) : std::nullopt;
    if (!group)
        return false;
    m_buffer.appendCString("{\\shpgrp{\\*\\shpinst");
    m_buffer.appendCString(group->instructions());
    for (const Member& member : members) {
        m_buffer.appendCString("{\\shp{\\*\\shpinst");
        m_buffer.appendCString(group->memberProperties(member.place));
        writeShapePicture(*member.picture, member.hex);
        m_picturesWrittenInGroup.insert(member.picture);
    }
    m_buffer.appendCString("}}");
    return true;
}

void DKRTFWriter::writePicture(const TETextAttachment& attachment)
{
    // Written already, with the first picture of its group.
    if (m_picturesWrittenInGroup.contains(&attachment))
        return;
    Size original = attachment.originalSize();
    Size display = attachment.displaySize();
    if (m_isRTFDDocument) {
        std::string name = attachment.contentURL() ? attachment.contentURL()->lastPathComponent() : std::string();
        // A picture that was never found (a page's picture that could not
        // be loaded) has no file in the package: a reference to none would
        // be an empty box, or a broken package, in every reader.
        if (name.empty())
            return;
        writePictureReference(name, display);
        return;
    }
    const std::u16string& fileInfo = attachment.fileInfo();
    // A picture with no bytes (a pasted one whose source could not be
    // loaded, or whose file is gone) would be an empty box in every reader.
    std::string hex = pictureHex(attachment, !fileInfo.empty());
    if (hex.empty()) {
        // But a reference by name to a picture beside the file (TextEdit's,
        // whose picture was not found) goes back as it came: the picture
        // may yet be found where the file's writer put it.
        if (const std::string name = attachment.referencedPictureName(); !name.empty())
            writePictureReference(name, attachment.referencedPictureSize());
        return;
    }
    if (fileInfo.empty()) {
        const std::u16string* shape = shapePlaceOf(attachment);
        if (shape && attachment.attributeForKey(TEShapePlace::kGroupGoesOnKey) && writeShapeGroup(attachment, hex))
            return;
        if (shape) {
            m_buffer.appendCString("{\\shp{\\*\\shpinst");
            m_buffer.appendCString(toUtf8(*shape));
            writeShapePicture(attachment, hex);
            return;
        }
        writeEmbeddedPicture(attachment, hex, "{{\\pict");
        m_buffer.appendCString("\n}}\n");
        return;
    }
    m_buffer.appendCString("{\\*\\shppict {\\pict {\\*\\nisusfilename ");
    m_buffer.appendCString(toUtf8(fileInfo));
    m_buffer.appendCString("} \\picw");
    m_buffer.appendRoundedNumber(original.width);
    m_buffer.appendCString(" \\pich");
    m_buffer.appendRoundedNumber(original.height);
    m_buffer.appendCString(" \\picwgoal");
    m_buffer.appendRoundedNumber(display.width);
    m_buffer.appendCString(" \\pichgoal");
    m_buffer.appendRoundedNumber(display.height);
    m_buffer.appendCString(" \\");
    m_buffer.appendCString(attachment.fileType());
    m_buffer.appendByte(' ');
    m_buffer.appendCString(hex);
    m_buffer.appendCString("}}\n");
}

void DKRTFWriter::writeAttachment(const TETextAttachment& attachment)
{
    const std::u16string* type = attachment.attributeForKey("attachmentType");
    if (!type) {
        writePicture(attachment);
        return;
    }
    const std::u16string* contents = attachment.contentsString();
    std::u16string_view text = contents ? std::u16string_view(*contents) : std::u16string_view();
    if (*type == u"annotation") {
        const std::u16string* authorValue = attachment.attributeForKey("annotationAuthor");
        std::u16string_view author = authorValue ? std::u16string_view(*authorValue) : std::u16string_view();
        m_buffer.appendCString("{{\\*\\atnid ");
        m_buffer.appendEscapedString(author);
        m_buffer.appendCString("}{\\*\\atnauthor ");
        m_buffer.appendEscapedString(author);
        m_buffer.appendCString("}\\chatn{\\*\\annotation ");
        const std::u16string* tag = attachment.attributeForKey(TEObjectTextAttachment::kCommentRangeKey);
        if (std::optional<int> range = tag ? commentRangeNumber(*tag) : std::nullopt) {
            // Word and LibreOffice show the comment over the words of the
            // range its reference names.
            m_buffer.appendCString("{\\*\\atnref ");
            m_buffer.appendInteger(*range);
            m_buffer.appendByte('}');
        } else {
            // The blank that ends the word stays inside the group: after
            // it, it would be a blank at the start of the comment.
            m_buffer.appendCString("{\\*\\atnref }");
        }
        writeNoteContent(attachment, text);
        m_buffer.appendCString("}}");
    } else if (*type == u"footnote") {
        m_buffer.appendCString("{\\*\\footnote ");
        auto form = m_noteForms.find(&attachment);
        if (form != m_noteForms.end() && form->second.stillShows(text)) {
            // The group says it all, its mark and style included.
            writeNoteContent(attachment, text);
            m_buffer.appendCString("}\\f0\n");
            setFontInForce(0);
            return;
        }
        if (const std::u16string* kind = attachment.attributeForKey(TEObjectTextAttachment::kNoteKindKey); kind && *kind == u"endnote")
            m_buffer.appendCString("\\ftnalt ");
        if (const std::u16string* style = attachment.attributeForKey("data-style"); style && m_styleSheet) {
            if (std::optional<int> number = m_styleSheet->paragraphStyleNumber(*style)) {
                m_buffer.appendCString("\\s");
                m_buffer.appendInteger(*number);
                m_buffer.appendByte(' ');
            }
        }
        // As with the comment's reference, the word's blank stays inside.
        m_buffer.appendCString("{\\chftn }");
        writeNoteContent(attachment, text);
        m_buffer.appendCString("}\\f0\n");
        // The text goes on in font 0, whatever the run after the note
        // asks for: that run names its own font again.
        setFontInForce(0);
    }
}

void DKRTFWriter::collectNoteForms()
{
    m_noteForms.clear();
    for (const AttributeDictionary* attributes : dictionariesInOrderOfFirstUse()) {
        const auto* note = attributes ? attributes->valueForKeyAs<TETextAttachment>(NSAttachmentAttributeName) : nullptr;
        const std::u16string* kept = note ? note->attributeForKey(TEObjectTextAttachment::kKeptFormKey) : nullptr;
        if (!kept || m_noteForms.contains(note))
            continue;
        if (std::optional<DKRTFNoteForm> form = DKRTFNoteForm::fromSerialized(toUtf8(*kept)))
            m_noteForms.emplace(note, std::move(*form));
    }
}

void DKRTFWriter::writeNoteContent(const TETextAttachment& note, std::u16string_view text)
{
    auto found = m_noteForms.find(&note);
    if (found == m_noteForms.end()) {
        m_buffer.appendEscapedString(text);
        return;
    }
    const DKRTFNoteForm& form = found->second;
    auto font = [&](int number) -> std::optional<int> {
        if (number < 0 || static_cast<std::size_t>(number) >= form.fonts().size())
            return std::nullopt;
        return registeredFontNumber(toUtf8(form.fonts()[static_cast<std::size_t>(number)]));
    };
    if (form.stillShows(text)) {
        m_buffer.appendCString(form.contentRTF(font, [&](int number) -> std::optional<int> {
            if (number <= 0 || static_cast<std::size_t>(number) >= form.colors().size())
                return std::nullopt;
            return keptColorNumber(form.colors()[static_cast<std::size_t>(number)]);
        }));
        return;
    }
    // Edited in Folio: the words the group held are gone, but the note
    // keeps the font and size it was set in, not the reader's default.
    const DKRTFNoteForm::Looks looks = form.looksAtStart();
    const std::optional<int> fontNumber = looks.font ? font(*looks.font) : std::nullopt;
    if (fontNumber) {
        m_buffer.appendCString("\\f");
        m_buffer.appendInteger(*fontNumber);
    }
    if (looks.halfPoints && *looks.halfPoints > 0) {
        m_buffer.appendCString("\\fs");
        m_buffer.appendInteger(*looks.halfPoints);
    }
    if (fontNumber || (looks.halfPoints && *looks.halfPoints > 0))
        m_buffer.appendByte(' ');
    m_buffer.appendEscapedString(text);
}

void DKRTFWriter::writeFootnoteTableSwitch(int value, bool& wroteOutput)
{
    if (value == 1) {
        if (m_state.isFootnoteTable == 0) {
            m_buffer.appendCString("\\footnotetable");
            m_state.isFootnoteTable = 1;
            m_state.previousWasFootnoteTable = 1;
            wroteOutput = true;
        }
    } else if (value == -1 && m_state.previousWasFootnoteTable) {
        // NOTE: the closing word also asks for the separating space, or a
        // run starting with a digit or a blank would be read as its parameter.
        m_buffer.appendCString("\\footnotetable0");
        m_state.isFootnoteTable = 0;
        m_state.previousWasFootnoteTable = 0;
        wroteOutput = true;
    }
}

bool DKRTFWriter::isTableText(std::size_t index) const
{
    if (index >= m_attributedString.length())
        return false;
    AttributeDictionaryPtr attributes = m_attributedString.attributesAtIndex(index, nullptr, m_runCursor);
    return attributes && hasTableKey(*attributes, TEIsTableKey);
}

bool DKRTFWriter::isListText(std::size_t index) const
{
    if (index >= m_attributedString.length())
        return false;
    AttributeDictionaryPtr attributes = m_attributedString.attributesAtIndex(index, nullptr, m_runCursor);
    return attributes && (attributes->containsKey(TETextListsAttribute) || attributes->containsKey(TETextIsListAttribute));
}

bool DKRTFWriter::paragraphIsEmptyAt(std::size_t end) const
{
    if (end == 0)
        return true;
    if (m_attributedString.string()[end - 1] != u'\n')
        return false;
    // A page break's own line end is no paragraph's end in the file.
    AttributeDictionaryPtr before = m_attributedString.attributesAtIndex(end - 1);
    return !before || !before->containsKey(TEPageBreakAttribute);
}

DKRTFWriter::TableMark DKRTFWriter::tableMarkAt(std::size_t index) const
{
    const char16_t unit = m_attributedString.string()[index];
    if (unit != u'\t' && unit != u'\n')
        return TableMark::None;
    AttributeDictionaryPtr attributes = m_attributedString.attributesAtIndex(index, nullptr, m_runCursor);
    if (!attributes)
        return TableMark::None;
    if (unit == u'\n' && hasTableKey(*attributes, TEIsEndTableRowKey))
        return TableMark::RowEnd;
    if (unit == u'\t' && hasTableKey(*attributes, TEIsEndTableCellKey))
        return TableMark::CellEnd;
    return TableMark::None;
}

void DKRTFWriter::writeTableRowStart(std::size_t index)
{
    // The row's cells end at its cell marks; each gives its right boundary,
    // or its width from the boundary before it.
    m_buffer.appendCString("\\itap1\\trowd\n");
    const std::size_t length = m_attributedString.length();
    std::int64_t boundary = 0;
    for (std::size_t position = index; position < length; ++position) {
        TableMark mark = tableMarkAt(position);
        if (mark == TableMark::None)
            continue;
        AttributeDictionaryPtr attributes = m_attributedString.attributesAtIndex(position, nullptr, m_runCursor);
        std::int64_t right = intForKey(*attributes, TETableCellRightBoundaryKey, 0);
        if (right <= boundary) {
            std::int64_t width = intForKey(*attributes, TETableCellWidthKey, 0);
            right = boundary + (width > 0 ? width : kDefaultCellWidth);
        }
        boundary = right;
        m_buffer.appendCString("\\cellx");
        m_buffer.appendCString(std::to_string(boundary));
        m_buffer.appendByte('\n');
        if (mark == TableMark::RowEnd)
            break;
    }
    m_buffer.appendCString("\\pard\\intbl\n");
    // "\\pard" put the reader's paragraph back to its defaults.
    resetWrittenParagraphState();
}

void DKRTFWriter::resetWrittenParagraphState()
{
    const DKRTFWriterState defaults;
    m_state.alignment = defaults.alignment;
    m_state.direction = defaults.direction;
    m_state.firstLineIndent = defaults.firstLineIndent;
    m_state.leftIndent = defaults.leftIndent;
    m_state.rightIndent = defaults.rightIndent;
    m_state.lineSpacing = defaults.lineSpacing;
    m_state.lineSpacingIsMultiple = defaults.lineSpacingIsMultiple;
    m_state.paragraphSpacing = defaults.paragraphSpacing;
    m_state.paragraphSpacingBefore = defaults.paragraphSpacingBefore;
    m_state.tabStops.clear();
    m_state.keepWithNext = defaults.keepWithNext;
    m_state.keepTogether = defaults.keepTogether;
    m_state.widowControl = defaults.widowControl;
    m_state.outlineLevel = defaults.outlineLevel;
    m_state.noHyphenation = defaults.noHyphenation;
    m_state.contextualSpacing = defaults.contextualSpacing;
    m_state.paragraphStyle = defaults.paragraphStyle;
    m_state.paragraphShading.clear();
    m_state.paragraphBorders.clear();
    m_state.paragraphFrame.clear();
    m_state.pageBreakBefore = defaults.pageBreakBefore;
    m_writtenList = 0;
}

} // namespace folio
