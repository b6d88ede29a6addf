// The rich-text editor's save path as a command, so that bench/compare.sh can
// time it beside another word processor: an editor's page (HTML) in, RTF out.
#include "documents/EditorContent.h"
#include "formats/rtf/RichTextConverter.h"
#include "platform/foundation/FileManager.h"

#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: page_to_rtf PAGE.html OUTPUT.rtf\n";
        return 2;
    }
    std::ifstream stream(argv[1], std::ios::binary);
    if (!stream) {
        std::cerr << "page_to_rtf: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::ostringstream page;
    page << stream.rdbuf();
    auto converter = folio::RichTextConverter::engineConverter();
    folio::EditorContent content;
    content.bodyHTML = page.str();
    auto text = converter->attributedStringFromHTML(content.richTextHTML());
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
