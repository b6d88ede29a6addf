#include "tools/inspectors/ZoomInspectorSlice.h"

#include "documents/TextDocument.h"
#include "platform/docframework/DKInspector.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"
#include "tools/ToolsFonts.h"
#include "tools/ToolsText.h"

namespace folio {

namespace {

const Color kTint = Color::colorWithRed(0.0, 0.47, 1.0, 1.0);
constexpr double kWellFontSize = 17;

void styleStepperButton(Button& button)
{
    button.setTitle(u"A");
    button.setTitleColor(kTint);
    button.layerStyle().borderWidth = 1.0;
    button.layerStyle().borderColor = kTint;
    button.layerStyle().cornerRadius = 5.0;
    button.layerStyle().masksToBounds = true;
    Rect frame = button.frame();
    button.setFrame(Rect{{frame.origin.x, 4.0}, {38, 38}});
}

} // namespace

ZoomInspectorSlice::ZoomInspectorSlice()
{
    setTitle(toUtf16(Localization::localizedString("View", {}, "Inspectors")));
}

bool ZoomInspectorSlice::isAppropriateForInspectedObject(const DKDocument& object) const
{
    return dynamic_cast<const TextDocument*>(&object) != nullptr;
}

void ZoomInspectorSlice::loadView()
{
    auto view = std::make_shared<View>(Rect{{0, 0}, {320, preferredHeight()}});
    m_decrease = std::make_shared<Button>(Rect{{12, 0}, {38, 38}});
    m_increase = std::make_shared<Button>(Rect{{270, 0}, {38, 38}});
    // NOTE: the well is not editable: the user sees its label and value, and
    // the field behind it only holds the value, where a typed zoom arrives.
    m_well = std::make_shared<TextField>(Rect{{60, 4}, {200, 38}});
    m_wellLabel = std::make_shared<Label>(Rect{{60, 4}, {200, 38}});
    view->addSubview(m_decrease);
    view->addSubview(m_wellLabel);
    view->addSubview(m_increase);
    setView(view);
}

void ZoomInspectorSlice::viewDidLoad()
{
    styleStepperButton(*m_decrease);
    styleStepperButton(*m_increase);
    m_decrease->setTitleFont(systemFontOfSize(14, true));
    m_increase->setTitleFont(systemFontOfSize(32, true));
    m_well->setEnabled(false);
    m_wellLabel->setTextAlignment(TextAlignment::Center);
    m_wellLabel->setFont(systemFontOfSize(kWellFontSize));
    m_wellLabel->setText(zoomWellLabelText());
    m_decrease->addAction(ControlEvent::TouchUpInside, [this](Control&) { zoomDecrease(); });
    m_increase->addAction(ControlEvent::TouchUpInside, [this](Control&) { zoomIncrease(); });
    m_well->addAction(ControlEvent::ValueChanged, [this](Control&) { zoomChanged(); });
}

std::u16string ZoomInspectorSlice::zoomWellLabelText()
{
    std::u16string label = localized("Zoom: %@");
    std::u16string value = zoomTextWell()->text();
    size_t at = label.find(u"%@");
    if (at == std::u16string::npos)
        return label + u" " + value;
    return label.replace(at, 2, value);
}

std::optional<double> ZoomInspectorSlice::parsedWellNumber(std::u16string_view text)
{
    CharacterSet notDigits = CharacterSet::decimalDigitCharacterSet().invertedSet();
    std::u16string trimmed = stringByTrimmingCharactersInSet(text, notDigits);
    double number = floatValue(trimmed);
    if (number <= 0) {
        TELog(TELogLevelWarning, "Unable to parse zoom well text '" + toUtf8(trimmed) + "'");
        return std::nullopt;
    }
    return number;
}

TextDocument* ZoomInspectorSlice::inspectedDocument() const
{
    for (DKDocument* object : appropriateObjectsForInspection()) {
        if (auto* document = dynamic_cast<TextDocument*>(object))
            return document;
    }
    return nullptr;
}

void ZoomInspectorSlice::changeInspectedObjects(const std::function<void()>& change)
{
    DKInspector* owner = inspector();
    if (owner)
        owner->willBeginChangingInspectedObjects();
    change();
    if (owner)
        owner->didEndChangingInspectedObjects();
}

void ZoomInspectorSlice::setWellValue(std::u16string value)
{
    zoomTextWell()->setText(std::move(value));
    m_wellLabel->setText(zoomWellLabelText());
}

void ZoomInspectorSlice::endEditing()
{
    if (m_well && m_well->isFirstResponder())
        m_well->resignFirstResponder();
}

} // namespace folio
