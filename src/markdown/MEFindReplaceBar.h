#pragma once

#include "platform/ui/TextFieldDelegate.h"
#include "platform/ui/View.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class Button;
class KeyCommand;
class Label;
class SegmentedControl;
class SHTextView;
class Switch;
class TextField;

// The find and replace bar that takes the key bar's place while the user
// searches the text view: typing in the find field searches as one types,
// previous and next step through the matches (wrapping at either end), and
// Replace and Replace All edit the text. With the regular-expression switch
// on, the find text is a pattern; one that does not compile shows its error
// in the bar and finds nothing. The bar keeps no search state of its own:
// the matches, the current one and the search range are the text view's.
class MEFindReplaceBar : public View, public TextFieldDelegate {
public:
    // The tags the previous and next controls send.
    enum StepTag : long { PreviousMatchTag = 0, NextMatchTag = 1 };

    // `textView` owns the bar and outlives it.
    static std::shared_ptr<MEFindReplaceBar> make(SHTextView& textView, bool tablet);

    // --- Opening and closing (the text view swaps its accessory bar) ---
    // Empties both fields and searches the whole text again.
    void prepareForShowing();
    void resignFields();

    // --- What the controls do ---
    // A new search for `text` from the start of the search range.
    void doFindOnPageTask(const std::u16string& text);
    void nextprevResultsFindOnPage(long tag);
    void replaceOnPage();
    void replaceAll();
    void updateNumberOfMatchesLabel();

    // --- The controls ---
    const std::shared_ptr<TextField>& findOnPage() const { return m_findOnPage; }
    const std::shared_ptr<TextField>& replaceOnPageField() const { return m_replaceOnPage; }
    const std::shared_ptr<Button>& previousMatch() const { return m_previousMatch; }
    const std::shared_ptr<Button>& nextMatch() const { return m_nextMatch; }
    const std::shared_ptr<Button>& replaceButton() const { return m_replaceButton; }
    const std::shared_ptr<Button>& replaceAllButton() const { return m_replaceAllButton; }
    const std::shared_ptr<Button>& doneButton() const { return m_doneButton; }
    const std::shared_ptr<SegmentedControl>& findOnPageControl() const { return m_findOnPageControl; }
    const std::shared_ptr<Label>& matchCountLabel() const { return m_matchCountLabel; }
    const std::shared_ptr<Switch>& regularExpressionSwitch() const { return m_regularExpressionSwitch; }
    // Empty unless the find text is a pattern that does not compile.
    const std::shared_ptr<Label>& errorLabel() const { return m_errorLabel; }

    // Runs when the bar's own close control is pressed, or Escape in one of its fields.
    void setCloseAction(std::function<void()> action) { m_closeAction = std::move(action); }
    std::vector<std::shared_ptr<KeyCommand>> keyCommands() const override;

    // --- The fields' delegate ---
    bool textFieldShouldChangeCharactersInRange(TextField& field, Range range, const std::u16string& replacement) override;
    bool textFieldShouldReturn(TextField& field) override;
    bool textFieldShouldClear(TextField& field) override;
    void textFieldDidBeginEditing(TextField& field) override;

private:
    explicit MEFindReplaceBar(SHTextView& textView);
    void buildControls(bool tablet);
    // Answers whether a match became current.
    bool searchFindText(const std::u16string& text, bool backward);
    // A search typed into the find field (also when the window's field
    // changed the text without asking).
    void searchAsTyped(const std::u16string& text);
    bool usesRegularExpression() const;
    // Clears the error, or shows why the pattern does not compile; answers
    // whether the find text can be searched.
    bool checkPattern(const std::u16string& text);
    void setReplaceButtonsEnabled(bool enabled);

    SHTextView& m_textView;
    std::shared_ptr<TextField> m_findOnPage;
    std::shared_ptr<TextField> m_replaceOnPage;
    std::shared_ptr<Button> m_previousMatch;
    std::shared_ptr<Button> m_nextMatch;
    std::shared_ptr<Button> m_replaceButton;
    std::shared_ptr<Button> m_replaceAllButton;
    std::shared_ptr<Button> m_doneButton;
    std::shared_ptr<SegmentedControl> m_findOnPageControl;
    std::shared_ptr<Label> m_matchCountLabel;
    std::shared_ptr<Switch> m_regularExpressionSwitch;
    std::shared_ptr<Label> m_errorLabel;
    std::function<void()> m_closeAction;
    // The text last searched, so that a field changed without asking (the
    // window's entry) is searched once.
    std::u16string m_searchedText;
};

} // namespace folio
