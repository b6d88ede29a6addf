#pragma once

#include <memory>

namespace folio {

class DKRTFPageSettings;
class UserDefaults;

// An RTF document's page settings beside the user's preferences.
class DocumentPageSettings {
public:
    DocumentPageSettings() = delete;

    // This document's page settings over the user's store: the editor of the
    // open document reads and changes them there, apart from every other
    // open document's; the user's preferences read through.
    static std::unique_ptr<UserDefaults> overUserSettings(const DKRTFPageSettings& page, UserDefaults& user);
    // Replaces what an earlier document left under these keys with this
    // document's values, so that a document without a header, margins or
    // spacing of its own never shows another's, and writes the store once.
    static void store(const DKRTFPageSettings& page, UserDefaults& defaults);
};

} // namespace folio
