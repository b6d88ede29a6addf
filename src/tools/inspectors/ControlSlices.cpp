#include "tools/inspectors/ControlSlices.h"

#include "platform/docframework/DKInspector.h"
#include "platform/ui/Action.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Menu.h"
#include "platform/ui/TextField.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace folio {

namespace {
constexpr double kWidth = 320;
constexpr double kTitleWidth = 120;
constexpr double kRowHeight = 44;
}

ControlSlice::ControlSlice(std::u16string title)
{
    setTitle(std::move(title));
}

void ControlSlice::loadView()
{
    auto view = std::make_shared<View>(Rect{{0, 0}, {kWidth, preferredHeight()}});
    m_titleLabel = std::make_shared<Label>(Rect{{12, 0}, {kTitleWidth, kRowHeight}});
    m_titleLabel->setText(title());
    // A long title ("Text background color") takes a second line rather
    // than running under the control beside it.
    m_titleLabel->setNumberOfLines(2);
    view->addSubview(m_titleLabel);
    setView(view);
}

void ControlSlice::change(const std::function<void()>& action)
{
    DKInspector* owner = inspector();
    if (owner)
        owner->willBeginChangingInspectedObjects();
    if (action)
        action();
    if (owner)
        owner->didEndChangingInspectedObjects();
}

ButtonRowSlice::ButtonRowSlice(std::u16string title, std::vector<Item> items)
    : ControlSlice(std::move(title))
    , m_buttonsTop(kRowHeight)
    , m_items(std::move(items))
{
}

std::size_t ButtonRowSlice::columns() const
{
    // As many buttons to a row as their titles fit in, four at most: a title
    // cut short no longer says what its button does. Titles are measured at
    // an average letter's width, plus the button's own padding.
    constexpr double kLetterWidth = 7.5;
    constexpr double kPadding = 24;
    std::size_t longest = 0;
    for (const Item& item : m_items)
        longest = std::max(longest, item.title.size());
    std::size_t columns = std::clamp<std::size_t>(m_items.size(), 1, 4);
    while (columns > 1
           && kLetterWidth * static_cast<double>(longest) + kPadding > (kWidth - 24) / static_cast<double>(columns) - 4)
        --columns;
    return columns;
}

double ButtonRowSlice::preferredHeight() const
{
    std::size_t perRow = columns();
    return m_buttonsTop + kRowHeight * static_cast<double>((m_items.size() + perRow - 1) / perRow);
}

void ButtonRowSlice::viewDidLoad()
{
    std::size_t perRow = columns();
    double width = (kWidth - 24) / static_cast<double>(perRow);
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        double x = 12 + width * static_cast<double>(i % perRow);
        double y = m_buttonsTop + kRowHeight * static_cast<double>(i / perRow);
        auto button = std::make_shared<Button>(Rect{{x, y}, {width - 4, kRowHeight - 6}});
        button->setTitle(m_items[i].title);
        std::function<void()> action = m_items[i].action;
        button->addAction(ControlEvent::TouchUpInside, [this, action](Control&) { change(action); });
        view()->addSubview(button);
        m_buttons.push_back(button);
    }
}

StepperSlice::StepperSlice(std::u16string title, Value value)
    : ControlSlice(std::move(title))
    , m_valueSource(std::move(value))
{
}

void StepperSlice::viewDidLoad()
{
    m_decrease = std::make_shared<Button>(Rect{{kTitleWidth + 20, 4}, {36, 36}});
    m_decrease->setTitle(u"\u2212");
    m_value = std::make_shared<Label>(Rect{{kTitleWidth + 60, 0}, {80, kRowHeight}});
    m_increase = std::make_shared<Button>(Rect{{kTitleWidth + 144, 4}, {36, 36}});
    m_increase->setTitle(u"+");
    m_decrease->addAction(ControlEvent::TouchUpInside, [this](Control&) { step(m_valueSource.decrease); });
    m_increase->addAction(ControlEvent::TouchUpInside, [this](Control&) { step(m_valueSource.increase); });
    view()->addSubview(m_decrease);
    view()->addSubview(m_value);
    view()->addSubview(m_increase);
}

void StepperSlice::step(const std::function<void()>& action)
{
    change(action);
    updateInterfaceFromInspectedObjects(UpdateReasonObjectsEdited);
}

void StepperSlice::updateInterfaceFromInspectedObjects(int)
{
    if (m_valueSource.text)
        valueLabel()->setText(m_valueSource.text());
}

ChoiceSlice::ChoiceSlice(std::u16string title, Choices choices)
    : ControlSlice(std::move(title))
    , m_choices(std::move(choices))
{
}

void ChoiceSlice::viewDidLoad()
{
    m_button = std::make_shared<Button>(Rect{{kTitleWidth + 20, 4}, {kWidth - kTitleWidth - 32, 36}});
    std::vector<std::shared_ptr<MenuElement>> actions;
    for (std::size_t i = 0; i < m_choices.options.size(); ++i)
        actions.push_back(Action::make(m_choices.options[i], "", [this, i](Action&) { choose(i); }));
    m_button->setMenu(Menu::make(title(), std::move(actions)));
    m_button->setShowsMenuAsPrimaryAction(true);
    view()->addSubview(m_button);
}

void ChoiceSlice::choose(std::size_t index)
{
    if (index >= m_choices.options.size())
        return;
    change([this, index] {
        if (m_choices.choose)
            m_choices.choose(index);
    });
    updateInterfaceFromInspectedObjects(UpdateReasonObjectsEdited);
}

void ChoiceSlice::updateInterfaceFromInspectedObjects(int)
{
    choiceButton()->setTitle(m_choices.current ? m_choices.current() : std::u16string());
}

TextFieldSlice::TextFieldSlice(std::u16string title, Text text, std::vector<Item> buttons)
    : ButtonRowSlice(std::move(title), std::move(buttons))
    , m_text(std::move(text))
{
    // The field has a row of its own under the title.
    m_buttonsTop = 2 * kRowHeight;
}

void TextFieldSlice::viewDidLoad()
{
    ButtonRowSlice::viewDidLoad();
    m_field = std::make_shared<TextField>(Rect{{12, kRowHeight + 4}, {kWidth - 24, 36}});
    // NOTE: outside the change brackets, whose end shows the pane again:
    // that would rebuild the field under the user's typing.
    m_field->addAction(ControlEvent::EditingChanged, [this](Control&) {
        if (m_text.change)
            m_text.change(m_field->text());
    });
    view()->addSubview(m_field);
}

void TextFieldSlice::updateInterfaceFromInspectedObjects(int)
{
    // The user's own typing is not written over while it goes on.
    if (m_text.current && !textField()->isEditing())
        m_field->setText(m_text.current());
}

MessageSlice::MessageSlice(std::u16string title, std::u16string message)
    : ControlSlice(std::move(title))
    , m_text(std::move(message))
{
}

void MessageSlice::viewDidLoad()
{
    m_message = std::make_shared<Label>(Rect{{12, kRowHeight}, {kWidth - 24, 44}});
    m_message->setText(m_text);
    m_message->setNumberOfLines(0);
    view()->addSubview(m_message);
}

} // namespace folio
