// The rich-text editor's save path as a command, so that bench/compare.sh can
// time it beside another word processor: an editor's page (HTML) in, RTF out.
#include "documents/EditorContent.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/foundation/FileManager.h"

#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: page_to_rtf PAGE.html OUTPUT.rtf\n";
        return 2;
    }
    std::ifstream stream(argv[1], std::ios::binary | std::ios::ate);
    if (!stream) {
        std::cerr << "page_to_rtf: cannot read " << argv[1] << "\n";
        return 1;
    }
    // The page is read straight into the editor's content and let go of once
    // it is wrapped, as a save holds it: the figures are the save's own.
    folio::EditorContent content;
    content.bodyHTML.resize(static_cast<std::size_t>(stream.tellg()));
    stream.seekg(0);
    if (!stream.read(content.bodyHTML.data(), static_cast<std::streamsize>(content.bodyHTML.size()))) {
        std::cerr << "page_to_rtf: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::string wrapped = content.richTextHTML();
    std::string().swap(content.bodyHTML);
    auto converter = folio::RichTextConverter::engineConverter();
    auto text = converter->attributedStringFromHTML(wrapped);
    std::string().swap(wrapped);
    if (!text) {
        std::cerr << "page_to_rtf: " << text.error().message << "\n";
        return 1;
    }
    auto rtf = converter->rtfFromAttributedString(*text, "Benchmark");
    if (!rtf) {
        std::cerr << "page_to_rtf: " << rtf.error().message << "\n";
        return 1;
    }
    if (auto written = folio::FileManager::writeAtomically(argv[2], *rtf); !written) {
        std::cerr << "page_to_rtf: " << written.error().message << "\n";
        return 1;
    }
    return 0;
}
