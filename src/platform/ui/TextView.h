#pragma once

#include "platform/foundation/UndoManager.h"
#include "platform/text/TextStorage.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TextViewDelegate.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

// Posted by a text view (as sender) after each change of its text that its
// delegate hears of as textViewDidChange.
inline constexpr const char* TextViewTextDidChangeNotification = "UITextViewTextDidChangeNotification";

// A scrolling, editable text over a text storage.
//
// The delegate hears what the platform tells it: typing (insertText,
// deleteBackward, which the keyboard sends) asks textViewShouldChangeText
// first and then reports the change; a replace from code (replaceRange)
// is not asked about but is reported; setText reports nothing and forgets
// what could be undone. Every change through the view can be undone.
//
// Undo goes by runs, as in any text editor: the characters typed one after
// the other are one step, and so are the characters deleted one after the
// other with the same key. A step ends when the caret is moved, when typing
// turns to deleting or back, when a line break is typed (it begins the next
// step), at a paste (breakUndoCoalescing) and at an undo or redo.
//
// Positions are UTF-16 offsets. Their rectangles come from a simple layout of
// the model's own: one line per paragraph, each as tall as its first font's
// line height, characters advancing by 0.6 of their font size. It is exact
// enough for the view's geometry (carets, highlights, scrolling); a presenter
// draws the text with its real layout. After an edit only the lines the edit
// touched are laid out again and the lines after them move along, so a key
// costs the same in a short note and in a long book.
class TextView : public ScrollView {
public:
    explicit TextView(Rect frame = {}, std::shared_ptr<TextStorage> storage = nullptr);
    ~TextView() override;

    const std::shared_ptr<TextStorage>& textStorage() const { return m_storage; }
    const std::u16string& text() const { return m_storage->string(); }
    void setText(const std::u16string& text);
    bool hasText() const { return !text().empty(); }

    Range selectedRange() const { return m_selectedRange; }
    // Clamped to the text; the delegate hears of every change.
    void setSelectedRange(Range range);

    bool isEditable() const { return m_editable; }
    void setEditable(bool editable) { m_editable = editable; }
    bool isSelectable() const { return m_selectable; }
    void setSelectable(bool selectable) { m_selectable = selectable; }
    // What typed text gets when the text around it has no attributes of its own.
    const AttributeDictionaryPtr& typingAttributes() const { return m_typingAttributes; }
    void setTypingAttributes(AttributeDictionaryPtr attributes);
    EdgeInsets textContainerInset() const { return m_textContainerInset; }
    void setTextContainerInset(EdgeInsets insets);

    void setDelegate(std::weak_ptr<TextViewDelegate> delegate) { m_delegate = std::move(delegate); }
    std::shared_ptr<TextViewDelegate> delegate() const { return m_delegate.lock(); }

    // The bar shown with the view while it is edited (over the keyboard on a
    // tablet, along the window's edge on the desktop). A new bar shows after
    // reloadInputViews.
    const std::shared_ptr<View>& inputAccessoryView() const { return m_inputAccessoryView; }
    void setInputAccessoryView(std::shared_ptr<View> view) { m_inputAccessoryView = std::move(view); }
    void reloadInputViews();
    UndoManager& undoManager() { return m_undoManager; }

    // --- Keyboard input at the selection; false when refused ---
    bool insertText(const std::u16string& text);
    bool deleteBackward();
    // What a window's delete keys remove: the selection, or the characters
    // just before or just after the caret.
    bool deleteRange(Range range);
    // The next change begins a step of its own.
    void breakUndoCoalescing() { m_undoRun.reset(); }
    // --- From code ---
    bool replaceRange(Range range, const std::u16string& text);

    // --- Positions and geometry (in the view's content coordinates) ---
    std::size_t beginningOfDocument() const { return 0; }
    std::size_t endOfDocument() const { return text().size(); }
    // None when the result would leave the text.
    std::optional<std::size_t> positionFromPosition(std::size_t position, std::ptrdiff_t offset) const;
    std::ptrdiff_t offsetFromPosition(std::size_t from, std::size_t to) const;
    Rect caretRectForPosition(std::size_t position) const;
    // The rectangle of the range's first line.
    Rect firstRectForRange(Range range) const;
    // One rectangle per line the range touches.
    std::vector<Rect> selectionRectsForRange(Range range) const;
    // The character under the point (the nearest on its line); an empty
    // range at the end when the point lies past the text.
    Range characterRangeAtPoint(Point point) const;
    std::size_t closestPositionToPoint(Point point) const;
    // Lays the whole text out now (when it is not laid out yet) and updates
    // the content size.
    void ensureLayout() const;
    // Moves the content so that the caret (the end of the selection), with the
    // bottom text inset below it, is inside the visible part of the view.
    void scrollSelectionToVisible();

    bool canBecomeFirstResponder() const override { return m_editable || m_selectable; }
    bool respondsToAction(const std::string& action) const override;
    bool performAction(const std::string& action, const void* sender) override;

    // Called after every change of the selection, whoever made it; a
    // presenter uses it to keep its own selection in step. Several may
    // watch at once (an old window's widgets and their replacement).
    using SelectionObserver = std::function<void(TextView&)>;
    std::uint64_t addSelectionObserver(SelectionObserver observer);
    void removeSelectionObserver(std::uint64_t token);

protected:
    bool willBecomeFirstResponder() override;
    bool willResignFirstResponder() override;
    void didBecomeFirstResponder() override;
    void didResignFirstResponder() override;

private:
    struct Line {
        std::size_t start = 0;
        // Without the line break.
        std::size_t length = 0;
        double top = 0;
        double height = 0;
        // Where the line's last character ends, from the left inset.
        double width = 0;
    };

    // Who makes a change, which decides the undo run it may join.
    enum class EditOrigin { Typing, DeletingBackward, DeletingForward, DeletingSelection, Code };
    // Puts `previous` back where `changed` now is; a run of typing or
    // deleting grows one such step.
    struct ReplacementUndo {
        Range changed;
        AttributedString previous;
    };
    enum class UndoRunKind { Typing, DeletingBackward, DeletingForward };
    // The step the next keystroke may still join, while it is the undo
    // manager's top step (its change stamp tells) and the caret is where
    // the run left it.
    struct UndoRun {
        UndoRunKind kind;
        std::shared_ptr<ReplacementUndo> step;
        std::uint64_t stamp = 0;
        std::size_t caret = 0;
    };

    bool changeText(Range range, const std::u16string& replacement, bool askDelegate, EditOrigin origin);
    // Joins the change to the current run or registers a step of its own.
    void recordUndo(Range range, const std::u16string& replacement, AttributedString previous, EditOrigin origin);
    std::shared_ptr<ReplacementUndo> registerUndoOfReplacement(Range changed, AttributedString previous);
    // Sets the selection without ending the undo run.
    void applySelectedRange(Range range);
    void reportTextChange();
    std::size_t lineIndexForPosition(std::size_t position) const;
    double xForPosition(const Line& line, std::size_t position) const;
    double advanceAt(std::size_t index) const;
    double defaultFontSize() const;
    void invalidateLayout() { m_layoutValid = false; }
    // The line that starts at start (its length, height and width); next is
    // where the line after it starts, or NotFound after the last line.
    Line layOutLine(std::size_t start, double top, std::size_t& next) const;
    // Lays out again the lines an edit of the storage touched.
    void updateLayoutAfterEdit(const TextStorageEdit& edit);
    void updateContentSize() const;

    std::shared_ptr<TextStorage> m_storage;
    TextStorage::ObserverToken m_storageObserver = 0;
    Range m_selectedRange;
    bool m_editable = true;
    bool m_selectable = true;
    AttributeDictionaryPtr m_typingAttributes;
    EdgeInsets m_textContainerInset{8, 0, 8, 0};
    std::weak_ptr<TextViewDelegate> m_delegate;
    std::shared_ptr<View> m_inputAccessoryView;
    UndoManager m_undoManager;
    std::optional<UndoRun> m_undoRun;
    void notifySelectionObservers();

    std::vector<std::pair<std::uint64_t, SelectionObserver>> m_selectionObservers;
    std::uint64_t m_nextSelectionObserver = 1;
    mutable std::vector<Line> m_lines;
    mutable bool m_layoutValid = false;
    // The widest line's width; negative when it must be looked for again.
    mutable double m_widest = -1;
};

} // namespace folio
