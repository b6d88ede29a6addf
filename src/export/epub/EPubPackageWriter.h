#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// What the package files say about the book.
struct EPubPackageInfo {
    std::string title;
    // A UUID string, new for every export.
    std::string identifier;
    std::string creator;
    // "yyyy-MM-dd", the local day of the export.
    std::string date;
    // "yyyy-MM-dd'T'HH:mm:ss'Z'", the time of the export in UTC.
    std::string modified;
    // File names of the pictures under OPS/data.
    std::vector<std::string> pictures;

    static std::string dateString(std::chrono::system_clock::time_point time);
    static std::string modifiedString(std::chrono::system_clock::time_point time);
};

// The text of each file of an EPUB 3 book with one chapter: the container
// document, the package document, the navigation control file (for EPUB 2
// readers), the navigation document, the chapter and its style sheet. Every
// value placed into them is escaped for XML.
class EPubPackageWriter {
public:
    static constexpr const char* kContainerPath = "META-INF/container.xml";
    static constexpr const char* kPackagePath = "OPS/epb.opf";
    static constexpr const char* kNCXPath = "OPS/epb.ncx";
    static constexpr const char* kNavigationPath = "OPS/toc.xhtml";
    static constexpr const char* kChapterPath = "OPS/chapter-1.xhtml";
    static constexpr const char* kStyleSheetPath = "OPS/css/book.css";
    static constexpr const char* kPictureFolder = "OPS/data";
    // The same folder as the chapter and the package document refer to it.
    static constexpr const char* kChapterPictureFolder = "data";

    EPubPackageWriter() = delete;

    static std::string containerXML();
    static std::string packageDocument(const EPubPackageInfo& info);
    static std::string navigationControlFile(const EPubPackageInfo& info);
    static std::string navigationDocument(const EPubPackageInfo& info);
    // `bodyHTML` must already be well-formed XHTML content.
    static std::string chapterDocument(const EPubPackageInfo& info, std::string_view bodyHTML);
    static std::string styleSheet();

    // The media type of a picture by its extension; "" for anything else.
    static std::string pictureMediaType(std::string_view fileName);
};

} // namespace folio
