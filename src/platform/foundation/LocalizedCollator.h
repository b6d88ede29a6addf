#pragma once

#include <memory>
#include <string_view>

namespace folio {

// Orders texts as a reader of the session's locale would (currentLocaleIdentifier),
// telling accents apart but not case. Made once and kept for a sort, since
// loading the locale's rules costs far more than a comparison. When the
// locale's rules cannot be loaded, texts compare by code unit.
class LocalizedCollator {
public:
    LocalizedCollator();
    ~LocalizedCollator();
    LocalizedCollator(const LocalizedCollator&) = delete;
    LocalizedCollator& operator=(const LocalizedCollator&) = delete;

    // Negative, zero or positive.
    int compare(std::u16string_view a, std::u16string_view b) const;
    int compare(std::string_view utf8A, std::string_view utf8B) const;

private:
    struct Rules;
    std::unique_ptr<Rules> m_rules;
};

} // namespace folio
