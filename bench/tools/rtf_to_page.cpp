// The rich-text editor's open path as a command: an RTF file in, the body of
// the page the editor loads out, so that its size and the time to make it can be measured
// (bench/compare.sh) and two builds' pages compared.
#include "documents/DocumentText.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/foundation/FileManager.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: rtf_to_page INPUT.rtf PAGE.html\n";
        return 2;
    }
    std::ifstream stream(argv[1], std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (!stream && !stream.eof()) {
        std::cerr << "rtf_to_page: cannot read " << argv[1] << "\n";
        return 1;
    }
    auto span = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    auto source = folio::DocumentText::rtfSource(span, argv[1]);
    if (!source) {
        std::cerr << "rtf_to_page: " << source.error().message << "\n";
        return 1;
    }
    auto converter = folio::RichTextConverter::engineConverter();
    auto read = converter->readRTF(*source, "Benchmark");
    if (!read) {
        std::cerr << "rtf_to_page: " << read.error().message << "\n";
        return 1;
    }
    auto page = converter->editingPageFromAttributedString(read->text, "Benchmark");
    if (!page) {
        std::cerr << "rtf_to_page: " << page.error().message << "\n";
        return 1;
    }
    // In the element the page puts around it, which says the languages its
    // runs inherit: bench_page_to_rtf reads back what a save would.
    std::string body = "<div id=\"paragraph\"" + page->languages.elementAttributesMarkup() + ">";
    body += page->html;
    body += "</div>";
    if (auto written = folio::FileManager::writeAtomically(argv[2], body); !written) {
        std::cerr << "rtf_to_page: " << written.error().message << "\n";
        return 1;
    }
    return 0;
}
