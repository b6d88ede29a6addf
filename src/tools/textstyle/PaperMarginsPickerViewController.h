#pragma once

#include "platform/ui/TableViewController.h"

#include <memory>
#include <vector>

namespace folio {

class BarButtonItem;
class PaperMarginsPickerViewController;
class TSUpDownControlFloat;

// Every message is optional.
class PaperMarginsPickerViewControllerDelegate {
public:
    virtual ~PaperMarginsPickerViewControllerDelegate() = default;
    virtual void paperMarginTopViewChanged(PaperMarginsPickerViewController&, double) {}
    virtual void paperMarginBottomViewChanged(PaperMarginsPickerViewController&, double) {}
    virtual void paperMarginLeftViewChanged(PaperMarginsPickerViewController&, double) {}
    virtual void paperMarginRightViewChanged(PaperMarginsPickerViewController&, double) {}
    virtual void paperMarginsPickerViewControllerIsDone(PaperMarginsPickerViewController&) {}
};

// Four steppers for the print margins, in inches.
class PaperMarginsPickerViewController : public TableViewController {
public:
    PaperMarginsPickerViewController() : TableViewController(TableViewStyle::Grouped) {}
    static std::shared_ptr<PaperMarginsPickerViewController> textStylePickerViewController();

    void setDelegate(std::weak_ptr<PaperMarginsPickerViewControllerDelegate> delegate) { m_delegate = std::move(delegate); }
    double selectedPageMarginLeft() const { return m_left; }
    double selectedPageMarginRight() const { return m_right; }
    double selectedPageMarginTop() const { return m_top; }
    double selectedPageMarginBottom() const { return m_bottom; }
    void setSelectedPageMarginLeft(double margin) { m_left = margin; }
    void setSelectedPageMarginRight(double margin) { m_right = margin; }
    void setSelectedPageMarginTop(double margin) { m_top = margin; }
    void setSelectedPageMarginBottom(double margin) { m_bottom = margin; }

    const std::shared_ptr<TSUpDownControlFloat>& pageMarginLeftControl() const { return m_leftControl; }
    const std::shared_ptr<TSUpDownControlFloat>& pageMarginRightControl() const { return m_rightControl; }
    const std::shared_ptr<TSUpDownControlFloat>& pageMarginTopControl() const { return m_topControl; }
    const std::shared_ptr<TSUpDownControlFloat>& pageMarginBottomControl() const { return m_bottomControl; }

    void marginLeftValueChanged(TSUpDownControlFloat& stepper);
    void marginRightValueChanged(TSUpDownControlFloat& stepper);
    void marginTopValueChanged(TSUpDownControlFloat& stepper);
    void marginBottomValueChanged(TSUpDownControlFloat& stepper);
    void doneAction() {}

    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return m_tableLayout.size(); }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView&, IndexPath indexPath) override;
    std::optional<IndexPath> willSelectRowAtIndexPath(TableView&, IndexPath) override { return std::nullopt; }
    double heightForRowAtIndexPath(TableView&, IndexPath indexPath) override;

protected:
    void viewDidLoad() override;

private:
    std::weak_ptr<PaperMarginsPickerViewControllerDelegate> m_delegate;
    double m_left = 0, m_right = 0, m_top = 0, m_bottom = 0;
    std::shared_ptr<TSUpDownControlFloat> m_leftControl, m_rightControl, m_topControl, m_bottomControl;
    std::vector<std::shared_ptr<TableViewCell>> m_tableLayout;
    std::shared_ptr<BarButtonItem> m_doneButtonItem;
};

} // namespace folio
