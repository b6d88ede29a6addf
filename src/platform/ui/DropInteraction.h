#pragma once

#include "platform/graphics/Geometry.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace folio {

// One dragged item: the type identifiers its provider registers, and a way
// to have it as a local file of one of those types. The file is asked for
// only when the item is dropped; `load` answers nothing when the provider
// cannot give it.
struct DropItem {
    std::vector<std::string> registeredTypes;
    std::function<std::optional<std::string>(const std::string& type)> loadFile;

    bool hasItemConformingToType(const std::string& type) const
    {
        for (const std::string& registered : registeredTypes) {
            if (registered == type)
                return true;
        }
        return false;
    }
};

// A drag over a view, as its drop delegate sees it: its items, and where
// it is in the view's coordinates when the platform says so.
struct DropSession {
    std::vector<DropItem> items;
    std::optional<Point> location{};
};

enum class DropOperation { Cancel, Forbidden, Copy, Move };

struct DropProposal {
    DropOperation operation = DropOperation::Cancel;
};

// What a view that accepts drops asks its delegate.
class DropInteractionDelegate {
public:
    virtual ~DropInteractionDelegate() = default;
    virtual bool dropInteractionCanHandleSession(const DropSession& session) = 0;
    virtual DropProposal dropInteractionSessionDidUpdate(const DropSession& session) = 0;
    // Answers whether anything was taken: the program the drag came from
    // keeps what it offered (a move does not delete it) when nothing was.
    virtual bool dropInteractionPerformDrop(const DropSession& session) = 0;
};

} // namespace folio
