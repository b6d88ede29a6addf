#include "export/epub/EPubPackageWriter.h"

#include "platform/foundation/HTMLTextEscaper.h"

#include <ctime>

namespace folio {

namespace {

constexpr const char* kXMLProlog = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
constexpr const char* kOPFNamespace = "http://www.idpf.org/2007/opf";
constexpr const char* kXHTMLNamespace = "http://www.w3.org/1999/xhtml";

std::string packageEscaped(std::string_view text)
{
    return HTMLTextEscaper::escape(text);
}

std::string formattedTime(std::chrono::system_clock::time_point time, const char* format, bool utc)
{
    std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm parts{};
    if (utc)
        gmtime_r(&seconds, &parts);
    else
        localtime_r(&seconds, &parts);
    char buffer[32];
    std::size_t length = std::strftime(buffer, sizeof buffer, format, &parts);
    return std::string(buffer, length);
}

std::string endsWithLowercase(std::string_view name)
{
    std::string lower(name);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return lower;
}

std::string headLinks(const std::string& identifier)
{
    return "<link rel=\"stylesheet\" href=\"css/book.css\" type=\"text/css\"/><meta charset=\"UTF-8\"/>"
           "<meta name=\"EPB-UUID\" content=\""
        + packageEscaped(identifier) + "\"/>";
}

} // namespace

std::string EPubPackageInfo::dateString(std::chrono::system_clock::time_point time)
{
    return formattedTime(time, "%Y-%m-%d", false);
}

std::string EPubPackageInfo::modifiedString(std::chrono::system_clock::time_point time)
{
    return formattedTime(time, "%Y-%m-%dT%H:%M:%SZ", true);
}

std::string EPubPackageWriter::containerXML()
{
    return std::string(kXMLProlog)
        + "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"><rootfiles>"
          "<rootfile full-path=\"OPS/epb.opf\" media-type=\"application/oebps-package+xml\"/></rootfiles></container>";
}

std::string EPubPackageWriter::pictureMediaType(std::string_view fileName)
{
    std::string lower = endsWithLowercase(fileName);
    if (lower.ends_with(".png"))
        return "image/png";
    if (lower.ends_with(".jpg") || lower.ends_with(".jpeg"))
        return "image/jpeg";
    return {};
}

std::string EPubPackageWriter::packageDocument(const EPubPackageInfo& info)
{
    std::string opf = std::string(kXMLProlog) + "\n";
    opf += "<package xmlns=\"" + std::string(kOPFNamespace) + "\" xmlns:ibooks=\"" + kOPFNamespace
        + "\" unique-identifier=\"BookId\" version=\"3.0\" prefix=\"ibooks: " + kOPFNamespace + "\">";
    opf += "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:opf=\"" + std::string(kOPFNamespace) + "\">";
    opf += "<dc:title>" + packageEscaped(info.title) + "</dc:title>";
    // An empty creator or contributor makes the package invalid; both name
    // the application that made the book.
    opf += "<dc:creator id=\"creator\">" + packageEscaped(info.creator) + "</dc:creator>";
    opf += "<meta refines=\"#creator\" property=\"role\" scheme=\"marc:relators\">aut</meta>";
    opf += "<dc:contributor id=\"contributor\">" + packageEscaped(info.creator) + "</dc:contributor>";
    opf += "<meta refines=\"#contributor\" property=\"role\" scheme=\"marc:relators\">bkp</meta>";
    opf += "<dc:date>" + packageEscaped(info.date) + "</dc:date>";
    opf += "<dc:subject>-</dc:subject>";
    opf += "<dc:identifier id=\"BookId\">" + packageEscaped(info.identifier) + "</dc:identifier>";
    opf += "<dc:language>en</dc:language>";
    opf += "<meta property=\"dcterms:modified\">" + packageEscaped(info.modified) + "</meta>";
    opf += "<meta property=\"ibooks:specified-fonts\">true</meta>";
    opf += "<meta name=\"cover\" content=\"cover-image\"/>";
    opf += "</metadata>";
    opf += "<manifest>"
           "<item id=\"toc\" href=\"toc.xhtml\" media-type=\"application/xhtml+xml\" properties=\"nav\"/>"
           "<item id=\"chapter-1\" href=\"chapter-1.xhtml\" media-type=\"application/xhtml+xml\"/>"
           "<item id=\"stylesheet\" href=\"css/book.css\" media-type=\"text/css\"/>"
           "<item id=\"ncx\" href=\"epb.ncx\" media-type=\"application/x-dtbncx+xml\"/>";
    // Readers (and validators) refuse resources the manifest does not declare.
    int number = 0;
    for (const std::string& picture : info.pictures) {
        std::string type = pictureMediaType(picture);
        if (type.empty())
            continue;
        opf += "<item id=\"picture-" + std::to_string(++number) + "\" href=\"" + std::string(kChapterPictureFolder) + "/" + packageEscaped(picture)
            + "\" media-type=\"" + type + "\"/>";
    }
    opf += "</manifest>";
    opf += "<spine toc=\"ncx\"><itemref idref=\"toc\" linear=\"yes\"/><itemref idref=\"chapter-1\" linear=\"yes\"/></spine>";
    opf += "<guide><reference type=\"text\" title=\"Chapter-1\" href=\"chapter-1.xhtml\"/></guide></package>";
    return opf;
}

std::string EPubPackageWriter::navigationControlFile(const EPubPackageInfo& info)
{
    return std::string(kXMLProlog) + "\n"
        + "<ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\" version=\"2005-1\"><head>"
          "<meta name=\"dtb:uid\" content=\""
        + packageEscaped(info.identifier) + "\"/><meta name=\"epub-creator\" content=\"" + packageEscaped(info.creator)
        + "\"/><meta name=\"dtb:depth\" content=\"1\"/><meta name=\"dtb:totalPageCount\" content=\"0\"/>"
          "<meta name=\"dtb:maxPageNumber\" content=\"0\"/></head><docTitle><text>"
        + packageEscaped(info.title)
        + "</text></docTitle><docAuthor><text></text></docAuthor><navMap>"
          "<navPoint id=\"navpoint-1\" playOrder=\"1\"><navLabel><text>Chapter-1</text></navLabel>"
          "<content src=\"chapter-1.xhtml\"/></navPoint></navMap></ncx>";
}

std::string EPubPackageWriter::navigationDocument(const EPubPackageInfo& info)
{
    return std::string(kXMLProlog) + "\n" + "<html xmlns=\"" + kXHTMLNamespace
        + "\" xmlns:epub=\"http://www.idpf.org/2007/ops\" xml:lang=\"en\"><head><title>Contents</title>"
        + headLinks(info.identifier)
        + "</head><body><div class=\"body\" style=\"white-space:pre-wrap; line-break:strict;\">"
          "<nav epub:type=\"toc\" id=\"toc\"><ol style=\"padding-left:0em; margin-left:2em;list-style-position:inside;\">"
          "<li><a href=\"chapter-1.xhtml\"><span>Chapter-1</span></a></li></ol></nav></div></body></html>";
}

std::string EPubPackageWriter::chapterDocument(const EPubPackageInfo& info, std::string_view bodyHTML)
{
    return std::string(kXMLProlog) + "\n" + "<html xmlns=\"" + kXHTMLNamespace
        + "\" xml:lang=\"en\"><head><title>1 Chapter 1 | " + packageEscaped(info.title) + "</title>"
        + headLinks(info.identifier) + "</head><body>" + std::string(bodyHTML) + "</body></html>";
}

std::string EPubPackageWriter::styleSheet()
{
    return "p { margin: 0px }   sub { font-size: 67%; vertical-align: -10% }   "
           "sup { font-size: 67%; vertical-align: 33% }   "
           ".s1 { -webkit-hyphens: none; color: #000000; font-family: \"Helvetica\"; font-size: 68.7500%; "
           "font-style: normal; font-variant: normal; font-weight: normal; hyphens: none; "
           "letter-spacing: 0.0000em; margin-bottom: 0.0000%; margin-top: 0.0000%; padding-left: 0.0000%; "
           "padding-right: 0.0000%; text-align: left; text-decoration: none; text-indent: 0.0000%; "
           "text-transform: none }";
}

} // namespace folio
