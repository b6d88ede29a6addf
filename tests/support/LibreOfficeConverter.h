#pragma once

#include <string>
#include <vector>

namespace folio::test {

// What became of a request to LibreOffice: the converted files, in the order
// asked for, or what went wrong.
struct LibreOfficeConversion {
    std::vector<std::string> outputs;
    std::string failure;

    bool succeeded() const { return failure.empty(); }
};

// LibreOffice's reading of files, for the tests that hold Folio's files up
// against another program's: `soffice --convert-to` as a user would run it,
// made cheap enough to run in many tests at once.
//
// A run of the tests shares a folder (FOLIO_TEST_LIBREOFFICE_FOLDER, which
// test.sh makes anew for each run; else one per test process) that holds a
// LibreOffice profile made once, copied for each conversion because
// LibreOffice locks the profile it runs in, and every conversion made so far,
// keyed by the file's name and bytes and the filter. The same file converted
// again, as a foreign file is in every test that opens it, is copied from
// there. Processes share the folder safely: what one writes appears whole,
// under a name made by a rename.
class LibreOfficeConverter {
public:
    static bool isInstalled();

    // Converts each file with `filter` as `--convert-to` takes it ("pdf",
    // "fodt", "txt:Text (encoded):UTF8") into `outputFolder`, where each
    // becomes the file's stem with the filter's extension (the part before
    // its first colon). A file that could not be converted leaves no output
    // there, not even one of an earlier conversion.
    static LibreOfficeConversion convert(const std::vector<std::string>& files, const std::string& filter,
                                         const std::string& outputFolder);

    // The one file's conversion, or "" after a failure the test has been told of.
    static std::string converted(const std::string& file, const std::string& filter, const std::string& outputFolder);
};

} // namespace folio::test
