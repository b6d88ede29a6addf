#include "tools/textstyle/TSTextStylePickerViewController.h"

#include "engine/css/ColorHTML.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Font.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "tools/ToolsText.h"
#include "tools/textstyle/StepperCell.h"
#include "tools/textstyle/TSColourBlockView.h"
#include "tools/textstyle/TSUpDownControl.h"
#include "tools/textstyle/TSUpDownControlFloat.h"
#include "tools/textstyle/TextStyleListController.h"

#include <algorithm>

namespace folio {

namespace {

constexpr double kDimmedAlpha = 0.4;
constexpr double kStylePickerRowHeight = 44;

const char* const kStoringTitles[] = {"Set as Default Style", "Set as User Style 1", "Set as User Style 2",
                                      "Set as User Style 3"};

// The five stepper rows take no disclosure indicator.
bool isStepperRow(const std::string& name)
{
    return name == "sizeCell" || name == "lineSpacingCell" || name == "paragraphSpacingCell" ||
           name == "paragraphSpacingBeforeCell" || name == "firstLineIndentCell";
}

std::shared_ptr<TableViewCell> titledCell(const std::u16string& title)
{
    auto cell = std::make_shared<TableViewCell>();
    cell->setFrame(makeRect(0, 0, 320, kStylePickerRowHeight));
    cell->textLabel()->setText(title);
    return cell;
}

std::shared_ptr<Label> detailLabel(TableViewCell& cell)
{
    auto label = std::make_shared<Label>(makeRect(150, 7, 140, 30));
    label->setTextAlignment(TextAlignment::Right);
    cell.addSubview(label);
    return label;
}

} // namespace

TSTextStylePickerViewController::TSTextStylePickerViewController(UserDefaults& defaults)
    : TableViewController(TableViewStyle::Grouped), m_defaults(defaults), m_store(defaults)
{
}

std::shared_ptr<TSTextStylePickerViewController> TSTextStylePickerViewController::textStylePickerViewController()
{
    return std::make_shared<TSTextStylePickerViewController>(UserDefaults::standardUserDefaults());
}

void TSTextStylePickerViewController::setSelectedPageMargins(double left, double right, double top, double bottom)
{
    m_style.marginLeft = left;
    m_style.marginRight = right;
    m_style.marginTop = top;
    m_style.marginBottom = bottom;
}

const std::shared_ptr<TableViewCell>& TSTextStylePickerViewController::cell(const std::string& name) const
{
    static const std::shared_ptr<TableViewCell> none;
    auto it = std::find_if(m_cells.begin(), m_cells.end(), [&](const auto& entry) { return entry.first == name; });
    return it == m_cells.end() ? none : it->second;
}

void TSTextStylePickerViewController::makeCells()
{
    std::weak_ptr<TSTextStylePickerViewController> weak = sharedAs<TSTextStylePickerViewController>();
    auto integerStepper = [&](std::int64_t minimum, std::int64_t maximum,
                              void (TSTextStylePickerViewController::*action)(TSUpDownControl&)) {
        auto stepper = std::make_shared<TSUpDownControl>();
        stepper->setMinimumAllowedValue(minimum);
        stepper->setMaximumAllowedValue(maximum);
        stepper->addAction(ControlEvent::ValueChanged, [weak, action](Control& sender) {
            if (auto self = weak.lock())
                (self.get()->*action)(static_cast<TSUpDownControl&>(sender));
        });
        return stepper;
    };
    auto decimalStepper = [&](double minimum, double maximum,
                              void (TSTextStylePickerViewController::*action)(TSUpDownControlFloat&)) {
        auto stepper = std::make_shared<TSUpDownControlFloat>();
        stepper->setMinimumAllowedValue(minimum);
        stepper->setMaximumAllowedValue(maximum);
        stepper->addAction(ControlEvent::ValueChanged, [weak, action](Control& sender) {
            if (auto self = weak.lock())
                (self.get()->*action)(static_cast<TSUpDownControlFloat&>(sender));
        });
        return stepper;
    };
    m_fontSizeControl = integerStepper(9, 460, &TSTextStylePickerViewController::fontSizeValueChanged);
    m_lineSpacingControl = decimalStepper(0.5, 5.0, &TSTextStylePickerViewController::lineSpacingValueChanged);
    m_paragraphSpacingControl = integerStepper(0, 100, &TSTextStylePickerViewController::paragraphSpacingValueChanged);
    m_paragraphSpacingBeforeControl =
        integerStepper(0, 100, &TSTextStylePickerViewController::paragraphSpacingBeforeValueChanged);
    m_firstLineIndentControl = decimalStepper(0, 18.0, &TSTextStylePickerViewController::firstLineIndentValueChanged);

    auto defaultSettings = titledCell(localized("Use Default Style"));
    m_defaultSettingsSwitch = std::make_shared<Switch>(makeRect(250, 7, 51, 31));
    m_defaultSettingsSwitch->addAction(ControlEvent::ValueChanged, [weak](Control& sender) {
        if (auto self = weak.lock())
            self->defaultTextSettingsAction(static_cast<Switch&>(sender));
    });
    defaultSettings->addSubview(m_defaultSettingsSwitch);

    auto font = titledCell(localized("Font"));
    m_fontNameLabel = detailLabel(*font);
    auto colour = titledCell(localized("Text Color"));
    m_colourView = std::make_shared<TSColourBlockView>(makeRect(230, 8, 60, 28));
    m_colourView->setCornerRadius(4);
    colour->addSubview(m_colourView);
    auto bgcolour = titledCell(localized("Paper Color"));
    m_bgcolourView = std::make_shared<TSColourBlockView>(makeRect(230, 8, 60, 28));
    m_bgcolourView->setCornerRadius(4);
    bgcolour->addSubview(m_bgcolourView);
    auto pageSize = titledCell(localized("Paper Size"));
    m_pageSizeLabel = detailLabel(*pageSize);

    m_cells = {
        {"defaultSettingsCell", defaultSettings},
        {"fontCell", font},
        {"sizeCell", makeStepperCell(localized("Size"), m_fontSizeControl)},
        {"colourCell", colour},
        {"bgcolourCell", bgcolour},
        {"pageSizeCell", pageSize},
        {"pageMarginsCell", titledCell(localized("Page Margins"))},
        {"lineSpacingCell", makeStepperCell(localized("Line Spacing"), m_lineSpacingControl)},
        {"paragraphSpacingCell", makeStepperCell(localized("Spacing After"), m_paragraphSpacingControl)},
        {"paragraphSpacingBeforeCell", makeStepperCell(localized("Spacing Before"), m_paragraphSpacingBeforeControl)},
        {"firstLineIndentCell", makeStepperCell(localized("First Line Indent"), m_firstLineIndentControl)},
        {"applyAsDefaultCell", titledCell(localized(kStoringTitles[0]))},
        {"applyAsUserStyle1", titledCell(localized(kStoringTitles[1]))},
        {"applyAsUserStyle2", titledCell(localized(kStoringTitles[2]))},
        {"applyAsUserStyle3", titledCell(localized(kStoringTitles[3]))},
        {"resetCurrentStyleToDefault", titledCell(localized("Reset to Factory Style"))},
    };
    for (const auto& [name, row] : m_cells) {
        if (name.starts_with("apply") || name == "resetCurrentStyleToDefault")
            row->textLabel()->setTextAlignment(TextAlignment::Center);
    }
}

void TSTextStylePickerViewController::buildTableLayout()
{
    std::vector<std::string> options{"fontCell", "sizeCell", "colourCell", "bgcolourCell", "pageSizeCell", "pageMarginsCell",
                                     "lineSpacingCell", "paragraphSpacingCell", "paragraphSpacingBeforeCell",
                                     "firstLineIndentCell"};
    // A note has no paper of its own to colour, size or give margins.
    if (m_isMarquentNote) {
        std::erase_if(options, [](const std::string& name) {
            return name == "bgcolourCell" || name == "pageSizeCell" || name == "pageMarginsCell";
        });
    }
    std::vector<std::shared_ptr<TableViewCell>> optionCells;
    for (const auto& name : options)
        optionCells.push_back(cell(name));
    m_tableLayout = {{cell("defaultSettingsCell")}, optionCells,        {cell("applyAsDefaultCell")},
                     {cell("applyAsUserStyle1")},   {cell("applyAsUserStyle2")}, {cell("applyAsUserStyle3")},
                     {cell("resetCurrentStyleToDefault")}};
}

void TSTextStylePickerViewController::viewDidLoad()
{
    setTitle(localized("Font, Paragraph & Page Styles"));
    makeCells();
    updateFontColourSelections();
    buildTableLayout();
    if (m_defaultSettingsSwitchValue)
        disableTextOptionCells();
    else
        enableTextOptionCells();
    if (Device::current().isPad()) {
        setPreferredContentSize(Size{320, 520});
    } else {
        std::weak_ptr<TSTextStylePickerViewController> weak = sharedAs<TSTextStylePickerViewController>();
        m_doneButtonItem = BarButtonItem::withTitle(localized("Done"), [weak](BarButtonItem&) {
            if (auto self = weak.lock())
                self->doneAction();
        });
        navigationItem()->setRightBarButtonItems({m_doneButtonItem});
    }
}

void TSTextStylePickerViewController::updateFontColourSelections()
{
    if (!m_fontSizeControl)
        return;
    m_fontNameLabel->setText(toUtf16(m_style.font.fontName));
    m_fontSizeControl->setValue(static_cast<std::int64_t>(m_style.font.pointSize));
    m_lineSpacingControl->setValueLS(m_style.lineSpacing);
    m_paragraphSpacingControl->setValue(static_cast<std::int64_t>(m_style.paragraphSpacing));
    m_paragraphSpacingBeforeControl->setValue(static_cast<std::int64_t>(m_style.paragraphSpacingBefore));
    m_firstLineIndentControl->setValueLS(m_style.firstLineIndent);
    for (const auto& stepper : std::initializer_list<std::shared_ptr<UpDownControl>>{
             m_fontSizeControl, m_lineSpacingControl, m_paragraphSpacingControl, m_paragraphSpacingBeforeControl,
             m_firstLineIndentControl})
        stepper->setNeedsDisplay();
}

void TSTextStylePickerViewController::enableTextOptionCells()
{
    if (m_tableLayout.size() <= Options)
        return;
    for (const auto& row : m_tableLayout[Options]) {
        row->setUserInteractionEnabled(true);
        auto it = std::find_if(m_cells.begin(), m_cells.end(), [&](const auto& entry) { return entry.second == row; });
        bool stepper = it != m_cells.end() && isStepperRow(it->first);
        row->setAccessoryType(stepper ? TableViewCellAccessoryType::None : TableViewCellAccessoryType::DisclosureIndicator);
        row->setAlpha(1);
    }
    cell("applyAsDefaultCell")->setAlpha(1);
    cell("applyAsDefaultCell")->setUserInteractionEnabled(true);
}

void TSTextStylePickerViewController::disableTextOptionCells()
{
    if (m_tableLayout.size() <= Options)
        return;
    for (const auto& row : m_tableLayout[Options]) {
        row->setUserInteractionEnabled(false);
        row->setAccessoryType(TableViewCellAccessoryType::None);
        row->setAlpha(kDimmedAlpha);
    }
    cell("applyAsDefaultCell")->setAlpha(kDimmedAlpha);
    cell("applyAsDefaultCell")->setUserInteractionEnabled(false);
}

std::size_t TSTextStylePickerViewController::numberOfRowsInSection(TableView&, std::size_t section)
{
    return section < m_tableLayout.size() ? m_tableLayout[section].size() : 0;
}

void TSTextStylePickerViewController::showStoredStyle(long n, double fontSize)
{
    const char* names[] = {"applyAsDefaultCell", "applyAsUserStyle1", "applyAsUserStyle2", "applyAsUserStyle3"};
    auto row = cell(names[n]);
    if (!row)
        return;
    auto look = m_store.storedLook(n);
    auto label = row->textLabel();
    label->setText(localized(kStoringTitles[n]));
    label->setTextAlignment(TextAlignment::Center);
    label->setTextColor(look.textColour ? colorWithHTMLName(*look.textColour) : std::nullopt);
    std::optional<Font> font = look.fontName ? Font::fontWithName(*look.fontName, fontSize) : std::nullopt;
    label->setFont(font ? std::make_shared<const Font>(*font) : nullptr);
}

std::shared_ptr<TableViewCell> TSTextStylePickerViewController::cellForRowAtIndexPath(TableView&, IndexPath indexPath)
{
    auto row = m_tableLayout.at(indexPath.section).at(indexPath.row);
    applyThemeBackground(*row);
    if (row == cell("colourCell"))
        m_colourView->setColour(colorWithHTMLName(m_style.textColour));
    else if (row == cell("bgcolourCell"))
        m_bgcolourView->setColour(colorWithHTMLName(m_style.backgroundColour));
    else if (row == cell("pageSizeCell"))
        m_pageSizeLabel->setText(toUtf16(m_selectedPageSize));
    for (long n = 0; n < 4; ++n) {
        if (indexPath.section == StoreDefault + static_cast<std::size_t>(n))
            showStoredStyle(n, 17);
    }
    if (row != cell("defaultSettingsCell")) {
        // While the default style is in use, the rest of the panel is dimmed and takes no touches.
        row->setAlpha(m_defaultSettingsSwitchValue ? kDimmedAlpha : 1);
        row->setUserInteractionEnabled(!m_defaultSettingsSwitchValue);
        if (m_defaultSettingsSwitchValue)
            row->setAccessoryType(TableViewCellAccessoryType::None);
    }
    m_defaultSettingsSwitch->setOn(m_defaultSettingsSwitchValue);
    if (Device::current().isPad())
        setPreferredContentSize(Size{320, 270});
    else if (m_doneButtonItem)
        navigationItem()->setRightBarButtonItems({m_doneButtonItem});
    return row;
}

double TSTextStylePickerViewController::heightForRowAtIndexPath(TableView&, IndexPath indexPath)
{
    return m_tableLayout.at(indexPath.section).at(indexPath.row)->frame().height();
}

std::optional<IndexPath> TSTextStylePickerViewController::willSelectRowAtIndexPath(TableView&, IndexPath indexPath)
{
    auto row = m_tableLayout.at(indexPath.section).at(indexPath.row);
    if (!row->isUserInteractionEnabled())
        return std::nullopt;
    for (const char* name : {"sizeCell", "defaultSettingsCell", "firstLineIndentCell", "lineSpacingCell"}) {
        if (row == cell(name))
            return std::nullopt;
    }
    return indexPath;
}

template <typename Controller>
std::shared_ptr<Controller> TSTextStylePickerViewController::pushList(std::shared_ptr<Controller> list)
{
    if (auto* navigation = navigationController())
        navigation->pushViewController(list, true);
    return list;
}

void TSTextStylePickerViewController::didSelectRowAtIndexPath(TableView& table, IndexPath indexPath)
{
    auto row = m_tableLayout.at(indexPath.section).at(indexPath.row);
    auto self = sharedAs<TSTextStylePickerViewController>();
    if (row == cell("fontCell")) {
        auto list = std::make_shared<TSFontSelectTableViewController>();
        list->setDelegate(std::shared_ptr<TSFontSelectTableViewControllerDelegate>(self, this));
        list->setSelectedFont(m_style.font);
        pushList(list);
    } else if (row == cell("colourCell")) {
        auto list = std::make_shared<TSColourSelectTableViewController>();
        list->setDelegate(std::shared_ptr<TSColourSelectTableViewControllerDelegate>(self, this));
        list->setSelectedColour(m_style.textColour);
        pushList(list);
    } else if (row == cell("bgcolourCell")) {
        auto list = std::make_shared<TSBgColourSelectTableViewController>();
        list->setDelegate(std::shared_ptr<TSBgColourSelectTableViewControllerDelegate>(self, this));
        list->setSelectedColour(m_style.backgroundColour);
        pushList(list);
    } else if (row == cell("pageSizeCell")) {
        auto list = std::make_shared<PageSizeSelectTableViewController>();
        list->setDelegate(std::shared_ptr<PageSizeSelectTableViewControllerDelegate>(self, this));
        list->setSelectedSize(m_selectedPageSize);
        pushList(list);
    } else if (row == cell("pageMarginsCell")) {
        auto panel = PaperMarginsPickerViewController::textStylePickerViewController();
        panel->setDelegate(std::shared_ptr<PaperMarginsPickerViewControllerDelegate>(self, this));
        panel->setSelectedPageMarginBottom(m_style.marginBottom);
        panel->setSelectedPageMarginTop(m_style.marginTop);
        panel->setSelectedPageMarginLeft(m_style.marginLeft);
        panel->setSelectedPageMarginRight(m_style.marginRight);
        pushList(panel);
    } else if (indexPath.section == StoreDefault) {
        replaceDefaultSettings();
        table.deselectRowAtIndexPath(indexPath);
        showStoredStyle(0, 18);
    } else if (indexPath.section >= StoreUserStyle1 && indexPath.section <= StoreUserStyle3) {
        long n = static_cast<long>(indexPath.section - StoreDefault);
        replaceUserStyle(n);
        table.deselectRowAtIndexPath(indexPath);
        showStoredStyle(n, 18);
    } else if (indexPath.section == Reset) {
        table.deselectRowAtIndexPath(indexPath);
        resetToFactoryStyle();
    }
}

void TSTextStylePickerViewController::resetToFactoryStyle()
{
    m_style.font = FontChoice{"Helvetica", 12};
    m_style.lineSpacing = 1.0;
    m_style.paragraphSpacing = 0;
    m_style.paragraphSpacingBefore = 0;
    m_style.firstLineIndent = 0;
    m_style.textColour = "black";
    m_style.backgroundColour = "white";
    if (m_colourView)
        m_colourView->setColour(colorWithHTMLName(m_style.textColour));
    m_selectedPageSize = "Letter";
    (void)m_store.setDefaultPageSize(m_selectedPageSize);
    updateFontColourSelections();
    setDefaultTextStyles();
    if (auto view = viewIfLoaded())
        view->setNeedsDisplay();
}

void TSTextStylePickerViewController::defaultTextSettingsAction(Switch& toggle)
{
    m_defaultSettingsSwitchValue = toggle.isOn();
    auto delegate = m_delegate.lock();
    if (m_defaultSettingsSwitchValue) {
        if (delegate)
            delegate->textStylePickerViewControllerSelectedDefaultStyle(*this);
        disableTextOptionCells();
    } else {
        if (delegate)
            delegate->textStylePickerViewControllerSelectedCustomStyle(*this);
        enableTextOptionCells();
    }
    updateFontColourSelections();
    if (isViewLoaded())
        tableView()->reloadData();
}

// The store keeps values it could not write and writes them with the next
// synchronisation, so a failure here loses nothing the panel could report.
void TSTextStylePickerViewController::replaceDefaultSettings() { (void)m_store.replaceDefaultSettings(m_style); }

void TSTextStylePickerViewController::replaceUserStyle(long n) { (void)m_store.replaceUserStyle(n, m_style); }

void TSTextStylePickerViewController::setDefaultTextStyles()
{
    (void)m_store.setDefaultTextStyles();
    for (long n = 0; n < 4; ++n)
        showStoredStyle(n, 12);
}

void TSTextStylePickerViewController::fontSizeValueChanged(TSUpDownControl& stepper)
{
    m_style.font = m_style.font.withSize(static_cast<double>(stepper.value()));
    if (auto delegate = m_delegate.lock())
        delegate->textStylePickerViewControllerFontSizeChangedUserSelectedFont(*this, m_style.font);
}

void TSTextStylePickerViewController::lineSpacingValueChanged(TSUpDownControlFloat& stepper)
{
    m_style.lineSpacing = stepper.valueLS();
    if (auto delegate = m_delegate.lock())
        delegate->textStylePickerViewControllerLineSpacingChangedUserSelectedLineSpacing(*this, m_style.lineSpacing);
}

void TSTextStylePickerViewController::paragraphSpacingValueChanged(TSUpDownControl& stepper)
{
    m_style.paragraphSpacing = static_cast<double>(stepper.value());
    if (auto delegate = m_delegate.lock())
        delegate->textStylePickerViewControllerParagraphSpacingChangedUserSelectedParagraphSpacing(*this, m_style.paragraphSpacing);
}

void TSTextStylePickerViewController::paragraphSpacingBeforeValueChanged(TSUpDownControl& stepper)
{
    m_style.paragraphSpacingBefore = static_cast<double>(stepper.value());
    if (auto delegate = m_delegate.lock())
        delegate->textStylePickerViewControllerParagraphSpacingBeforeChangedUserSelectedParagraphSpacingBefore(
            *this, m_style.paragraphSpacingBefore);
}

void TSTextStylePickerViewController::firstLineIndentValueChanged(TSUpDownControlFloat& stepper)
{
    m_style.firstLineIndent = stepper.valueLS();
    if (auto delegate = m_delegate.lock())
        delegate->textStylePickerViewControllerFirstLineIndentChangedUserSelectedFirstLineIndent(*this, m_style.firstLineIndent);
}

void TSTextStylePickerViewController::doneAction()
{
    if (auto delegate = m_delegate.lock())
        delegate->textStylePickerViewControllerIsDone(*this);
}

void TSTextStylePickerViewController::fontSelectTableViewControllerDidSelectFont(TSFontSelectTableViewController&,
                                                                                const FontChoice& font)
{
    m_style.font = font;
    if (m_fontNameLabel)
        m_fontNameLabel->setText(toUtf16(font.fontName));
    if (auto delegate = m_delegate.lock())
        delegate->textStylePickerViewControllerUserSelectedFont(*this, font);
}

void TSTextStylePickerViewController::showiTunesFileBrowser()
{
    if (auto delegate = m_delegate.lock())
        delegate->installNewFontSelected();
}

void TSTextStylePickerViewController::colourSelectTableViewControllerDidSelectColour(TSColourSelectTableViewController&,
                                                                                    const std::string& colour)
{
    m_style.textColour = colour;
    if (m_colourView)
        m_colourView->setColour(colorWithHTMLName(colour));
    if (auto delegate = m_delegate.lock())
        delegate->textStylePickerViewControllerUserSelectedTextColor(*this, colour);
}

void TSTextStylePickerViewController::colourSelectTableViewControllerDidSelectBackgroundColour(TSBgColourSelectTableViewController&,
                                                                                              const std::string& colour)
{
    m_style.backgroundColour = colour;
    if (m_bgcolourView)
        m_bgcolourView->setColour(colorWithHTMLName(colour));
    if (auto delegate = m_delegate.lock())
        delegate->textStylePickerViewControllerUserSelectedBackgroundColor(*this, colour);
}

void TSTextStylePickerViewController::pageSizeSelectTableViewControllerDidSelectSize(PageSizeSelectTableViewController&,
                                                                                    const std::string& size)
{
    // The chosen size goes to the store, which the editors read it from; the
    // row and the list opened again show it too.
    m_selectedPageSize = size;
    (void)m_store.setDefaultPageSize(size);
    if (m_pageSizeLabel)
        m_pageSizeLabel->setText(toUtf16(size));
    if (auto delegate = m_delegate.lock())
        delegate->textStylePickerViewControllerPaperSizeChanged(*this);
}

void TSTextStylePickerViewController::marginChanged(long side, double margin)
{
    double* margins[] = {&m_style.marginLeft, &m_style.marginRight, &m_style.marginTop, &m_style.marginBottom};
    *margins[side] = margin;
    if (auto delegate = m_delegate.lock())
        delegate->textStylePickerViewControllerPaperMarginChanged(side, margin);
}

void TSTextStylePickerViewController::paperMarginLeftViewChanged(PaperMarginsPickerViewController&, double margin) { marginChanged(0, margin); }
void TSTextStylePickerViewController::paperMarginRightViewChanged(PaperMarginsPickerViewController&, double margin) { marginChanged(1, margin); }
void TSTextStylePickerViewController::paperMarginTopViewChanged(PaperMarginsPickerViewController&, double margin) { marginChanged(2, margin); }
void TSTextStylePickerViewController::paperMarginBottomViewChanged(PaperMarginsPickerViewController&, double margin) { marginChanged(3, margin); }

} // namespace folio
