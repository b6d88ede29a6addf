#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace folio::test {

// Random nestings of start tags, void elements and texts, shaped as the HTML
// writer nests its markup, for tests that read one fragment two ways.
struct RandomMarkup {
    std::vector<std::string> texts;
    std::vector<std::string> starts;
    std::vector<std::string> voids;
    // Each level holds fewer pieces than this; below the deepest, only text.
    unsigned widest = 4;
    int deepest = 4;
    // List items are left open now and then, as the writer leaves them.
    bool leavesItemsOpen = false;

    std::string fragment(std::mt19937& random, int depth = 0) const
    {
        auto pick = [&random](const std::vector<std::string>& choices) -> const std::string& {
            return choices[random() % choices.size()];
        };
        std::string html;
        int count = static_cast<int>(random() % widest);
        for (int index = 0; index < count; ++index) {
            unsigned kind = random() % 3;
            if (kind == 0 || depth > deepest) {
                html += pick(texts);
            } else if (kind == 1) {
                html += pick(voids);
            } else {
                const std::string& start = pick(starts);
                std::string name = start.substr(1, start.find_first_of(" >") - 1);
                html += start + fragment(random, depth + 1);
                if (!leavesItemsOpen || name != "li" || random() % 2)
                    html += "</" + name + ">";
            }
        }
        return html;
    }
};

} // namespace folio::test
