#include "platform/web/PrintedPDFPageScaler.h"

#include "platform/foundation/Deflate.h"
#include "platform/web/PDFObjectFile.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

namespace {

Error unsupportedPrint(std::string message)
{
    return Error{PrintedPDFPageScaler::kErrorDomain, PrintedPDFPageScaler::Unsupported, std::move(message)};
}

std::string scaledNumberText(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.5f", value);
    return text;
}

std::string numberArrayText(const std::vector<double>& numbers)
{
    std::string text = "[";
    for (std::size_t index = 0; index < numbers.size(); ++index)
        text += (index ? " " : "") + scaledNumberText(numbers[index]);
    return text + "]";
}

// The numbers of an array value, each times `factor`; none for what is not
// an array of numbers.
std::optional<std::vector<double>> scaledNumbers(const PDFObject* array, double factor)
{
    if (!array || array->kind() != PDFObject::Kind::Array)
        return std::nullopt;
    std::vector<double> numbers;
    for (const PDFObject& item : array->items()) {
        if (item.kind() != PDFObject::Kind::Number)
            return std::nullopt;
        numbers.push_back(item.number() * factor);
    }
    return numbers;
}

// A dictionary's text with the array under `key` replaced by `array`, or
// the entry added where the dictionary has none; nothing for a text that is
// not a dictionary of plain arrays under the key.
std::optional<std::string> withArrayEntry(std::string_view dictionary, std::string_view key, const std::string& array)
{
    while (!dictionary.empty() && std::isspace(static_cast<unsigned char>(dictionary.back())))
        dictionary.remove_suffix(1);
    while (!dictionary.empty() && std::isspace(static_cast<unsigned char>(dictionary.front())))
        dictionary.remove_prefix(1);
    if (dictionary.size() < 4 || dictionary.substr(0, 2) != "<<" || dictionary.substr(dictionary.size() - 2) != ">>")
        return std::nullopt;
    const std::string name = "/" + std::string(key);
    for (std::size_t at = dictionary.find(name); at != std::string_view::npos; at = dictionary.find(name, at + 1)) {
        std::size_t after = at + name.size();
        // A longer name that starts the same ("/MediaBoxes") is another key.
        if (after < dictionary.size() && std::isalnum(static_cast<unsigned char>(dictionary[after])))
            continue;
        while (after < dictionary.size() && std::isspace(static_cast<unsigned char>(dictionary[after])))
            ++after;
        if (after >= dictionary.size() || dictionary[after] != '[')
            return std::nullopt;
        const std::size_t close = dictionary.find(']', after);
        if (close == std::string_view::npos || dictionary.substr(after + 1, close - after - 1).find('[') != std::string_view::npos)
            return std::nullopt;
        return std::string(dictionary.substr(0, after)) + array + std::string(dictionary.substr(close + 1));
    }
    return std::string(dictionary.substr(0, dictionary.size() - 2)) + " " + name + " " + array + ">>";
}

// The object numbers an array or dictionary of references names; an error
// for a value written in place of a reference.
Result<std::vector<int>> referencedObjects(const PDFObject& references, const std::string& what)
{
    std::vector<int> numbers;
    for (const PDFObject& item : references.items()) {
        if (item.kind() != PDFObject::Kind::Reference)
            return unsupportedPrint(what + " is not an object of its own");
        numbers.push_back(item.objectNumber());
    }
    return numbers;
}

class PageScaling {
public:
    PageScaling(const PDFObjectFile& file, const Size& paper, double factor)
        : m_file(file), m_paper(paper), m_factor(factor)
    {
    }

    Status scalePage(int number, const PDFObject& page);
    std::map<int, std::string>& replaced() { return m_replaced; }

private:
    Status scaleContents(const PDFObject& page);
    Status scalePatterns(const PDFObject& page);
    Status scaleAnnotations(const PDFObject& page);
    // The dictionary of object `number` with `key` set to `array`, written
    // back with its stream, if it has one, as it was.
    Status replaceArray(int number, std::string_view key, const std::vector<double>& array);

    const PDFObjectFile& m_file;
    Size m_paper;
    double m_factor;
    std::map<int, std::string> m_replaced;
};

Status PageScaling::replaceArray(int number, std::string_view key, const std::vector<double>& array)
{
    std::optional<std::string> text = withArrayEntry(m_file.valueText(number), key, numberArrayText(array));
    if (!text)
        return unsupportedPrint("object " + std::to_string(number) + "'s " + std::string(key) + " cannot be rewritten");
    m_replaced[number] = m_file.isStream(number) ? PDFObjectFile::streamBody(*text, m_file.storedStream(number)) : *text;
    return Status::success();
}

Status PageScaling::scalePage(int number, const PDFObject& page)
{
    // Boxes and resources a page inherits from its tree are not followed.
    if (!page.find("MediaBox") || !page.find("Resources"))
        return unsupportedPrint("page object " + std::to_string(number) + " inherits its box or resources");
    if (Status contents = scaleContents(page); !contents)
        return contents;
    if (Status patterns = scalePatterns(page); !patterns)
        return patterns;
    if (Status annotations = scaleAnnotations(page); !annotations)
        return annotations;
    std::optional<std::string> text = std::string(m_file.valueText(number));
    const std::string paperBox = numberArrayText({0, 0, m_paper.width, m_paper.height});
    for (const char* box : {"MediaBox", "CropBox", "BleedBox", "TrimBox", "ArtBox"}) {
        if (text && page.find(box))
            text = withArrayEntry(*text, box, paperBox);
    }
    if (!text)
        return unsupportedPrint("page object " + std::to_string(number) + "'s boxes cannot be rewritten");
    m_replaced[number] = *text;
    return Status::success();
}

Status PageScaling::scaleContents(const PDFObject& page)
{
    const PDFObject* contents = page.find("Contents");
    std::vector<int> streams;
    if (contents && contents->kind() == PDFObject::Kind::Reference) {
        streams.push_back(contents->objectNumber());
    } else if (contents && contents->kind() == PDFObject::Kind::Array) {
        Result<std::vector<int>> numbers = referencedObjects(*contents, "a page's content");
        if (!numbers)
            return numbers.error();
        streams = std::move(*numbers);
    } else if (contents) {
        return unsupportedPrint("a page's contents are not streams");
    }
    if (streams.empty())
        return Status::success();
    // The first stream opens the smaller drawing, the last closes it.
    const std::string opening = "q " + scaledNumberText(m_factor) + " 0 0 " + scaledNumberText(m_factor) + " 0 0 cm\n";
    std::vector<int> ends{streams.front()};
    if (streams.back() != streams.front())
        ends.push_back(streams.back());
    for (int stream : ends) {
        if (!m_file.isStream(stream) || m_replaced.contains(stream))
            return unsupportedPrint("object " + std::to_string(stream) + " is not a page's own content stream");
        Result<Data> decoded = m_file.decodedStream(stream);
        if (!decoded)
            return decoded.error();
        std::string bytes(decoded->stringView());
        if (stream == streams.front())
            bytes = opening + bytes;
        if (stream == streams.back())
            bytes += "\nQ\n";
        Result<Data> compressed = Deflate::compress(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 6, Deflate::Framing::Zlib);
        if (!compressed)
            return compressed.error();
        m_replaced[stream] = PDFObjectFile::streamBody(
            "<</Length " + std::to_string(compressed->length()) + " /Filter /FlateDecode>>", compressed->span());
    }
    return Status::success();
}

Status PageScaling::scalePatterns(const PDFObject& page)
{
    // A pattern places itself in the page's own space, which the drawing's
    // scale does not reach: its matrix takes the scale on.
    const PDFObject* resources = m_file.resolvedEntry(page, "Resources");
    const PDFObject* patterns = resources ? m_file.resolvedEntry(*resources, "Pattern") : nullptr;
    if (!patterns)
        return Status::success();
    Result<std::vector<int>> numbers = referencedObjects(*patterns, "a pattern");
    if (!numbers)
        return numbers.error();
    for (int number : *numbers) {
        if (m_replaced.contains(number))
            continue;
        const PDFObject* pattern = m_file.value(number);
        if (!pattern || !pattern->isDictionary())
            return unsupportedPrint("pattern " + std::to_string(number) + " is not a dictionary");
        const PDFObject* matrix = pattern->find("Matrix");
        std::optional<std::vector<double>> scaled =
            matrix ? scaledNumbers(matrix, m_factor) : std::vector<double>{1 * m_factor, 0, 0, 1 * m_factor, 0, 0};
        if (!scaled || scaled->size() != 6)
            return unsupportedPrint("pattern " + std::to_string(number) + " has no plain matrix");
        if (Status replaced = replaceArray(number, "Matrix", *scaled); !replaced)
            return replaced;
    }
    return Status::success();
}

Status PageScaling::scaleAnnotations(const PDFObject& page)
{
    const PDFObject* annotations = m_file.resolvedEntry(page, "Annots");
    if (!annotations)
        return Status::success();
    Result<std::vector<int>> numbers = referencedObjects(*annotations, "an annotation");
    if (!numbers)
        return numbers.error();
    for (int number : *numbers) {
        const PDFObject* annotation = m_file.value(number);
        if (m_replaced.contains(number) || !annotation || !annotation->isDictionary())
            return unsupportedPrint("annotation " + std::to_string(number) + " cannot be placed again");
        std::optional<std::vector<double>> rect = scaledNumbers(annotation->find("Rect"), m_factor);
        if (!rect)
            return unsupportedPrint("annotation " + std::to_string(number) + " has no plain area");
        if (Status replaced = replaceArray(number, "Rect", *rect); !replaced)
            return replaced;
        if (const PDFObject* quads = annotation->find("QuadPoints")) {
            std::optional<std::vector<double>> scaled = scaledNumbers(quads, m_factor);
            std::optional<std::string> text = scaled ? withArrayEntry(m_replaced[number], "QuadPoints",
                                                                      numberArrayText(*scaled))
                                                     : std::nullopt;
            if (!text)
                return unsupportedPrint("annotation " + std::to_string(number) + " has no plain quadrilaterals");
            m_replaced[number] = *text;
        }
    }
    return Status::success();
}

} // namespace

Result<Data> PrintedPDFPageScaler::reduced(const Data& printedPDF, const Size& paper, double magnification)
{
    if (!(magnification > 0) || !(paper.width > 0) || !(paper.height > 0))
        return unsupportedPrint("no paper to draw the print onto");
    Result<PDFObjectFile> file = PDFObjectFile::read(printedPDF);
    if (!file)
        return file.error();
    PageScaling scaling(*file, paper, 1 / magnification);
    int pages = 0;
    for (int number : file->objectNumbers()) {
        const PDFObject* value = file->value(number);
        const PDFObject* type = value && value->isDictionary() && !file->isStream(number) ? value->find("Type")
                                                                                           : nullptr;
        if (!type || !type->isName("Page"))
            continue;
        if (Status scaled = scaling.scalePage(number, *value); !scaled)
            return scaled.error();
        ++pages;
    }
    if (pages == 0)
        return unsupportedPrint("the print has no pages of its own");
    return file->rewritten(scaling.replaced());
}

} // namespace folio
