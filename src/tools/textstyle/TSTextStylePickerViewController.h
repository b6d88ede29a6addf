#pragma once

#include "platform/ui/TableViewController.h"
#include "tools/textstyle/PageSizeSelectTableViewController.h"
#include "tools/textstyle/PaperMarginsPickerViewController.h"
#include "tools/textstyle/TSBgColourSelectTableViewController.h"
#include "tools/textstyle/TSColourSelectTableViewController.h"
#include "tools/textstyle/TSFontSelectTableViewController.h"
#include "tools/textstyle/TSTextStylePickerViewControllerDelegate.h"
#include "tools/textstyle/TextStyleDefaults.h"

#include <memory>
#include <string>
#include <vector>

namespace folio {

class BarButtonItem;
class Label;
class Switch;
class TSColourBlockView;
class TSUpDownControl;
class TSUpDownControlFloat;
class UserDefaults;

// A grouped panel in which the user sets a whole text style at once (font,
// size, colours, paper, margins, spacing, indent), stores it as the default
// or a user style, or restores the factory style. Every change goes to the
// delegate at once; the panel changes no document itself.
class TSTextStylePickerViewController : public TableViewController,
                                        public TSFontSelectTableViewControllerDelegate,
                                        public TSColourSelectTableViewControllerDelegate,
                                        public TSBgColourSelectTableViewControllerDelegate,
                                        public PageSizeSelectTableViewControllerDelegate,
                                        public PaperMarginsPickerViewControllerDelegate {
public:
    // Sections of the table, in order.
    enum Section : std::size_t { DefaultSettings, Options, StoreDefault, StoreUserStyle1, StoreUserStyle2, StoreUserStyle3, Reset };

    // Writes its styles into `defaults`.
    explicit TSTextStylePickerViewController(UserDefaults& defaults);
    static std::shared_ptr<TSTextStylePickerViewController> textStylePickerViewController();

    void setDelegate(std::weak_ptr<TSTextStylePickerViewControllerDelegate> delegate) { m_delegate = std::move(delegate); }

    const FontChoice& selectedFont() const { return m_style.font; }
    void setSelectedFont(FontChoice font) { m_style.font = std::move(font); }
    const std::string& selectedTextColour() const { return m_style.textColour; }
    void setSelectedTextColour(std::string colour) { m_style.textColour = std::move(colour); }
    const std::string& selectedBackgroundColour() const { return m_style.backgroundColour; }
    void setSelectedBackgroundColour(std::string colour) { m_style.backgroundColour = std::move(colour); }
    const std::string& selectedPageSize() const { return m_selectedPageSize; }
    void setSelectedPageSize(std::string size) { m_selectedPageSize = std::move(size); }
    double selectedLineSpacing() const { return m_style.lineSpacing; }
    void setSelectedLineSpacing(double value) { m_style.lineSpacing = value; }
    double selectedParagraphSpacing() const { return m_style.paragraphSpacing; }
    void setSelectedParagraphSpacing(double value) { m_style.paragraphSpacing = value; }
    double selectedParagraphSpacingBefore() const { return m_style.paragraphSpacingBefore; }
    void setSelectedParagraphSpacingBefore(double value) { m_style.paragraphSpacingBefore = value; }
    double selectedFirstLineIndent() const { return m_style.firstLineIndent; }
    void setSelectedFirstLineIndent(double value) { m_style.firstLineIndent = value; }
    // Margins in inches.
    double selectedPageMarginLeft() const { return m_style.marginLeft; }
    double selectedPageMarginRight() const { return m_style.marginRight; }
    double selectedPageMarginTop() const { return m_style.marginTop; }
    double selectedPageMarginBottom() const { return m_style.marginBottom; }
    void setSelectedPageMargins(double left, double right, double top, double bottom);
    bool defaultSettingsSwitchValue() const { return m_defaultSettingsSwitchValue; }
    void setDefaultSettingsSwitchValue(bool on) { m_defaultSettingsSwitchValue = on; }
    bool isMarquentNote() const { return m_isMarquentNote; }
    void setIsMarquentNote(bool note) { m_isMarquentNote = note; }

    // Actions of the panel's own controls.
    void fontSizeValueChanged(TSUpDownControl& stepper);
    void lineSpacingValueChanged(TSUpDownControlFloat& stepper);
    void paragraphSpacingValueChanged(TSUpDownControl& stepper);
    void paragraphSpacingBeforeValueChanged(TSUpDownControl& stepper);
    void firstLineIndentValueChanged(TSUpDownControlFloat& stepper);
    void defaultTextSettingsAction(Switch& toggle);
    void doneAction();

    void updateFontColourSelections();
    void enableTextOptionCells();
    void disableTextOptionCells();
    void replaceDefaultSettings();
    void replaceUserStyle(long n);
    void setDefaultTextStyles();

    // The rows, section by section, as the table shows them.
    const std::vector<std::vector<std::shared_ptr<TableViewCell>>>& tableLayout() const { return m_tableLayout; }
    const std::shared_ptr<TableViewCell>& cell(const std::string& name) const;
    const std::shared_ptr<TSUpDownControl>& fontSizeControl() const { return m_fontSizeControl; }
    const std::shared_ptr<TSUpDownControlFloat>& lineSpacingControl() const { return m_lineSpacingControl; }
    const std::shared_ptr<TSUpDownControl>& paragraphSpacingControl() const { return m_paragraphSpacingControl; }
    const std::shared_ptr<TSUpDownControl>& paragraphSpacingBeforeControl() const { return m_paragraphSpacingBeforeControl; }
    const std::shared_ptr<TSUpDownControlFloat>& firstLineIndentControl() const { return m_firstLineIndentControl; }
    const std::shared_ptr<Label>& fontNameLabel() const { return m_fontNameLabel; }
    const std::shared_ptr<Label>& pageSizeLabel() const { return m_pageSizeLabel; }
    const std::shared_ptr<TSColourBlockView>& colourView() const { return m_colourView; }
    const std::shared_ptr<TSColourBlockView>& bgcolourView() const { return m_bgcolourView; }
    const std::shared_ptr<Switch>& defaultSettingsSwitch() const { return m_defaultSettingsSwitch; }

    std::size_t numberOfSectionsInTableView(TableView&) override { return m_tableLayout.size(); }
    std::size_t numberOfRowsInSection(TableView&, std::size_t section) override;
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath indexPath) override;
    std::optional<IndexPath> willSelectRowAtIndexPath(TableView& table, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) override;
    double heightForRowAtIndexPath(TableView& table, IndexPath indexPath) override;

    void fontSelectTableViewControllerDidSelectFont(TSFontSelectTableViewController&, const FontChoice& font) override;
    void showiTunesFileBrowser() override;
    void colourSelectTableViewControllerDidSelectColour(TSColourSelectTableViewController&, const std::string& colour) override;
    void colourSelectTableViewControllerDidSelectBackgroundColour(TSBgColourSelectTableViewController&,
                                                                 const std::string& colour) override;
    void pageSizeSelectTableViewControllerDidSelectSize(PageSizeSelectTableViewController&, const std::string& size) override;
    void paperMarginLeftViewChanged(PaperMarginsPickerViewController&, double margin) override;
    void paperMarginRightViewChanged(PaperMarginsPickerViewController&, double margin) override;
    void paperMarginTopViewChanged(PaperMarginsPickerViewController&, double margin) override;
    void paperMarginBottomViewChanged(PaperMarginsPickerViewController&, double margin) override;
    void paperMarginsPickerViewControllerIsDone(PaperMarginsPickerViewController&) override {}

protected:
    void viewDidLoad() override;

private:
    void makeCells();
    void buildTableLayout();
    void showStoredStyle(long n, double fontSize);
    void marginChanged(long side, double margin);
    void resetToFactoryStyle();
    template <typename Controller>
    std::shared_ptr<Controller> pushList(std::shared_ptr<Controller> list);

    UserDefaults& m_defaults;
    TextStyleDefaults m_store;
    std::weak_ptr<TSTextStylePickerViewControllerDelegate> m_delegate;
    TextStyleSettings m_style;
    std::string m_selectedPageSize;
    bool m_defaultSettingsSwitchValue = false;
    bool m_isMarquentNote = false;

    std::vector<std::vector<std::shared_ptr<TableViewCell>>> m_tableLayout;
    std::vector<std::pair<std::string, std::shared_ptr<TableViewCell>>> m_cells;
    std::shared_ptr<TSUpDownControl> m_fontSizeControl, m_paragraphSpacingControl, m_paragraphSpacingBeforeControl;
    std::shared_ptr<TSUpDownControlFloat> m_lineSpacingControl, m_firstLineIndentControl;
    std::shared_ptr<Label> m_fontNameLabel, m_pageSizeLabel;
    std::shared_ptr<TSColourBlockView> m_colourView, m_bgcolourView;
    std::shared_ptr<Switch> m_defaultSettingsSwitch;
    std::shared_ptr<BarButtonItem> m_doneButtonItem;
};

} // namespace folio
