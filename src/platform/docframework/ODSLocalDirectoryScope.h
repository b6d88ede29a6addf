#pragma once

#include "platform/foundation/Error.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class ODSFileItem;

// The documents on this computer: a folder of files, with the folders that
// hold each document's data and the user's custom fonts beside it. The
// browser's file operations happen here; none of them ever replaces an
// existing file, and none deletes a file for good.
class ODSLocalDirectoryScope {
public:
    static constexpr const char* kErrorDomain = "ODSLocalDirectoryScope";
    enum ErrorCode { BadName = 1, NotInScope = 2, TrashFailed = 3, MonitorFailed = 4 };

    // Moves a file to the desktop's trash.
    using Trasher = std::function<Status(const std::string& path)>;

    // The user's documents folder of AppFolders.
    ODSLocalDirectoryScope();
    explicit ODSLocalDirectoryScope(std::string documentsFolder, Trasher trasher = {});
    ~ODSLocalDirectoryScope();
    ODSLocalDirectoryScope(const ODSLocalDirectoryScope&) = delete;
    ODSLocalDirectoryScope& operator=(const ODSLocalDirectoryScope&) = delete;

    const std::string& userDocumentsDirectoryURL() const { return m_documentsFolder; }
    static std::string documentDataFolderDirectoryURL();
    static std::string documentCustomFontsFolderDirectoryURL();

    // The visible files of the folder (not sub-folders, not dot files), by name.
    Result<std::vector<std::shared_ptr<ODSFileItem>>> fileItems() const;
    // Removes the temporaries that saves cut short left beside documents of
    // the kinds the store knows (FileManager::removeAtomicWriteLeftovers);
    // answers what it removed.
    std::vector<std::string> removeSaveLeftovers() const;

    // Where a new file named `name` would go: the name itself, or the next
    // free "Name 2.rtf" when it is taken. Nothing is created.
    Result<std::string> freePathForName(const std::string& name) const;
    // Gives the item the new name, keeping its extension; a taken name
    // becomes the next free one. Answers the new path.
    Result<std::string> renameItem(const ODSFileItem& item, const std::string& newName);
    // A copy beside the item, "Name 2.rtf" or the next free name.
    Result<std::string> duplicateItem(const ODSFileItem& item);
    // Copies a file from elsewhere into the folder under a free name.
    Result<std::string> importItem(const std::string& sourcePath);
    // To the desktop's trash. A file that cannot be trashed stays where it
    // is, and the failure is answered.
    Status deleteItem(const ODSFileItem& item);

    // Watches the folder: `changed` runs on the main loop when a file is
    // added, removed, renamed or written from anywhere. Replaces an earlier watch.
    Status startMonitoring(std::function<void()> changed);
    void stopMonitoring();

    // The desktop trash of GIO.
    static Status trashWithGIO(const std::string& path);

private:
    Status checkInScope(const ODSFileItem& item) const;

    struct Monitor;

    std::string m_documentsFolder;
    Trasher m_trasher;
    std::unique_ptr<Monitor> m_monitor;
};

} // namespace folio
