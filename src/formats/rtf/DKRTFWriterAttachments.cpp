#include "formats/rtf/DKRTFWriter.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/attachments/TETextAttachment.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeDictionaryAccess.h"
#include "platform/text/AttributedStringQueries.h"

namespace folio {

namespace {

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

std::string cellWidthText(const AttributeValue& value)
{
    if (const auto* string = value.as<StringValue>())
        return toUtf8(string->value());
    if (const auto* number = value.as<IntegerValue>())
        return std::to_string(number->value());
    if (const auto* number = value.as<DoubleValue>())
        return std::to_string(static_cast<std::int64_t>(number->value()));
    return {};
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
    // attachment still holds (pictures read from RTF carry them), and with no
    // bytes at all when it holds none: the group stays well formed.
    if (const Data* data = attachment.contentsData())
        return hexString(*data);
    return {};
}

void DKRTFWriter::writePicture(const TETextAttachment& attachment)
{
    Size original = attachment.originalSize();
    Size display = attachment.displaySize();
    if (m_isRTFDDocument) {
        std::string name = attachment.contentURL() ? attachment.contentURL()->lastPathComponent() : std::string();
        m_buffer.appendCString("{{\\NeXTGraphic ");
        m_buffer.appendCString(name);
        m_buffer.appendCString(" \\width");
        m_buffer.appendRoundedNumber(display.width);
        m_buffer.appendCString(" \\height");
        m_buffer.appendRoundedNumber(display.height);
        // The not sign (U+00AC) in UTF-8 stands for the picture in the text.
        m_buffer.appendCString("}\xC2\xAC}");
        return;
    }
    const std::u16string& fileInfo = attachment.fileInfo();
    if (fileInfo.empty()) {
        // NOTE: pictures are declared by their own type, so that a PNG is not
        // announced to other readers as JPEG data.
        m_buffer.appendCString(attachment.fileType() == "pngblip" ? "{{\\pict\\pngblip" : "{{\\pict\\jpegblip");
        m_buffer.appendCString("\\wraptext");
        m_buffer.appendCString(std::to_string(static_cast<std::uint32_t>(attachment.wrapAlignment())));
        m_buffer.appendCString("\\picw");
        m_buffer.appendRoundedNumber(original.width * 12);
        m_buffer.appendCString("\\pich");
        m_buffer.appendRoundedNumber(original.height * 12);
        m_buffer.appendCString("\\picwgoal");
        m_buffer.appendRoundedNumber(display.width * 12);
        m_buffer.appendCString("\\pichgoal");
        m_buffer.appendRoundedNumber(display.height * 12);
        m_buffer.appendByte('\n');
        m_buffer.appendCString(pictureHex(attachment, false));
        m_buffer.appendCString("\n} }\n");
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
    m_buffer.appendCString(pictureHex(attachment, true));
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
        m_buffer.appendCString("}\\chatn{\\*\\annotation {\\*\\atnref} ");
        m_buffer.appendEscapedString(text);
        m_buffer.appendCString("}}");
    } else if (*type == u"footnote") {
        m_buffer.appendCString("{\\*\\footnote {\\chftn} ");
        m_buffer.appendEscapedString(text);
        m_buffer.appendCString("}\\f0\n");
    }
}

void DKRTFWriter::writeFootnoteTableSwitch(const AttributeDictionary& attributes, bool& wroteOutput)
{
    int value = intForKey(attributes, TETextIsFootnoteTableAttribute, 0);
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

void DKRTFWriter::recordTableFlags(const AttributeDictionary& attributes)
{
    if (hasTableKey(attributes, TEIsEndTableCellKey))
        m_state.previousWasTableCell = 1;
    if (hasTableKey(attributes, TEIsBeginTableCellKey))
        m_state.isBeginTableCell = 1;
    if (hasTableKey(attributes, TEIsEndTableKey))
        m_state.previousWasTable = 1;
    if (hasTableKey(attributes, TEIsEndTableRowKey))
        m_state.previousWasTableRow = 1;
    if (hasTableKey(attributes, TEIsTableRowKey))
        m_state.isTableRow = 1;
}

void DKRTFWriter::writeCellWidths(std::size_t lineFeedIndex)
{
    std::size_t length = m_attributedString.length();
    // From the line feed to one before the end of the text, as rows have
    // always been measured.
    Range range{lineFeedIndex, length - (lineFeedIndex + 1)};
    auto widths = allValuesOfAttribute(m_attributedString, TETableCellWidthKey, range);
    if (!widths)
        return;
    for (const AttributeValuePtr& value : *widths) {
        if (!value)
            continue;
        std::string text = cellWidthText(*value);
        if (text.empty() || text == "0")
            continue;
        m_buffer.appendCString("\\cellx");
        m_buffer.appendCString(text);
        m_buffer.appendByte('\n');
    }
}

void DKRTFWriter::writeTableStepsAtParagraphEnd(std::size_t lineFeedIndex)
{
    DKRTFWriterState& state = m_state;
    if (m_tableStart && state.isTableRow && !state.previousWasTableRow) {
        state.isTableRow = 0;
        m_buffer.appendCString("\\itap1\\trowd\n");
        writeCellWidths(lineFeedIndex);
        m_buffer.appendCString("\\pard\\intbl\n");
        m_tableStart = false;
    }
    bool endTable = state.previousWasTable != 0;
    if (state.previousWasTableCell && !endTable) {
        if (state.previousWasTableRow) {
            m_buffer.appendCString("\\cell \\row\n\\itap1\\trowd\n");
            state.previousWasTableRow = 0;
            writeCellWidths(lineFeedIndex);
            m_buffer.appendCString("\\pard\\intbl\n");
        } else if (m_cellToggle) {
            m_buffer.appendCString("\\cell\n\\pard\\intbl\n");
            writeAttributesAtIndex(lineFeedIndex + 1, true);
            m_cellToggle = false;
        } else {
            writeAttributesAtIndex(lineFeedIndex + 2, true);
            m_buffer.appendCString("\\cell\n\\pard\\intbl\n");
            m_cellToggle = true;
        }
        endTable = state.previousWasTable != 0;
        if (!endTable) {
            state.previousWasTableCell = 0;
            return;
        }
    }
    if (!endTable)
        return;
    state.previousWasTableRow = 0;
    state.previousWasTable = 0;
    state.previousWasTableCell = 0;
    // The line feed keeps the next paragraph's first letters from being
    // read as part of "\row".
    m_buffer.appendCString("\\cell \\lastrow\\row\n");
}

} // namespace folio
