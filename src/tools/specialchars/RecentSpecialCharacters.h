#pragma once

#include <string>
#include <vector>

namespace folio {

class UserDefaults;

// The characters last picked from the grids, oldest first, kept in the user
// defaults under "RistrelSpecialCharsUsed".
class RecentSpecialCharacters {
public:
    static constexpr const char* kDefaultsKey = "RistrelSpecialCharsUsed";
    static constexpr std::size_t kCapacity = 101;

    explicit RecentSpecialCharacters(UserDefaults& defaults) : m_defaults(defaults) {}

    std::vector<std::u16string> list() const;
    // Appends the pick unless it repeats the newest; a full list drops its
    // oldest entry and takes the pick, even a repeat.
    void record(const std::u16string& characters);

private:
    UserDefaults& m_defaults;
};

} // namespace folio
