#pragma once

#include "platform/docframework/OFFileEdit.h"

#include <chrono>
#include <optional>
#include <string>

namespace folio {

class ODSLocalDirectoryScope;

// A document file as the browser lists it.
class ODSFileItem {
public:
    // The scope is not owned and may be null.
    ODSFileItem(std::string fileURL, const ODSLocalDirectoryScope* scope);

    const std::string& fileURL() const { return m_fileURL; }
    const std::string& fileType() const { return m_fileType; }
    // The file name with its extension.
    std::string name() const;
    // The file name as the browser shows it, without the extension.
    std::string displayedName() const;
    const ODSLocalDirectoryScope* scope() const { return m_scope; }
    // The file's current state; nothing when the file is gone.
    std::optional<OFFileEdit> fileEdit() const;
    // When the file was last written, as it was when the item was made.
    std::chrono::system_clock::time_point modificationDate() const { return m_modificationDate; }

private:
    std::string m_fileURL;
    std::string m_fileType;
    const ODSLocalDirectoryScope* m_scope;
    std::chrono::system_clock::time_point m_modificationDate;
};

} // namespace folio
