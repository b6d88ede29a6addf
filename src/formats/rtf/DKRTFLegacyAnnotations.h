#pragma once

#include "platform/foundation/Data.h"
#include "platform/foundation/Error.h"

#include <string>
#include <string_view>

namespace folio {

// Documents of the first versions kept their comments in a side file, which
// the reader still moves out of the RTF text ("\marquentannotations" followed
// by the file's bytes in hexadecimal): into "Marquent_temp" in the user's
// documents folder, named after the document with the extension
// "annotations". Nothing writes this block any more.
class DKRTFLegacyAnnotations {
public:
    static constexpr std::string_view kFolderName = "Marquent_temp";

    // Where the comments of the named document go. Only the last path
    // component of the name is used, so a crafted name cannot reach outside
    // the folder.
    static std::string pathForDocument(std::string_view documentName);
    // Replaces the document's comments file. Failures are logged, never
    // reported to the reader, whose text is unaffected by them.
    static Status store(std::string_view documentName, const Data& data);
};

} // namespace folio
