#pragma once

#include <gtk/gtk.h>

#include <optional>

namespace folio {

class ActivityIndicatorView;
class Button;
class Color;
class Control;
class Font;
class Label;
class SegmentedControl;
class Slider;
class Stepper;

// Real GTK widgets for the value controls of the UI model, kept in step both
// ways: the user's changes go through the model's own user-action methods
// (so the model clamps, refuses disabled segments and fires its actions), and
// the widget is then set back from the model so it never shows a state the
// model did not accept.
class GtkControlBridges {
public:
    // A linked box of toggle buttons, one per segment.
    static GtkWidget* buildSegmentedControl(SegmentedControl& control);
    static GtkWidget* buildSlider(Slider& slider);
    // A spin button the user can only step, since the model knows no typed values.
    static GtkWidget* buildStepper(Stepper& stepper);

    // Sets every widget under `root` that stands for `control` from the
    // model's current state, without sending the model any action back.
    static void refreshControl(GtkWidget* root, const Control& control);
    // Ties a widget to the control it shows, so that refreshControl reaches
    // it (a button's enabled state).
    static void attach(GtkWidget* widget, Control& control);
    // A title longer than the button's room is cut short, and shown whole
    // when the pointer rests on it.
    static void fitButtonTitle(GtkWidget* widget, const Button& button);
    // The same for a label's text, refreshed when the label asks to be drawn again.
    static void attachLabel(GtkWidget* widget, const Label& label);
    static void refreshLabel(GtkWidget* root, const Label& label);

    // A spinner that follows the indicator: it turns while the indicator
    // animates and shows while the indicator is not hidden. It is made for a
    // hidden indicator too, so that starting it later needs no rebuild.
    static GtkWidget* buildActivityIndicator(const ActivityIndicatorView& indicator);
    // Sets every spinner under `root` that stands for `indicator` from the model.
    static void refreshActivityIndicator(GtkWidget* root, const ActivityIndicatorView& indicator);

    // Paints the widget's background in the colour (alpha kept) through a
    // provider of its own, so no other widget is affected; nullopt or a
    // colour without RGB components removes it.
    static void applyBackgroundColor(GtkWidget* widget, const std::optional<Color>& color);
    // The background of a GtkTextView's text, where the theme paints its own.
    static void applyTextBackgroundColor(GtkWidget* textView, const std::optional<Color>& color);
    // A list row's colour, which leaves the row the theme's look while it is
    // selected: its title would otherwise vanish, light on light.
    static void applyRowBackgroundColor(GtkWidget* row, const std::optional<Color>& color);
    // The colour of the widget's text and symbols, which its children inherit.
    static void applyForegroundColor(GtkWidget* widget, const std::optional<Color>& color);
    // The face the widget's text is drawn in, at the model's size in pixels
    // (a point of the model is a pixel on screen); null keeps the theme's.
    // Answers whether the face differs from the one shown before.
    static bool applyFont(GtkWidget* widget, const Font* font);
    // A label's font, text colour and alignment as the model has them now.
    static void styleLabel(GtkWidget* widget, const Label& label);
};

} // namespace folio
