#pragma once

#include "platform/ui/ViewController.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class Label;
class PagedGridViewCell;
class ScrollView;

// A scrolling grid of fixed-size cells in titled sections. Subclasses answer
// the counts, titles and cells, and hear of taps and long presses.
class PagedGridViewController : public ViewController {
public:
    explicit PagedGridViewController(int gridLayoutStyle = 0) : m_gridLayoutStyle(gridLayoutStyle) {}

    Size cellSize() const { return m_cellSize; }
    void setCellSize(Size size) { m_cellSize = size; }
    int gridLayoutStyle() const { return m_gridLayoutStyle; }

    // Builds the grid again from the answers below.
    void reloadData();
    // The cells as laid out, section by section.
    const std::vector<std::vector<std::shared_ptr<PagedGridViewCell>>>& cells() const { return m_cells; }
    const std::vector<std::shared_ptr<Label>>& headerLabels() const { return m_headers; }
    // A cell from the reuse queue under this identifier; null when there is none.
    std::shared_ptr<PagedGridViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);

    // A user's tap or long press on the cell at (section, item).
    void tapItem(std::size_t section, std::size_t item);
    void longPressItem(std::size_t section, std::size_t item);

    virtual std::size_t numberOfSections() = 0;
    virtual std::size_t numberOfItemsInSection(std::size_t section) = 0;
    virtual std::u16string titleForHeaderInSection(std::size_t) { return {}; }
    virtual std::shared_ptr<PagedGridViewCell> cellForItem(std::size_t section, std::size_t item) = 0;
    virtual void didSelectItem(std::size_t /*section*/, std::size_t /*item*/) {}
    virtual void didLongPressItem(std::size_t /*section*/, std::size_t /*item*/) {}

protected:
    void loadView() override;
    void viewWillAppear(bool animated) override;

private:
    int m_gridLayoutStyle;
    Size m_cellSize{44, 44};
    std::shared_ptr<ScrollView> m_scrollView;
    std::vector<std::vector<std::shared_ptr<PagedGridViewCell>>> m_cells;
    std::vector<std::shared_ptr<Label>> m_headers;
    std::vector<std::shared_ptr<PagedGridViewCell>> m_reusePool;
};

} // namespace folio
