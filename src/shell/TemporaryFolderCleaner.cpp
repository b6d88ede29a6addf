#include "shell/TemporaryFolderCleaner.h"

#include "platform/foundation/FileManager.h"

#include <algorithm>
#include <filesystem>

namespace folio {

namespace {

bool isKept(const std::string& relativePath)
{
    auto endsWith = [&](std::string_view suffix) {
        return relativePath.size() >= suffix.size() &&
               relativePath.compare(relativePath.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    return relativePath == "DocumentPreviews" || endsWith(".rtf") || endsWith(".RTF");
}

} // namespace

TemporaryFolderCleaner::TemporaryFolderCleaner(std::string folder, Clock clock)
    : m_folder(std::move(folder)), m_clock(std::move(clock))
{
}

std::vector<std::string> TemporaryFolderCleaner::deleteOlderItems() const
{
    std::vector<std::string> deleted;
    Result<std::vector<DirectoryEntry>> entries = FileManager::enumerateDirectory(m_folder);
    if (!entries)
        return deleted;
    const auto cutoff = m_clock() - kMaximumAge;
    std::vector<const DirectoryEntry*> oldFolders;
    for (const DirectoryEntry& entry : *entries) {
        if (entry.attributes.modificationDate >= cutoff || isKept(entry.relativePath))
            continue;
        // Dates are taken before anything is deleted: removing a file makes
        // its folder look new.
        if (entry.attributes.isDirectory && !entry.attributes.isSymbolicLink) {
            oldFolders.push_back(&entry);
            continue;
        }
        if (FileManager::removeItem(m_folder + "/" + entry.relativePath))
            deleted.push_back(entry.relativePath);
    }
    // Deepest first, so that a folder emptied of old folders can go too.
    std::sort(oldFolders.begin(), oldFolders.end(), [](const DirectoryEntry* a, const DirectoryEntry* b) {
        return a->relativePath.size() > b->relativePath.size();
    });
    for (const DirectoryEntry* folder : oldFolders) {
        std::error_code error;
        if (std::filesystem::remove(m_folder + "/" + folder->relativePath, error) && !error)
            deleted.push_back(folder->relativePath);
    }
    return deleted;
}

} // namespace folio
