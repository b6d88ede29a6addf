#pragma once

#include "platform/foundation/Error.h"

#include <string>
#include <vector>

namespace folio {

// Moves a finished export from the temporary folder to where the user asked
// for it. The destination is replaced only by a complete copy, so a failed
// delivery leaves whatever was there before.
class ExportDelivery {
public:
    ExportDelivery() = delete;

    static Status deliver(const std::string& from, const std::string& to);

    // The names of the plain files in the folder that end in ".png" or
    // ".jpg", in name order; nothing when the folder is missing. A symbolic
    // link is never a picture: one planted there could name any file.
    static std::vector<std::string> pictureFileNames(const std::string& folder);
};

} // namespace folio
