#pragma once

#include "platform/foundation/Error.h"

#include <chrono>
#include <string>

namespace folio {

// One state of a file on disk: its path and the modification time that
// identifies the edit. Previews are cached per edit, so a changed file never
// shows an old picture.
class OFFileEdit {
public:
    static Result<OFFileEdit> initWithFileURL(const std::string& fileURL);

    const std::string& originalFileURL() const { return m_fileURL; }
    std::chrono::system_clock::time_point fileModificationDate() const { return m_modificationDate; }
    // Stable for the same path and modification time; usable as a file name.
    const std::string& uniqueEditIdentifier() const { return m_identifier; }

    friend bool operator==(const OFFileEdit& a, const OFFileEdit& b) { return a.m_identifier == b.m_identifier; }

private:
    OFFileEdit(std::string fileURL, std::chrono::system_clock::time_point modificationDate);

    std::string m_fileURL;
    std::chrono::system_clock::time_point m_modificationDate;
    std::string m_identifier;
};

} // namespace folio
