#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/ZipArchive.h"
#include "platform/graphics/Image.h"

#include <libxml/parser.h>

#include <cstdlib>
#include <iomanip>
#include <sstream>
#include <string>

namespace folio::testing_support {

// Whether the text parses as XML (namespaces and all), as a reading system would.
inline bool isWellFormedXML(const std::string& text)
{
    xmlDoc* document = xmlReadMemory(text.data(), int(text.size()), nullptr, "UTF-8",
                                     XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!document)
        return false;
    xmlFreeDoc(document);
    return true;
}

inline std::string entryText(const DKZipArchive& archive, const std::string& name)
{
    Result<Data> bytes = archive.readEntry(name);
    if (!bytes)
        return {};
    return std::string(reinterpret_cast<const char*>(bytes->bytes()), bytes->length());
}

// A small PNG picture as RTF picture data (hexadecimal digits).
inline std::string pngPictureHex(int width, int height)
{
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4, 0x80);
    auto image = Image::imageWithPixels(width, height, std::move(pixels));
    if (!image)
        return {};
    auto png = (*image)->pngData();
    if (!png)
        return {};
    std::ostringstream hex;
    for (std::uint8_t byte : *png)
        hex << std::hex << std::setw(2) << std::setfill('0') << int(byte);
    return hex.str();
}

// An RTF document with a line of text, a picture and another line.
inline std::string rtfWithPicture(const std::string& text)
{
    return "{\\rtf1\\ansi{\\fonttbl\\f0 Helvetica;}\\f0\\fs24 " + text + "\\par {\\pict\\pngblip\\picw4\\pich4\\picwgoal80\\pichgoal80\n"
        + pngPictureHex(4, 4) + "\n}\\par after\\par}";
}

// epubcheck's verdict (exit status 0 for a valid book); -1 when it is not installed.
inline int epubcheckStatus(const std::string& path, std::string* report = nullptr)
{
    // The Debian package installs a jar; running it through java does not
    // depend on the system being set up to execute jars directly.
    const std::string jar = "/usr/share/java/epubcheck.jar";
    if (std::system(("test -f " + jar + " && command -v java >/dev/null 2>&1").c_str()) != 0)
        return -1;
    std::string log = path + ".epubcheck.txt";
    // A check runs for a few seconds, too short for the optimising compiler
    // to pay back what it costs: with the quick compiler alone the Java
    // machine spends a third of the processor time on the same verdict.
    int status = std::system(("java -XX:TieredStopAtLevel=1 -jar " + jar + " -q '" + path + "' >'" + log + "' 2>&1").c_str());
    if (report) {
        Result<Data> bytes = Data::dataWithContentsOfFile(log);
        if (bytes)
            *report = std::string(reinterpret_cast<const char*>(bytes->bytes()), bytes->length());
    }
    std::remove(log.c_str());
    return status;
}

} // namespace folio::testing_support
