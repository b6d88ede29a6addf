#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"

#include <memory>
#include <string>

namespace folio {

// One fixed-size cell of a paged grid: a text label (and a detail label)
// over a button that takes the tap.
class PagedGridViewCell : public Button {
public:
    explicit PagedGridViewCell(std::string reuseIdentifier = {});

    const std::string& reuseIdentifier() const { return m_reuseIdentifier; }
    const std::shared_ptr<Label>& textLabel() const { return m_textLabel; }
    const std::shared_ptr<Label>& detailTextLabel() const { return m_detailTextLabel; }
    // Shows the text label's text as the button's title, in the label's font.
    void updateTitle();

private:
    std::string m_reuseIdentifier;
    std::shared_ptr<Label> m_textLabel = std::make_shared<Label>();
    std::shared_ptr<Label> m_detailTextLabel = std::make_shared<Label>();
};

} // namespace folio
