#pragma once

#include "tools/textstyle/FontChoice.h"
#include "tools/textstyle/TextStyleListController.h"

#include <memory>
#include <string>
#include <vector>

namespace folio {

class TSFontStyleSelectTableViewController;

class TSFontStyleSelectTableViewControllerDelegate {
public:
    virtual ~TSFontStyleSelectTableViewControllerDelegate() = default;
    virtual void fontStyleSelectTableViewControllerDidSelectFont(TSFontStyleSelectTableViewController&, const FontChoice&) = 0;
    virtual void showiTunesFileBrowser() = 0;
};

// The faces of one family, each shown in itself; choosing one keeps the size.
class TSFontStyleSelectTableViewController : public TextStyleListController {
public:
    void setDelegate(std::weak_ptr<TSFontStyleSelectTableViewControllerDelegate> delegate) { m_delegate = std::move(delegate); }
    const std::string& fontFamilyName() const { return m_fontFamilyName; }
    void setFontFamilyName(std::string family) { m_fontFamilyName = std::move(family); }
    const FontChoice& selectedFont() const { return m_selectedFont; }
    void setSelectedFont(FontChoice font) { m_selectedFont = std::move(font); }
    const std::vector<std::string>& fontNames() const { return m_fontNames; }

    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return m_fontNames.size(); }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) override;

protected:
    void viewDidLoad() override;

private:
    std::weak_ptr<TSFontStyleSelectTableViewControllerDelegate> m_delegate;
    std::string m_fontFamilyName;
    FontChoice m_selectedFont;
    std::vector<std::string> m_fontNames;
};

// Sorts names as the font lists show them.
void sortFontNames(std::vector<std::string>& names);

} // namespace folio
