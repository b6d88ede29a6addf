#pragma once

#include "platform/foundation/Deflate.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace folio::testing_support {

// Small PDF files written object by object, with the cross-reference table
// a reader checks them against.
class PDFTestFile {
public:
    // Numbers run from 1 in the order objects are added or reserved.
    int reserve()
    {
        m_bodies.emplace_back();
        return static_cast<int>(m_bodies.size());
    }
    int add(std::string body)
    {
        int number = reserve();
        set(number, std::move(body));
        return number;
    }
    void set(int number, std::string body) { m_bodies[static_cast<std::size_t>(number - 1)] = std::move(body); }

    // A stream object: `entries` go into its dictionary beside /Length (and
    // /Filter when compressed).
    static std::string stream(std::string_view bytes, const std::string& entries = {}, bool compress = true)
    {
        std::string stored(bytes);
        std::string dictionary = "<<" + entries;
        if (compress) {
            auto compressed = Deflate::compress(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                                                6, Deflate::Framing::Zlib);
            stored = std::string(compressed->stringView());
            dictionary += " /Filter /FlateDecode";
        }
        return dictionary + " /Length " + std::to_string(stored.size()) + ">>\nstream\n" + stored + "\nendstream";
    }

    std::string bytes(const std::string& trailerEntries) const
    {
        std::string file = "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n";
        std::vector<std::size_t> offsets;
        for (std::size_t index = 0; index < m_bodies.size(); ++index) {
            offsets.push_back(file.size());
            file += std::to_string(index + 1) + " 0 obj\n" + m_bodies[index] + "\nendobj\n";
        }
        std::size_t table = file.size();
        file += "xref\n0 " + std::to_string(m_bodies.size() + 1) + "\n0000000000 65535 f \n";
        for (std::size_t offset : offsets) {
            char entry[32];
            std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
            file += entry;
        }
        file += "trailer\n<</Size " + std::to_string(m_bodies.size() + 1) + " " + trailerEntries + ">>\nstartxref\n"
                + std::to_string(table) + "\n%%EOF\n";
        return file;
    }

private:
    std::vector<std::string> m_bodies;
};

inline std::string readWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder of the test's own under the temporary folder.
inline std::filesystem::path scratchFolder(const std::string& name)
{
    auto folder = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

} // namespace folio::testing_support
