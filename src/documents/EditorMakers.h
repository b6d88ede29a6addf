#pragma once

#include <functional>
#include <memory>

namespace folio {

class EditorController;
class MarkdownEditorController;
class TextDocument;

// The editors live in layers above the documents, so the application
// registers one maker per editor at start-up and the document asks here.
enum class EditorKind { RichText, RTFViewer, QVText, QVOutline };

class EditorMakers {
public:
    using Maker = std::function<std::shared_ptr<EditorController>(TextDocument& document)>;
    using MarkdownMaker = std::function<std::shared_ptr<MarkdownEditorController>(TextDocument& document)>;

    static void registerMaker(EditorKind kind, Maker maker);
    static void registerMarkdownMaker(MarkdownMaker maker);
    static void unregisterAll();

    // Null when no maker is registered for the kind or the maker made nothing.
    static std::shared_ptr<EditorController> make(EditorKind kind, TextDocument& document);
    static std::shared_ptr<MarkdownEditorController> makeMarkdown(TextDocument& document);
};

} // namespace folio
