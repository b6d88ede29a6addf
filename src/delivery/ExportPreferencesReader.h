#pragma once

#include "export/ExportPreferences.h"

namespace folio {

class UserDefaults;

// Reads the preferences an export follows from the user's store.
class ExportPreferencesReader {
public:
    ExportPreferencesReader() = delete;

    static ExportPreferences read(const UserDefaults& defaults);
};

} // namespace folio
