#include "documents/EditorMakers.h"

#include "documents/MarkdownEditorController.h"

#include <map>
#include <mutex>

namespace folio {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<EditorKind, EditorMakers::Maker> makers;
    EditorMakers::MarkdownMaker markdownMaker;
};

Registry& registry()
{
    static Registry shared;
    return shared;
}

} // namespace

void EditorMakers::registerMaker(EditorKind kind, Maker maker)
{
    std::lock_guard lock(registry().mutex);
    registry().makers[kind] = std::move(maker);
}

void EditorMakers::registerMarkdownMaker(MarkdownMaker maker)
{
    std::lock_guard lock(registry().mutex);
    registry().markdownMaker = std::move(maker);
}

void EditorMakers::unregisterAll()
{
    std::lock_guard lock(registry().mutex);
    registry().makers.clear();
    registry().markdownMaker = nullptr;
}

std::shared_ptr<EditorController> EditorMakers::make(EditorKind kind, TextDocument& document)
{
    Maker maker;
    {
        std::lock_guard lock(registry().mutex);
        auto found = registry().makers.find(kind);
        if (found == registry().makers.end())
            return nullptr;
        maker = found->second;
    }
    // Called outside the lock: a maker may itself look up makers.
    return maker ? maker(document) : nullptr;
}

std::shared_ptr<MarkdownEditorController> EditorMakers::makeMarkdown(TextDocument& document)
{
    MarkdownMaker maker;
    {
        std::lock_guard lock(registry().mutex);
        maker = registry().markdownMaker;
    }
    return maker ? maker(document) : nullptr;
}

} // namespace folio
