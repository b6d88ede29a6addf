#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// The files the program reads at run time: page templates, scripts, plists,
// the starting contents of new documents. They sit in "resources" beside the executable;
// $FOLIO_RESOURCES points elsewhere (tests, running from a build tree).
class Resources {
public:
    static std::string resourcesFolder();

    // The path of "<subfolder>/<name>.<type>" when that file exists. An empty
    // type takes the name as it is. Names that climb out with ".." find nothing.
    static std::optional<std::string> pathForResource(std::string_view name, std::string_view type,
                                                      std::string_view subfolder = {});
};

} // namespace folio
