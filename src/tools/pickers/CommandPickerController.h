#pragma once

#include "platform/text/PlatformParagraphStyle.h"
#include "platform/ui/TableViewController.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class TableViewCell;

// A one-column menu of commands that reports the chosen row and does nothing
// else: it never changes the document and never closes itself. The rows are
// built once, when the view loads; the popover takes its size from the
// preferred content size.
class CommandPickerController : public TableViewController {
public:
    enum class Titles { Localized, AsGiven };

    CommandPickerController(std::vector<std::string_view> rows, Size preferredSize, TextAlignment alignment,
                            Titles titles = Titles::Localized);

    // The row titles, in the order of the indexes reported.
    const std::vector<std::u16string>& options() { loadViewIfNeeded(); return m_options; }

    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return m_options.size(); }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) override;

    // A user's tap on the row, as on screen.
    void tapRow(std::size_t row);

protected:
    void viewDidLoad() override;
    // Sends the row to the delegate, when there is one.
    virtual void report(std::size_t row) = 0;
    // The title of a row when its cell is shown; by default the built one.
    virtual std::u16string titleForRow(std::size_t row) { return m_options[row]; }
    // A fresh or reused cell showing the row's title, on the theme's background.
    virtual std::shared_ptr<TableViewCell> makeCell(TableView& table, std::size_t row);
    virtual std::u16string titleForKey(std::string_view key) const;
    // Dark grey under the dark theme, else clear.
    static void applyThemeBackground(TableViewCell& cell);

    const std::vector<std::string_view>& rowKeys() const { return m_rows; }

private:
    std::vector<std::string_view> m_rows;
    std::vector<std::u16string> m_options;
    TextAlignment m_alignment;
    Titles m_titles;
};

// A command picker that reports the row index through one method of its delegate.
template <typename Delegate, void (Delegate::*Selector)(long)>
class RowIndexPickerController : public CommandPickerController {
public:
    using CommandPickerController::CommandPickerController;

    // Held weakly: the editor outlives the picker.
    void setDelegate(std::weak_ptr<Delegate> delegate) { m_delegate = std::move(delegate); }
    std::shared_ptr<Delegate> delegate() const { return m_delegate.lock(); }

protected:
    void report(std::size_t row) override
    {
        if (auto delegate = m_delegate.lock())
            ((*delegate).*Selector)(static_cast<long>(row));
    }

private:
    std::weak_ptr<Delegate> m_delegate;
};

} // namespace folio
