#pragma once

#include "platform/docframework/DKInspectorSlice.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class Button;
class Label;
class TextField;

// Small slices built from plain controls, which the editors fill with what
// a slice shows and does: a titled row of buttons, a value with smaller and
// larger steps, a choice from a list, and a message. Every change a control
// makes runs inside the inspector's begin and end of changing.
class ControlSlice : public DKInspectorSlice {
public:
    explicit ControlSlice(std::u16string title);
    const std::shared_ptr<Label>& titleLabel() { loadViewIfNeeded(); return m_titleLabel; }

protected:
    void loadView() override;
    // Runs the change inside the inspector's change brackets.
    void change(const std::function<void()>& action);

    std::shared_ptr<Label> m_titleLabel;
};

class ButtonRowSlice : public ControlSlice {
public:
    struct Item {
        std::u16string title;
        std::function<void()> action;
    };
    ButtonRowSlice(std::u16string title, std::vector<Item> items);

    const std::vector<std::shared_ptr<Button>>& buttons() { loadViewIfNeeded(); return m_buttons; }
    double preferredHeight() const override;

protected:
    void viewDidLoad() override;

protected:
    // The buttons start this far down, under the title row.
    double m_buttonsTop;

private:
    std::size_t columns() const;

    std::vector<Item> m_items;
    std::vector<std::shared_ptr<Button>> m_buttons;
};

class StepperSlice : public ControlSlice {
public:
    struct Value {
        // The value as shown; read on each update.
        std::function<std::u16string()> text;
        std::function<void()> decrease;
        std::function<void()> increase;
    };
    StepperSlice(std::u16string title, Value value);

    const std::shared_ptr<Button>& decreaseButton() { loadViewIfNeeded(); return m_decrease; }
    const std::shared_ptr<Button>& increaseButton() { loadViewIfNeeded(); return m_increase; }
    const std::shared_ptr<Label>& valueLabel() { loadViewIfNeeded(); return m_value; }
    void updateInterfaceFromInspectedObjects(int reason) override;

protected:
    void viewDidLoad() override;

private:
    void step(const std::function<void()>& action);

    Value m_valueSource;
    std::shared_ptr<Button> m_decrease;
    std::shared_ptr<Button> m_increase;
    std::shared_ptr<Label> m_value;
};

class ChoiceSlice : public ControlSlice {
public:
    struct Choices {
        std::vector<std::u16string> options;
        // The option now in force, if any; read on each update.
        std::function<std::u16string()> current;
        std::function<void(std::size_t index)> choose;
    };
    ChoiceSlice(std::u16string title, Choices choices);

    // Opens the list as its menu.
    const std::shared_ptr<Button>& choiceButton() { loadViewIfNeeded(); return m_button; }
    const std::vector<std::u16string>& options() const { return m_choices.options; }
    // A user's choice from the list.
    void choose(std::size_t index);
    void updateInterfaceFromInspectedObjects(int reason) override;

protected:
    void viewDidLoad() override;

private:
    Choices m_choices;
    std::shared_ptr<Button> m_button;
};

// A line of text the user types, such as a running header's words, with
// a row of buttons under it for what goes with the text. Each change is
// handed on as it is typed, so that closing the panel mid-word keeps what
// was typed; unlike the other controls' changes it does not show the pane
// again, which would take the field from under the typing.
class TextFieldSlice : public ButtonRowSlice {
public:
    struct Text {
        // The text in force; read on each update.
        std::function<std::u16string()> current;
        std::function<void(const std::u16string&)> change;
    };
    TextFieldSlice(std::u16string title, Text text, std::vector<Item> buttons = {});

    const std::shared_ptr<TextField>& textField() { loadViewIfNeeded(); return m_field; }
    void updateInterfaceFromInspectedObjects(int reason) override;

protected:
    void viewDidLoad() override;

private:
    Text m_text;
    std::shared_ptr<TextField> m_field;
};

class MessageSlice : public ControlSlice {
public:
    MessageSlice(std::u16string title, std::u16string message);
    const std::shared_ptr<Label>& messageLabel() { loadViewIfNeeded(); return m_message; }
    double preferredHeight() const override { return 88; }

protected:
    void viewDidLoad() override;

private:
    std::u16string m_text;
    std::shared_ptr<Label> m_message;
};

} // namespace folio
