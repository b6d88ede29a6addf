#pragma once

#include "platform/foundation/Error.h"

#include <string>
#include <string_view>

namespace folio {

// A folder of one export's own in the temporary folder, made with a name
// nobody else can take (mkdtemp) and removed with everything in it when the
// export is over, whether it succeeded or failed. Exports of documents with
// the same name, running at the same time, never see each other's files.
class StagingFolder {
public:
    static constexpr const char* kErrorDomain = "StagingFolder";
    enum ErrorCode { NotMade = 1 };

    // `prefix` names the export in the folder's name ("epub", "rtfd"...);
    // the name also holds the process's id.
    static Result<StagingFolder> make(std::string_view prefix);

    // Removes the folders of processes that ended without removing their own
    // (a crash, a kill), and answers how many went. Folders of running
    // processes, and everything else in the temporary folder, stay.
    static std::size_t removeAbandoned();

    StagingFolder(StagingFolder&& other) noexcept;
    StagingFolder& operator=(StagingFolder&& other) noexcept;
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    ~StagingFolder();

    const std::string& path() const { return m_path; }
    std::string path(std::string_view relative) const { return m_path + "/" + std::string(relative); }
    // The folder's own name, unique among everything in the temporary folder.
    std::string name() const;

    // Keeps the folder when the export hands it over to someone else.
    std::string release();

private:
    explicit StagingFolder(std::string path) : m_path(std::move(path)) {}

    std::string m_path;
};

} // namespace folio
