#include "formats/rtf/DKRTFObjectReader.h"
#include "formats/rtf/DKRTFFormField.h"
#include "formats/rtf/DKRTFGroupEnd.h"
#include "formats/rtf/DKRTFGroupText.h"

#include "engine/attachments/TEImageTextAttachment.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UnitSearch.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/graphics/WindowsMetafile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <utility>

namespace folio {

namespace {

constexpr std::size_t npos = std::u16string_view::npos;
constexpr double kDefaultGoalSize = 100;
// Pixels: the sizes of a frame that stands in for a picture.
constexpr double kSmallestFrame = 8;
constexpr double kLargestFrame = 2000;

// A run carries the tags of its comment ranges a blank apart: a tag is one
// word.
std::u16string commentRangeTag(std::u16string text)
{
    std::erase_if(text, [](char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\n' || unit == u'\r'; });
    return text;
}

bool isObjectLetter(char16_t character)
{
    return (character >= u'a' && character <= u'z') || (character >= u'A' && character <= u'Z');
}

bool isObjectDigit(char16_t character) { return character >= u'0' && character <= u'9'; }

// Where the plain characters from `start` end: at a brace, a line break of
// the RTF text or a backslash (or at `end`).
std::size_t endOfPlainRun(std::u16string_view text, std::size_t start, std::size_t end)
{
    return findFirstOf<u'{', u'}', u'\r', u'\n', u'\\'>(text.data(), start, end);
}

std::u16string removing(std::u16string text, std::u16string_view target)
{
    return stringByReplacingOccurrencesOfString(text, target, u"");
}

// A number written after a control word, with its name removed ("picw100 ").
double objectNumberAfter(std::u16string_view token, std::u16string_view name)
{
    std::u16string text = removing(std::u16string(token), name);
    return static_cast<double>(floatValue(text));
}

// The characters that the note escaping writes as control words.
char16_t specialCharacterNamed(std::u16string_view name)
{
    static constexpr std::array<std::pair<std::u16string_view, char16_t>, 10> kCharacters{{
        {u"tab", u'\t'},
        {u"par", u'\n'},
        {u"line", u'\n'},
        {u"lquote", u'\u2018'},
        {u"rquote", u'\u2019'},
        {u"ldblquote", u'\u201C'},
        {u"rdblquote", u'\u201D'},
        {u"emdash", u'\u2014'},
        {u"endash", u'\u2013'},
        {u"bullet", u'\u2022'},
    }};
    for (const auto& [word, character] : kCharacters) {
        if (word == name)
            return character;
    }
    return 0;
}

} // namespace

DKRTFObjectReader::DKRTFObjectReader(std::u16string_view group, std::size_t groupEnd)
    : m_text(group)
    , m_groupEnd(std::min(groupEnd, m_text.size()))
{
}

std::u16string_view DKRTFObjectReader::group() const
{
    // The closing brace belongs to the group: "}}" ends a shape picture.
    std::size_t end = std::min(m_groupEnd + 1, m_text.size());
    return m_text.substr(0, end);
}

std::size_t DKRTFObjectReader::find(std::u16string_view needle, std::size_t from) const
{
    if (from > m_groupEnd)
        return npos;
    return group().find(needle, from);
}

std::u16string_view DKRTFObjectReader::tokenUpTo(std::size_t from, std::u16string_view delimiters, std::size_t* end) const
{
    std::u16string_view text = group();
    from = std::min(from, text.size());
    std::size_t stop = text.find_first_of(delimiters, from);
    if (stop == npos)
        stop = text.size();
    *end = stop;
    return text.substr(from, stop - from);
}

void DKRTFObjectReader::finishAt(std::size_t position) { m_endOfRead = std::min(position, m_text.size()); }

std::size_t DKRTFObjectReader::skipGroup(std::size_t position) const
{
    // A property group inside a picture ("{\*\picprop ...}", "{\*\blipuid
    // ...}"): whatever letters it holds are no picture data, and the control
    // words after it are the picture's own again.
    std::u16string_view text = group();
    std::size_t depth = 0;
    for (; position < m_groupEnd; ++position) {
        if (text[position] == u'\\')
            ++position;
        else if (text[position] == u'{')
            ++depth;
        else if (text[position] == u'}' && --depth == 0)
            break;
    }
    return std::min(position + 1, m_groupEnd);
}

// --- Pictures ---------------------------------------------------------------

Data DKRTFObjectReader::pictureFrame(Size size)
{
    // A light panel with a grey border.
    const int width = static_cast<int>(std::lround(std::clamp(size.width, kSmallestFrame, kLargestFrame)));
    const int height = static_cast<int>(std::lround(std::clamp(size.height, kSmallestFrame, kLargestFrame)));
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool border = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            const std::uint8_t shade = border ? 0x99 : 0xEE;
            std::uint8_t* pixel = &pixels[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4];
            pixel[0] = pixel[1] = pixel[2] = shade;
            pixel[3] = 0xFF;
        }
    }
    Result<std::vector<std::uint8_t>> png = ImageCodec::encodePng(width, height, pixels);
    return png ? Data(std::move(*png)) : Data();
}

TETextAttachmentPtr DKRTFObjectReader::readPicture()
{
    // The picture's control words and property groups, then its data.
    std::u16string_view text = group();
    std::map<std::u16string, double, std::less<>> values;
    std::size_t position = m_start;
    while (position < m_groupEnd) {
        const char16_t character = text[position];
        if (character == u' ' || character == u'\r' || character == u'\n') {
            ++position;
        } else if (character == u'\\' && position + 1 < m_groupEnd && isObjectLetter(text[position + 1])) {
            std::size_t nameEnd = position + 1;
            while (nameEnd < m_groupEnd && isObjectLetter(text[nameEnd]))
                ++nameEnd;
            std::size_t valueEnd = nameEnd;
            if (valueEnd < m_groupEnd && text[valueEnd] == u'-')
                ++valueEnd;
            while (valueEnd < m_groupEnd && isObjectDigit(text[valueEnd]))
                ++valueEnd;
            values[std::u16string(text.substr(position + 1, nameEnd - position - 1))] =
                static_cast<double>(floatValue(std::u16string(text.substr(nameEnd, valueEnd - nameEnd))));
            position = valueEnd;
        } else if (character == u'{') {
            position = skipGroup(position);
        } else {
            break;
        }
    }
    auto value = [&values](std::u16string_view name) -> std::optional<double> {
        auto found = values.find(name);
        return found == values.end() ? std::nullopt : std::optional<double>(found->second);
    };

    std::size_t end = position;
    std::u16string_view hex = tokenUpTo(position, u"}", &end);
    finishAt(m_groupEnd);

    // Our files always carry "\wraptext"; older ones give the goal sizes in
    // twelfths of a pixel and no scale. Newer ones, like other writers, give
    // twips (twentieths of a point), scaled by "\picscalex" and "\picscaley";
    // other writers may give only the picture's own size (pixels, or
    // hundredths of a millimetre for a metafile). Pictures are shown at CSS
    // pixels, four to every three points.
    const std::optional<int> wrap = value(u"wraptext") ? std::optional<int>(static_cast<int>(*value(u"wraptext")))
                                                       : std::nullopt;
    m_ownPictureForm = wrap.has_value();
    bool metafile = false;
    for (std::u16string_view unreadable : {u"wmetafile", u"emfblip", u"pmmetafile", u"macpict", u"dibitmap", u"wbitmap"})
        metafile = metafile || values.contains(unreadable);
    // Files of ours written before the goal sizes were twips name no scale.
    const bool goalInTwelfths = wrap && !values.contains(u"picscalex");
    Size display;
    if (goalInTwelfths) {
        display = Size{static_cast<float>(value(u"picwgoal").value_or(kDefaultGoalSize)) / 12.0f,
                       static_cast<float>(value(u"pichgoal").value_or(kDefaultGoalSize)) / 12.0f};
    } else {
        constexpr double kPixelsPerTwip = 4.0 / 3.0 / 20.0;
        constexpr double kPixelsPerHundredthMillimetre = 96.0 / 2540.0;
        const double scaleX = value(u"picscalex").value_or(100) / 100;
        const double scaleY = value(u"picscaley").value_or(100) / 100;
        auto side = [&](std::u16string_view goalWord, std::u16string_view ownWord) {
            std::optional<double> goal = value(goalWord);
            if (goal && *goal > 0)
                return *goal * kPixelsPerTwip;
            double own = value(ownWord).value_or(kDefaultGoalSize / 12);
            return metafile ? own * kPixelsPerHundredthMillimetre : own;
        };
        display = Size{side(u"picwgoal", u"picw") * scaleX, side(u"pichgoal", u"pich") * scaleY};
    }

    Data contents = hexStringToData(hex);
    if (metafile) {
        display = Size{std::clamp(display.width, kSmallestFrame, kLargestFrame),
                       std::clamp(display.height, kSmallestFrame, kLargestFrame)};
        // A Windows metafile is drawn by libwmf where it is installed; other
        // metafiles and device-independent bitmaps, and metafiles it cannot
        // draw, keep their place on the page as a frame of their size.
        Result<std::vector<std::uint8_t>> drawn = values.contains(u"wmetafile") && !contents.empty()
            ? WindowsMetafile::pngData(contents.vector(), display)
            : Result<std::vector<std::uint8_t>>(Error{WindowsMetafile::kErrorDomain, 0, "not a Windows metafile"});
        contents = drawn ? Data(std::move(*drawn)) : pictureFrame(display);
    } else if (contents.empty()) {
        return nullptr;
    }
    const std::vector<std::uint8_t>& bytes = contents.vector();
    if (bytes.size() >= 4 && bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F' && bytes[3] == '8') {
        // Pictures are kept as PNG or JPEG, which every output can show.
        Result<DecodedBitmap> bitmap = ImageCodec::decodeGif(bytes);
        if (!bitmap)
            return nullptr;
        Result<std::vector<std::uint8_t>> png = ImageCodec::encodePng(bitmap->width, bitmap->height, bitmap->pixels);
        if (!png)
            return nullptr;
        contents = Data(std::move(*png));
    }
    if (contents.empty())
        return nullptr;

    auto attachment = std::make_shared<TEImageTextAttachment>();
    attachment->setContents(std::move(contents));
    attachment->setDisplaySize(display);
    if (wrap)
        attachment->setWrapAlignment(static_cast<TEWrapAlignment>(std::clamp(*wrap, 0, 2)));
    finishAt(end);
    return attachment;
}

TETextAttachmentPtr DKRTFObjectReader::readShapePicture()
{
    std::size_t position = find(u"nisusfilename", m_start);
    // Other writers put an ordinary "\pict" group here; it is read on its own.
    if (position == npos)
        return nullptr;
    std::size_t end = position;
    std::u16string fileInfo = removing(std::u16string(tokenUpTo(position, u"}", &end)), u"nisusfilename ");
    position = end;

    auto numberNamed = [&](std::u16string_view name) -> std::optional<double> {
        std::size_t found = find(name, position);
        if (found == npos)
            return std::nullopt;
        std::u16string_view token = tokenUpTo(found, u"\\", &end);
        position = end;
        return objectNumberAfter(token, name);
    };
    double width = numberNamed(u"picw").value_or(0);
    double height = numberNamed(u"pich").value_or(0);
    double goalWidth = numberNamed(u"picwgoal").value_or(kDefaultGoalSize);
    double goalHeight = numberNamed(u"pichgoal").value_or(kDefaultGoalSize);
    std::u16string fileType = removing(std::u16string(tokenUpTo(position, u" ", &end)), u"\\");
    position = std::min(end + 1, group().size());

    std::size_t dataEnd = find(u"}}", position);
    if (dataEnd == npos) {
        finishAt(m_groupEnd);
        return nullptr;
    }
    std::u16string hex = removing(std::u16string(group().substr(position, dataEnd - position)), u"\n ");
    Data contents = hexStringToData(hex);
    if (contents.empty()) {
        finishAt(m_groupEnd);
        return nullptr;
    }

    auto attachment = std::make_shared<TEImageTextAttachment>();
    attachment->setContents(std::move(contents));
    attachment->setOriginalSize(Size{width, height});
    attachment->setDisplaySize(Size{goalWidth / 20, goalHeight / 20});
    attachment->setOriginalDisplaySize(Size{goalWidth, goalHeight});
    attachment->setFileInfo(std::move(fileInfo));
    attachment->setFileType(toUtf8(fileType));
    // The first brace closes the picture group read here; the second is
    // left to close the shape group.
    finishAt(dataEnd + 1);
    return attachment;
}

TETextAttachmentPtr DKRTFObjectReader::readFileAttachment()
{
    std::size_t end = m_start;
    // The name runs to the first word after it: TextEdit names pasted
    // pictures "Pasted Graphic.tiff".
    std::u16string_view name = tokenUpTo(m_start, u"\\}", &end);
    while (!name.empty() && (name.front() == u' ' || name.front() == u'\r' || name.front() == u'\n'))
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == u' ' || name.back() == u'\r' || name.back() == u'\n'))
        name.remove_suffix(1);
    std::optional<URL> url = name.empty() ? std::nullopt
                                          : URL::URLWithString(URL::percentEncode(toUtf8(name), URL::AllowedCharacters::Path));
    if (!url) {
        finishAt(m_groupEnd);
        return nullptr;
    }
    std::size_t position = end;
    double width = 0;
    double height = 0;
    if (std::size_t found = find(u"h", position); found != npos) {
        width = objectNumberAfter(tokenUpTo(found + 1, u" ", &end), u"");
        position = end;
    }
    if (std::size_t found = find(u"t", position); found != npos) {
        height = objectNumberAfter(tokenUpTo(found + 1, u"}", &end), u"");
        position = end;
    }
    auto attachment = std::make_shared<TETextAttachment>();
    attachment->setContentURL(std::move(url));
    attachment->setDisplaySize(Size{width, height});
    finishAt(std::min(position, m_groupEnd));
    return attachment;
}

// --- Notes ------------------------------------------------------------------

TETextAttachmentPtr DKRTFObjectReader::readFootnote(const ByteDecoder& decoder,
                                                    const std::function<const std::u16string*(int)>& styleName)
{
    const std::u16string_view group = m_text.substr(m_start, m_groupEnd - m_start);
    std::u16string text = decodeNoteText(group, decoder);
    finishAt(m_groupEnd);
    if (text.empty())
        return nullptr;
    auto attachment = std::make_shared<TEObjectTextAttachment>();
    attachment->setContents(std::move(text));
    StringMapValue::Map attributes{{TEObjectTextAttachment::kAttachmentTypeKey, u"footnote"}};
    if (std::optional<int> number = paragraphStyleNumber(group)) {
        if (const std::u16string* name = styleName(*number))
            attributes.emplace("data-style", *name);
    }
    // An endnote is a footnote that says so ("\ftnalt") right after its word.
    std::size_t start = 0;
    while (start < group.size() && (group[start] == u' ' || group[start] == u'\r' || group[start] == u'\n'))
        ++start;
    if (const std::u16string_view rest = group.substr(start);
        rest.starts_with(u"\\ftnalt") && (rest.size() == 7 || !isObjectLetter(rest[7])))
        attributes.emplace(TEObjectTextAttachment::kNoteKindKey, u"endnote");
    attachment->setAttributes(std::move(attributes));
    return attachment;
}

std::optional<int> DKRTFObjectReader::paragraphStyleNumber(std::u16string_view group)
{
    // The note's paragraph style stands in the group itself ("\pard\plain
    // \s20 ..."), not in the groups of its runs.
    int depth = 0;
    for (std::size_t at = 0; at + 2 < group.size(); ++at) {
        const char16_t character = group[at];
        if (character == u'{') {
            ++depth;
        } else if (character == u'}') {
            --depth;
        } else if (character == u'\\') {
            if (depth == 0 && group[at + 1] == u's' && group[at + 2] >= u'0' && group[at + 2] <= u'9') {
                std::size_t end = at + 2;
                while (end < group.size() && group[end] >= u'0' && group[end] <= u'9' && end - at < 8)
                    ++end;
                return intValue(group.substr(at + 2, end - at - 2));
            }
            ++at;
        }
    }
    return std::nullopt;
}

TETextAttachmentPtr DKRTFObjectReader::readAnnotation(const std::optional<std::u16string>& author,
                                                      const ByteDecoder& decoder)
{
    // The comment text is the annotation group after "\chatn"; Word writes
    // comments inline in the paragraph, so the rest of the enclosing group
    // is document text and must not be taken.
    std::size_t position = m_start;
    while (position < m_groupEnd && (m_text[position] == u' ' || m_text[position] == u'\r' || m_text[position] == u'\n'))
        ++position;
    if (position >= m_groupEnd || m_text[position] != u'{')
        return nullptr;
    std::size_t depth = 0;
    std::size_t end = position;
    for (; end < m_groupEnd; ++end) {
        char16_t character = m_text[end];
        if (character == u'\\') {
            ++end;
        } else if (character == u'{') {
            ++depth;
        } else if (character == u'}' && --depth == 0) {
            break;
        }
    }
    end = std::min(end, m_groupEnd);
    std::u16string_view group = m_text.substr(position, end - position);
    // The comment's reference ("{\*\atnref N}") names the range of words
    // it is about; it is taken out whole, as none of it is comment text. An
    // empty one ("{\*\atnref} ", our own mark of a comment at a place) is
    // left to the markers below.
    std::u16string rangeTag;
    std::u16string withoutReference;
    constexpr std::u16string_view kReference = u"{\\*\\atnref";
    if (const std::size_t reference = group.find(kReference); reference != std::u16string_view::npos
        && (reference + kReference.size() >= group.size() || !isObjectLetter(group[reference + kReference.size()]))) {
        const std::size_t referenceEnd = DKRTFGroupEnd(group, reference).value_or(group.size());
        const std::size_t valueStart = std::min(reference + kReference.size(), referenceEnd);
        rangeTag = commentRangeTag(decodeNoteText(group.substr(valueStart, referenceEnd - valueStart), decoder));
        // An empty group stands in its place, ending a control word before
        // it as the reference did.
        if (!rangeTag.empty()) {
            withoutReference = std::u16string(group.substr(0, reference)) + u"{}" + std::u16string(group.substr(referenceEnd));
            group = withoutReference;
        }
    }
    std::u16string text = decodeNoteText(group, decoder);
    finishAt(end < m_groupEnd ? end + 1 : m_groupEnd);
    if (text.empty())
        return nullptr;
    auto attachment = std::make_shared<TEObjectTextAttachment>();
    attachment->setContents(std::move(text));
    StringMapValue::Map attributes{{TEObjectTextAttachment::kAttachmentTypeKey, u"annotation"}};
    if (author)
        attributes.emplace(TEObjectTextAttachment::kAnnotationAuthorKey, *author);
    if (!rangeTag.empty())
        attributes.emplace(TEObjectTextAttachment::kCommentRangeKey, std::move(rangeTag));
    attachment->setAttributes(std::move(attributes));
    return attachment;
}

std::u16string DKRTFObjectReader::readCommentRangeTag(const ByteDecoder& decoder)
{
    return commentRangeTag(readGroupText(decoder));
}

std::u16string DKRTFObjectReader::readGroupText(const ByteDecoder& decoder)
{
    std::u16string text = decodeNoteText(m_text.substr(m_start, m_groupEnd - m_start), decoder);
    finishAt(m_groupEnd);
    return text;
}

std::u16string DKRTFObjectReader::decodeNoteText(std::u16string_view content, const ByteDecoder& decoder)
{
    // The note is read where it lies; it is copied only when a marker has
    // to be taken out of it.
    std::u16string_view source = content;
    std::u16string rewrittenSource;
    // Leftovers of older writers, and the markers our writer puts before
    // the note text (each followed by one blank that is not part of it).
    static constexpr std::u16string_view kJunk[] = {u"\\u65533?l0", u"\\ul0",     u"\\up0",          u"\\*\\atnref 1",
                                                    u"{\\chftn} ",  u"{\\chftn}", u"{\\*\\atnref} ", u"{\\*\\atnref}"};
    // Most notes hold none of them: one pass says which are there, and a
    // note is rewritten only for those (and, once a removal has joined text
    // that may make another, for any the rewritten text holds). The pass
    // jumps from brace to backslash, and the unit after each says which
    // markers could start there: "\\u" or "\\*" the first four, "{\\" the
    // rest.
    std::array<bool, std::size(kJunk)> present{};
    for (std::size_t index = findFirstOf<u'\\', u'{'>(source.data(), 0, source.size()); index + 1 < source.size();
         index = findFirstOf<u'\\', u'{'>(source.data(), index + 1, source.size())) {
        const char16_t next = source[index + 1];
        std::size_t first = std::size(kJunk);
        std::size_t last = first;
        if (source[index] == u'\\' && (next == u'u' || next == u'*')) {
            first = 0;
            last = 4;
        } else if (source[index] == u'{' && next == u'\\') {
            first = 4;
            last = std::size(kJunk);
        }
        const std::u16string_view rest = source.substr(index);
        for (std::size_t junk = first; junk < last; ++junk)
            present[junk] = present[junk] || rest.starts_with(kJunk[junk]);
    }
    bool rewritten = false;
    for (std::size_t junk = 0; junk < std::size(kJunk); ++junk) {
        if (rewritten ? source.find(kJunk[junk]) != std::u16string_view::npos : present[junk]) {
            if (!rewritten)
                rewrittenSource = std::u16string(content);
            rewrittenSource = removing(std::move(rewrittenSource), kJunk[junk]);
            source = rewrittenSource;
            rewritten = true;
        }
    }

    std::u16string text;
    std::size_t index = 0;
    const std::size_t length = source.size();
    auto readHexByte = [&](std::string& bytes) {
        // At "\'": up to two digits.
        index += 2;
        int value = 0;
        int digits = 0;
        while (digits < 2 && index < length && hexDigitValue(source[index]) >= 0) {
            value = value * 16 + hexDigitValue(source[index]);
            ++index;
            ++digits;
        }
        if (digits > 0)
            bytes.push_back(static_cast<char>(value));
    };
    while (index < length) {
        const char16_t character = source[index];
        // An ignorable group inside the note (Word's and LibreOffice's
        // comment date, a bookmark's name) is none of its text.
        if (character == u'{' && index > 0 && source.substr(index).starts_with(u"{\\*\\")) {
            index = DKRTFGroupEnd(source, index).value_or(source.size());
            continue;
        }
        if (character == u'{' || character == u'}' || character == u'\r' || character == u'\n') {
            ++index;
            continue;
        }
        if (character != u'\\' || index + 1 >= length) {
            // A run of plain characters goes in at once.
            const std::size_t end = endOfPlainRun(source, index + 1, length);
            text.append(source.substr(index, end - index));
            index = end;
            continue;
        }
        const char16_t next = source[index + 1];
        if (next == u'\'') {
            std::string bytes;
            while (index + 1 < length && source[index] == u'\\' && source[index + 1] == u'\'')
                readHexByte(bytes);
            text += decoder(bytes);
        } else if (isObjectLetter(next)) {
            std::size_t nameEnd = index + 1;
            while (nameEnd < length && isObjectLetter(source[nameEnd]))
                ++nameEnd;
            // The name is compared where it lies, never copied.
            const std::u16string_view name = source.substr(index + 1, nameEnd - index - 1);
            index = nameEnd;
            bool negative = index < length && source[index] == u'-';
            if (negative)
                ++index;
            bool hasParameter = index < length && isObjectDigit(source[index]);
            long long parameter = 0;
            while (index < length && isObjectDigit(source[index])) {
                if (parameter < std::numeric_limits<int>::max())
                    parameter = parameter * 10 + (source[index] - u'0');
                ++index;
            }
            if (negative)
                parameter = -parameter;
            if (index < length && source[index] == u' ')
                ++index;
            if (name == u"u" && hasParameter) {
                text.push_back(static_cast<char16_t>((parameter < 0 ? parameter + 65536 : parameter) & 0xFFFF));
                // One replacement character follows.
                if (index < length && source[index] == u'?') {
                    ++index;
                } else if (index + 1 < length && source[index] == u'\\' && source[index + 1] == u'\'') {
                    std::string ignored;
                    readHexByte(ignored);
                }
            } else if (char16_t special = specialCharacterNamed(name)) {
                text.push_back(special);
            }
        } else {
            index += 2;
            if (next != u'*')
                text.push_back(next);
        }
    }
    return text;
}

// --- Links ------------------------------------------------------------------

std::u16string DKRTFObjectReader::readFieldInstruction(const ByteDecoder& decoder)
{
    // Word splits the instruction over groups of revision marks; its text
    // is that of every group, with RTF escapes decoded ("\\l" is the
    // field switch "\l").
    std::u16string_view text = group();
    std::u16string instruction;
    // A form field's own groups are no words of its instruction: they go
    // with it as they were.
    std::u16string formGroups;
    std::size_t position = m_start;
    while (position < m_groupEnd) {
        const char16_t character = text[position];
        if (character == u'{' && DKRTFFormField::isFormGroup(text.substr(0, m_groupEnd), position)) {
            const std::size_t end = std::min(rtfgrouptext::afterGroup(text.substr(0, m_groupEnd), position), m_groupEnd);
            for (char16_t unit : text.substr(position, end - position))
                if (unit != u'\r' && unit != u'\n')
                    formGroups.push_back(unit);
            position = end;
        } else if (character == u'{' || character == u'}' || character == u'\r' || character == u'\n') {
            ++position;
        } else if (character != u'\\' || position + 1 >= m_groupEnd) {
            // A run of plain characters goes in at once.
            const std::size_t end = endOfPlainRun(text, position + 1, m_groupEnd);
            instruction.append(text.substr(position, end - position));
            position = end;
        } else if (isObjectLetter(text[position + 1])) {
            std::size_t end = position + 1;
            while (end < m_groupEnd && isObjectLetter(text[end]))
                ++end;
            const bool unicode = end == position + 2 && text[position + 1] == u'u';
            if (end < m_groupEnd && text[end] == u'-')
                ++end;
            const std::size_t digits = end;
            while (end < m_groupEnd && isObjectDigit(text[end]))
                ++end;
            if (end < m_groupEnd && text[end] == u' ')
                ++end;
            // A "\u" character's replacement for older readers goes with it,
            // or the target would keep it as a stray character.
            if (unicode && end > digits && end < m_groupEnd) {
                if (text[end] == u'?')
                    ++end;
                else if (text[end] == u'\\' && end + 1 < m_groupEnd && text[end + 1] == u'\'')
                    end = std::min(end + 4, m_groupEnd);
            }
            instruction += decodeNoteText(text.substr(position, end - position), decoder);
            position = end;
        } else if (text[position + 1] == u'\'') {
            std::size_t end = std::min(position + 4, m_groupEnd);
            instruction += decodeNoteText(text.substr(position, end - position), decoder);
            position = end;
        } else {
            instruction.push_back(text[position + 1]);
            position += 2;
        }
    }
    finishAt(m_groupEnd);
    const auto blank = [](char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\u00A0'; };
    while (!instruction.empty() && blank(instruction.back()))
        instruction.pop_back();
    std::size_t first = 0;
    while (first < instruction.size() && blank(instruction[first]))
        ++first;
    instruction.erase(0, first);
    return DKRTFFormField::joined(instruction, formGroups);
}

std::optional<std::u16string> DKRTFObjectReader::linkTarget(std::u16string_view instruction)
{
    // HYPERLINK "url" [\l "anchor"] [\o "tip"] [\t "frame"] [\m] [\n]
    std::vector<std::u16string> arguments;
    std::size_t index = 0;
    while (index < instruction.size()) {
        const char16_t character = instruction[index];
        if (character == u' ' || character == u'\t' || character == u'\u00A0') {
            ++index;
        } else if (character == u'"' || character == u'\u201C') {
            const std::size_t close = findFirstOf<u'"', u'\u201D'>(instruction.data(), index + 1, instruction.size());
            arguments.emplace_back(instruction.substr(index + 1, close - index - 1));
            index = close + 1;
        } else {
            const std::size_t end = findFirstOf<u' ', u'\t', u'"'>(instruction.data(), index, instruction.size());
            arguments.emplace_back(instruction.substr(index, end - index));
            index = end;
        }
    }
    if (arguments.empty() || uppercaseString(arguments[0]) != u"HYPERLINK")
        return std::nullopt;
    std::u16string target;
    std::u16string anchor;
    for (std::size_t argument = 1; argument < arguments.size(); ++argument) {
        const std::u16string& word = arguments[argument];
        if (word == u"\\l" && argument + 1 < arguments.size()) {
            anchor = arguments[++argument];
        } else if ((word == u"\\o" || word == u"\\t") && argument + 1 < arguments.size()) {
            ++argument;
        } else if (word.starts_with(u"\\")) {
            continue;
        } else if (target.empty()) {
            target = word;
        }
    }
    auto trimmed = [](std::u16string value) {
        while (!value.empty() && (value.back() == u' ' || value.back() == u'\t'))
            value.pop_back();
        while (!value.empty() && (value.front() == u' ' || value.front() == u'\t'))
            value.erase(0, 1);
        return value;
    };
    target = trimmed(std::move(target));
    anchor = trimmed(std::move(anchor));
    if (!anchor.empty())
        target += u"#" + anchor;
    if (target.empty())
        return std::nullopt;
    return target;
}

// --- Data -------------------------------------------------------------------

Data DKRTFObjectReader::hexStringToData(std::u16string_view hex)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(hex.size() / 2);
    int high = -1;
    for (char16_t character : hex) {
        // Line breaks and blanks lay out long picture data; they are not digits.
        if (character == u'\n' || character == u'\r' || character == u' ' || character == u'\t')
            continue;
        int value = std::max(hexDigitValue(character), 0);
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + value));
            high = -1;
        }
    }
    return Data(std::move(bytes));
}

} // namespace folio
