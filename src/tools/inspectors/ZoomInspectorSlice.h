#pragma once

#include "platform/docframework/DKInspectorSlice.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class Button;
class Label;
class TextDocument;
class TextField;

// What the two zoom slices share: a smaller and a larger "A" button around a
// well that shows the zoom, the well's parsing, and finding the document
// among the inspected objects. Each subclass keeps its own zoom.
class ZoomInspectorSlice : public DKInspectorSlice {
public:
    ZoomInspectorSlice();

    bool isAppropriateForInspectedObject(const DKDocument& object) const override;
    double preferredHeight() const override { return 46; }

    const std::shared_ptr<Button>& zoomDecreaseStepperButton() { loadViewIfNeeded(); return m_decrease; }
    const std::shared_ptr<Button>& zoomIncreaseStepperButton() { loadViewIfNeeded(); return m_increase; }
    const std::shared_ptr<TextField>& zoomTextWell() { loadViewIfNeeded(); return m_well; }
    // What the user sees of the well: its value after its label ("Zoom: 120%").
    const std::shared_ptr<Label>& zoomWellLabel() { loadViewIfNeeded(); return m_wellLabel; }
    std::u16string zoomWellLabelText();

    virtual void zoomDecrease() = 0;
    virtual void zoomIncrease() = 0;
    // The well's value was typed in.
    virtual void zoomChanged() = 0;

    // The number in a typed well text: everything but digits cut from both
    // ends, then read as a float; none when that is 0 or less. A text that
    // cannot be read is logged.
    static std::optional<double> parsedWellNumber(std::u16string_view text);

protected:
    void loadView() override;
    void viewDidLoad() override;
    // The first inspected text document, if any.
    TextDocument* inspectedDocument() const;
    // Runs `change` inside the inspector's begin and end of changing.
    void changeInspectedObjects(const std::function<void()>& change);
    void endEditing();
    // Shows a new zoom ("120%") in the well.
    void setWellValue(std::u16string value);

    std::shared_ptr<Button> m_decrease;
    std::shared_ptr<Button> m_increase;
    std::shared_ptr<TextField> m_well;
    std::shared_ptr<Label> m_wellLabel;
};

} // namespace folio
