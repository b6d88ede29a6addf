#pragma once

#include "tools/textstyle/FontChoice.h"
#include "tools/textstyle/TSFontStyleSelectTableViewController.h"
#include "tools/textstyle/TextStyleListController.h"

#include <memory>
#include <string>
#include <vector>

namespace folio {

class TSFontSelectTableViewController;

class TSFontSelectTableViewControllerDelegate {
public:
    virtual ~TSFontSelectTableViewControllerDelegate() = default;
    virtual void fontSelectTableViewControllerDidSelectFont(TSFontSelectTableViewController&, const FontChoice&) = 0;
    virtual void showiTunesFileBrowser() = 0;
};

// The installed font families, each shown in itself. A family with several
// faces offers them behind its detail button.
class TSFontSelectTableViewController : public TextStyleListController, public TSFontStyleSelectTableViewControllerDelegate {
public:
    void setDelegate(std::weak_ptr<TSFontSelectTableViewControllerDelegate> delegate) { m_delegate = std::move(delegate); }
    const FontChoice& selectedFont() const { return m_selectedFont; }
    void setSelectedFont(FontChoice font) { m_selectedFont = std::move(font); }
    const std::vector<std::string>& fontFamilyNames() const { return m_fontFamilyNames; }

    // Asks the delegate to let the user add a font file.
    void installNewFont();

    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return m_fontFamilyNames.size(); }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) override;
    void accessoryButtonTappedForRowWithIndexPath(TableView& table, IndexPath indexPath) override;

    void fontStyleSelectTableViewControllerDidSelectFont(TSFontStyleSelectTableViewController&, const FontChoice& font) override;
    void showiTunesFileBrowser() override {}

protected:
    void viewDidLoad() override;

private:
    std::weak_ptr<TSFontSelectTableViewControllerDelegate> m_delegate;
    FontChoice m_selectedFont;
    std::vector<std::string> m_fontFamilyNames;
};

} // namespace folio
