#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace folio {

// Housekeeping of the temporary folder: exports, previews and page copies
// older than two days go. Kept are the top-level folder "DocumentPreviews"
// itself (not what is in it) and every item whose name ends with ".rtf" or
// ".RTF". Old files go first; then old folders, deepest first, only when
// nothing is left in them, so that a fresh file inside an old folder stays.
//
// The age of an item is that of its last modification: Linux file systems do
// not reliably record creation, and temporary items are written once.
class TemporaryFolderCleaner {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;
    static constexpr std::chrono::seconds kMaximumAge{172800};

    explicit TemporaryFolderCleaner(std::string folder, Clock clock = &std::chrono::system_clock::now);

    // Answers the relative paths deleted. Items that cannot be deleted are
    // left and the clean-up goes on.
    std::vector<std::string> deleteOlderItems() const;

private:
    std::string m_folder;
    Clock m_clock;
};

} // namespace folio
