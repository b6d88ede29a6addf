#pragma once

#include "platform/text/PlatformParagraphStyle.h"
#include "platform/ui/TableViewController.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class Image;

// One entry of a popover menu: a title, an optional image and what picking
// it does.
class DKMenuOption {
public:
    using Action = std::function<void()>;

    static std::shared_ptr<DKMenuOption> optionWithTitle(std::u16string title, std::shared_ptr<const Image> image, Action action);
    DKMenuOption(std::u16string title, std::shared_ptr<const Image> image, Action action);

    const std::u16string& title() const { return m_title; }
    const std::shared_ptr<const Image>& image() const { return m_image; }
    void perform() const;

private:
    std::u16string m_title;
    std::shared_ptr<const Image> m_image;
    Action m_action;
};

// A list of options under a title, shown as a popover. Picking an option runs
// its action once; the menu stays open until the user closes it.
class DKMenuController : public TableViewController {
public:
    DKMenuController();

    const std::vector<std::shared_ptr<DKMenuOption>>& topOptions() const { return m_topOptions; }
    void setTopOptions(std::vector<std::shared_ptr<DKMenuOption>> options);
    bool sizesToOptionWidth() const { return m_sizesToOptionWidth; }
    void setSizesToOptionWidth(bool sizes) { m_sizesToOptionWidth = sizes; }
    TextAlignment textAlignment() const { return m_textAlignment; }
    void setTextAlignment(TextAlignment alignment) { m_textAlignment = alignment; }
    void setDidFinish(std::function<void()> didFinish) { m_didFinish = std::move(didFinish); }
    const std::function<void()>& didFinish() const { return m_didFinish; }

    // Picks the option with this title as a user would; false when there is none.
    bool pickOptionWithTitle(const std::u16string& title);

    std::size_t numberOfRowsInSection(TableView&, std::size_t) override { return m_topOptions.size(); }
    std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& table, IndexPath indexPath) override;
    // The title heads the list; set it before the options so that their
    // height counts its row.
    std::u16string titleForHeaderInSection(TableView& table, std::size_t section) override;
    void didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) override;

private:
    std::vector<std::shared_ptr<DKMenuOption>> m_topOptions;
    bool m_sizesToOptionWidth = false;
    TextAlignment m_textAlignment = TextAlignment::Left;
    std::function<void()> m_didFinish;
};

} // namespace folio
