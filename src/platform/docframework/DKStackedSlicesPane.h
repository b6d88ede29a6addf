#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <optional>
#include <vector>

namespace folio {

class DKInspector;
class DKInspectorSlice;

// A page of an inspector: its slices one under the other, in the order the
// inspector's delegate gave them. The slices are asked for each time the
// pane is about to appear, so a pane always shows a fresh list.
class DKStackedSlicesPane : public ViewController {
public:
    static constexpr double kDefaultWidth = 320;
    static constexpr double kDefaultHeight = 440;

    // A height of 0 or less means the default height.
    explicit DKStackedSlicesPane(DKInspector& inspector, double height = 0);

    DKInspector& inspector() const { return *m_inspector; }
    const std::vector<std::shared_ptr<DKInspectorSlice>>& slices() const { return m_slices; }

    // The colour of the pane's controls; none for the theme's own.
    const std::optional<Color>& tintColor() const { return m_tintColor; }
    void setTintColor(std::optional<Color> color) { m_tintColor = std::move(color); }

    // Asks the delegate for the slices again and stacks them.
    void reloadSlices();
    void updateInterfaceFromInspectedObjects(int reason);

protected:
    void loadView() override;
    void viewWillAppear(bool animated) override;

private:
    void stackSlices();

    DKInspector* m_inspector;
    std::vector<std::shared_ptr<DKInspectorSlice>> m_slices;
    std::optional<Color> m_tintColor;
};

} // namespace folio
