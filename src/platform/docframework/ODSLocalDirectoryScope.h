#pragma once

#include "platform/foundation/Error.h"

#include <memory>
#include <string>
#include <vector>

namespace folio {

class ODSFileItem;

// The documents on this computer: a folder of files, with the folders that
// hold each document's data and the user's custom fonts beside it.
class ODSLocalDirectoryScope {
public:
    // The user's documents folder of AppFolders.
    ODSLocalDirectoryScope();
    explicit ODSLocalDirectoryScope(std::string documentsFolder);

    const std::string& userDocumentsDirectoryURL() const { return m_documentsFolder; }
    static std::string documentDataFolderDirectoryURL();
    static std::string documentCustomFontsFolderDirectoryURL();

    // The visible files of the folder (not sub-folders, not dot files), by name.
    Result<std::vector<std::shared_ptr<ODSFileItem>>> fileItems() const;

private:
    std::string m_documentsFolder;
};

} // namespace folio
