#include "platform/web/PDFObjectFile.h"

#include "platform/foundation/Deflate.h"
#include "platform/web/PDFTokenizer.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace folio {

namespace {

// The last lines of a file hold "startxref", its offset and "%%EOF".
constexpr std::size_t kTailSearched = 1024;
// A chain of references longer than this is a loop.
constexpr int kMaximumReferenceChain = 16;
// Object numbers beyond this are no file this program prints.
constexpr int kMaximumObjectNumber = 8 * 1024 * 1024;

Error malformedObjectFile(const std::string& message)
{
    return Error{PDFObjectFile::kErrorDomain, PDFObjectFile::Malformed, message};
}

Error unsupported(const std::string& message)
{
    return Error{PDFObjectFile::kErrorDomain, PDFObjectFile::Unsupported, message};
}

// A non-negative integer, or nothing.
std::optional<std::size_t> countOf(const PDFTokenizer::Token& token)
{
    if (!token.isInteger() || token.word.front() == '-')
        return std::nullopt;
    std::optional<double> value = token.number();
    if (!value || *value > 1e15)
        return std::nullopt;
    return static_cast<std::size_t>(*value);
}

std::string crossReferenceEntry(std::size_t offset, int generation, char kind)
{
    char line[32];
    std::snprintf(line, sizeof line, "%010zu %05d %c \n", offset, generation, kind);
    return line;
}

} // namespace

Result<PDFObjectFile> PDFObjectFile::read(Data bytes)
{
    PDFObjectFile file;
    file.m_bytes = std::move(bytes);
    std::string_view text = file.text();
    std::size_t tailStart = text.size() > kTailSearched ? text.size() - kTailSearched : 0;
    std::size_t startxref = text.rfind("startxref");
    if (startxref == std::string_view::npos || startxref < tailStart)
        return malformedObjectFile("no startxref at the end of the file");
    PDFTokenizer tail(text, startxref + std::string_view("startxref").size());
    std::optional<std::size_t> offset = countOf(tail.next());
    if (!offset || *offset >= text.size())
        return malformedObjectFile("startxref points outside the file");

    std::vector<std::pair<int, std::size_t>> offsets;
    if (Status table = file.readCrossReferenceTable(*offset, offsets); !table)
        return table.error();
    for (const auto& [number, objectOffset] : offsets)
        file.m_offsetOfNumber[number] = objectOffset;
    int largest = 0;
    for (const auto& [number, objectOffset] : offsets) {
        Result<Entry> entry = file.readObject(number, objectOffset, 0);
        if (!entry)
            return entry.error();
        largest = std::max(largest, number);
        file.m_entries.push_back(std::move(*entry));
    }
    std::sort(file.m_entries.begin(), file.m_entries.end(),
              [](const Entry& a, const Entry& b) { return a.begin < b.begin; });
    for (std::size_t index = 1; index < file.m_entries.size(); ++index) {
        if (file.m_entries[index].begin < file.m_entries[index - 1].end)
            return malformedObjectFile("objects " + std::to_string(file.m_entries[index - 1].number) + " and "
                             + std::to_string(file.m_entries[index].number) + " overlap");
    }
    file.m_entryOfNumber.assign(static_cast<std::size_t>(largest) + 1, -1);
    for (std::size_t index = 0; index < file.m_entries.size(); ++index)
        file.m_entryOfNumber[static_cast<std::size_t>(file.m_entries[index].number)] = static_cast<int>(index);
    return file;
}

Status PDFObjectFile::readCrossReferenceTable(std::size_t offset, std::vector<std::pair<int, std::size_t>>& offsets)
{
    PDFTokenizer tokenizer(text(), offset);
    if (!tokenizer.next().isKeyword("xref"))
        return unsupported("the file has no classic cross-reference table");
    while (true) {
        PDFTokenizer::Token firstToken = tokenizer.next();
        if (firstToken.isKeyword("trailer"))
            break;
        std::optional<std::size_t> first = countOf(firstToken);
        std::optional<std::size_t> count = countOf(tokenizer.next());
        if (!first || !count || *first + *count > kMaximumObjectNumber)
            return malformedObjectFile("a damaged cross-reference section");
        for (std::size_t index = 0; index < *count; ++index) {
            std::optional<std::size_t> objectOffset = countOf(tokenizer.next());
            std::optional<std::size_t> generation = countOf(tokenizer.next());
            PDFTokenizer::Token kind = tokenizer.next();
            if (!objectOffset || !generation || !(kind.isKeyword("n") || kind.isKeyword("f")))
                return malformedObjectFile("a damaged cross-reference entry");
            if (kind.isKeyword("n"))
                offsets.emplace_back(static_cast<int>(*first + index), *objectOffset);
        }
    }
    tokenizer.skipWhitespaceAndComments();
    std::size_t trailerStart = tokenizer.offset();
    Result<PDFObject> trailer = PDFObject::parse(tokenizer);
    if (!trailer || !trailer->isDictionary())
        return malformedObjectFile("no trailer dictionary");
    // Earlier revisions or hidden streams would be lost by rewriting only
    // what this table lists.
    for (const char* key : {"Prev", "XRefStm", "Encrypt"}) {
        if (trailer->find(key))
            return unsupported(std::string("the trailer has /") + key);
    }
    m_trailer = std::move(*trailer);
    m_trailerText = std::string(text().substr(trailerStart, tokenizer.offset() - trailerStart));
    return Status::success();
}

Result<PDFObjectFile::Entry> PDFObjectFile::readObject(int number, std::size_t offset, int lengthDepth) const
{
    std::string_view bytes = text();
    if (offset >= bytes.size())
        return malformedObjectFile("object " + std::to_string(number) + " lies outside the file");
    PDFTokenizer tokenizer(bytes, offset);
    std::optional<std::size_t> objectNumber = countOf(tokenizer.next());
    std::optional<std::size_t> generation = countOf(tokenizer.next());
    if (!objectNumber || *objectNumber != static_cast<std::size_t>(number) || !generation || *generation > 65535
        || !tokenizer.next().isKeyword("obj"))
        return malformedObjectFile("object " + std::to_string(number) + " is not where the table says");
    Entry entry;
    entry.number = number;
    entry.generation = static_cast<int>(*generation);
    entry.begin = offset;
    entry.valueBegin = tokenizer.offset();
    Result<PDFObject> value = PDFObject::parse(tokenizer);
    if (!value)
        return malformedObjectFile("object " + std::to_string(number) + ": " + value.error().message);
    entry.value = std::move(*value);
    entry.valueEnd = tokenizer.offset();
    PDFTokenizer::Token after = tokenizer.next();
    if (after.isKeyword("stream")) {
        if (!entry.value.isDictionary() || lengthDepth > 0)
            return malformedObjectFile("object " + std::to_string(number) + " has a stray stream");
        const PDFObject* length = entry.value.find("Length");
        double streamLength = -1;
        if (length && length->kind() == PDFObject::Kind::Number) {
            streamLength = length->number();
        } else if (length && length->kind() == PDFObject::Kind::Reference) {
            auto lengthOffset = m_offsetOfNumber.find(length->objectNumber());
            if (lengthOffset != m_offsetOfNumber.end()) {
                Result<Entry> lengthObject = readObject(length->objectNumber(), lengthOffset->second, lengthDepth + 1);
                if (lengthObject && lengthObject->value.kind() == PDFObject::Kind::Number)
                    streamLength = lengthObject->value.number();
            }
        }
        // The keyword is followed by CRLF or LF, then the bytes.
        std::size_t dataStart = tokenizer.offset();
        if (dataStart < bytes.size() && bytes[dataStart] == '\r')
            ++dataStart;
        if (dataStart < bytes.size() && bytes[dataStart] == '\n')
            ++dataStart;
        if (streamLength < 0 || streamLength > double(bytes.size() - dataStart))
            return malformedObjectFile("object " + std::to_string(number) + " has no usable stream length");
        entry.isStream = true;
        entry.streamBegin = dataStart;
        entry.streamLength = static_cast<std::size_t>(streamLength);
        tokenizer.setOffset(dataStart + entry.streamLength);
        if (!tokenizer.next().isKeyword("endstream"))
            return malformedObjectFile("object " + std::to_string(number) + "'s stream does not end at its length");
        after = tokenizer.next();
    }
    if (!after.isKeyword("endobj"))
        return malformedObjectFile("object " + std::to_string(number) + " has no endobj");
    entry.end = tokenizer.offset();
    return entry;
}

const PDFObjectFile::Entry* PDFObjectFile::entry(int number) const
{
    if (number < 0 || static_cast<std::size_t>(number) >= m_entryOfNumber.size())
        return nullptr;
    int index = m_entryOfNumber[static_cast<std::size_t>(number)];
    return index < 0 ? nullptr : &m_entries[static_cast<std::size_t>(index)];
}

std::vector<int> PDFObjectFile::objectNumbers() const
{
    std::vector<int> numbers;
    numbers.reserve(m_entries.size());
    for (const Entry& entry : m_entries)
        numbers.push_back(entry.number);
    return numbers;
}

const PDFObject* PDFObjectFile::value(int number) const
{
    const Entry* found = entry(number);
    return found ? &found->value : nullptr;
}

const PDFObject* PDFObjectFile::resolve(const PDFObject* object) const
{
    for (int step = 0; object && object->kind() == PDFObject::Kind::Reference; ++step) {
        if (step == kMaximumReferenceChain)
            return nullptr;
        object = value(object->objectNumber());
    }
    return object;
}

const PDFObject* PDFObjectFile::resolvedEntry(const PDFObject& dictionary, std::string_view key) const
{
    return resolve(dictionary.find(key));
}

bool PDFObjectFile::isStream(int number) const
{
    const Entry* found = entry(number);
    return found && found->isStream;
}

std::span<const std::uint8_t> PDFObjectFile::storedStream(int number) const
{
    const Entry* found = entry(number);
    if (!found || !found->isStream)
        return {};
    return m_bytes.span().subspan(found->streamBegin, found->streamLength);
}

Result<Data> PDFObjectFile::decodedStream(int number) const
{
    const Entry* found = entry(number);
    if (!found || !found->isStream)
        return malformedObjectFile("object " + std::to_string(number) + " is no stream");
    const PDFObject* filter = resolvedEntry(found->value, "Filter");
    if (filter && filter->kind() == PDFObject::Kind::Array && filter->items().size() == 1)
        filter = resolve(&filter->items().front());
    if (!filter || filter->kind() == PDFObject::Kind::Null)
        return Data(storedStream(number).data(), found->streamLength);
    if (!filter->isName("FlateDecode") || found->value.find("DecodeParms"))
        return unsupported("object " + std::to_string(number) + " has a filter other than plain FlateDecode");
    Result<Data> decoded =
        Deflate::decompress(storedStream(number), Deflate::kDefaultInflateLimit, Deflate::Framing::Zlib);
    if (!decoded)
        return malformedObjectFile("object " + std::to_string(number) + ": " + decoded.error().message);
    return decoded;
}

std::string PDFObjectFile::streamBody(std::string_view dictionary, std::span<const std::uint8_t> bytes)
{
    std::string body(dictionary);
    body += " stream\n";
    body.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    body += "\nendstream";
    return body;
}

std::string_view PDFObjectFile::valueText(int number) const
{
    const Entry* found = entry(number);
    return found ? text().substr(found->valueBegin, found->valueEnd - found->valueBegin) : std::string_view();
}

Data PDFObjectFile::rewritten(const std::map<int, std::string>& replacedBodies) const
{
    Data output;
    // The new file is about the old one's size: room for it at once spares
    // copying megabytes over and over as it grows.
    std::size_t replacedSize = 0;
    for (const auto& replaced : replacedBodies)
        replacedSize += replaced.second.size() + 32;
    output.mutableVector().reserve(m_bytes.length() + replacedSize + 32 * m_entryOfNumber.size());
    std::size_t headerEnd = m_entries.empty() ? 0 : m_entries.front().begin;
    output.append(m_bytes.span().first(headerEnd));
    std::vector<std::size_t> offsets(m_entryOfNumber.size(), 0);
    for (const Entry& entry : m_entries) {
        offsets[static_cast<std::size_t>(entry.number)] = output.length();
        auto replaced = replacedBodies.find(entry.number);
        if (replaced == replacedBodies.end()) {
            output.append(m_bytes.span().subspan(entry.begin, entry.end - entry.begin));
        } else {
            output.append(std::to_string(entry.number) + " " + std::to_string(entry.generation) + " obj\n");
            output.append(replaced->second);
            output.append("\nendobj");
        }
        output.append("\n");
    }

    std::size_t tableOffset = output.length();
    const PDFObject* declaredSize = m_trailer.find("Size");
    std::size_t size = std::max(m_entryOfNumber.size(),
                                declaredSize && declaredSize->kind() == PDFObject::Kind::Number
                                    ? static_cast<std::size_t>(std::max(0.0, declaredSize->number()))
                                    : 0);
    std::vector<int> freeNumbers;
    for (std::size_t number = 1; number < size; ++number) {
        if (!entry(static_cast<int>(number)))
            freeNumbers.push_back(static_cast<int>(number));
    }
    std::string table = "xref\n0 " + std::to_string(size) + "\n";
    // The free entries form a list from object 0 through every unused number.
    std::size_t nextFree = 0;
    table += crossReferenceEntry(freeNumbers.empty() ? 0 : static_cast<std::size_t>(freeNumbers.front()), 65535, 'f');
    for (std::size_t number = 1; number < size; ++number) {
        if (const Entry* found = entry(static_cast<int>(number))) {
            table += crossReferenceEntry(offsets[number], found->generation, 'n');
        } else {
            ++nextFree;
            std::size_t following = nextFree < freeNumbers.size() ? static_cast<std::size_t>(freeNumbers[nextFree]) : 0;
            table += crossReferenceEntry(following, 1, 'f');
        }
    }
    table += "trailer\n" + m_trailerText + "\nstartxref\n" + std::to_string(tableOffset) + "\n%%EOF\n";
    output.append(table);
    return output;
}

} // namespace folio
