#pragma once

#include "platform/graphics/Geometry.h"

#include <functional>
#include <memory>
#include <vector>

namespace folio {

class GestureRecognizer;
class View;

enum class GestureRecognizerState { Possible, Began, Changed, Ended, Cancelled, Failed };

class GestureRecognizerDelegate {
public:
    virtual ~GestureRecognizerDelegate() = default;
    virtual bool gestureRecognizerShouldBegin(GestureRecognizer&) { return true; }
};

// Turns touches into a gesture and reports it to its handlers. There are no
// real touches here: the presenter, or a test, feeds each recognizer the
// gesture it has seen through the subclasses' methods. A discrete gesture
// (tap, swipe) reports once in the Ended state; a continuous one (long press,
// pan, pinch) reports Began, Changed and Ended.
class GestureRecognizer : public std::enable_shared_from_this<GestureRecognizer> {
public:
    using Handler = std::function<void(GestureRecognizer&)>;

    GestureRecognizer() = default;
    explicit GestureRecognizer(Handler handler);
    virtual ~GestureRecognizer() = default;

    void addTarget(Handler handler);
    GestureRecognizerState state() const { return m_state; }
    bool isEnabled() const { return m_enabled; }
    // Disabling cancels a gesture in progress.
    void setEnabled(bool enabled);
    View* view() const { return m_view; }
    void setView(View* view) { m_view = view; }
    void setDelegate(std::weak_ptr<GestureRecognizerDelegate> delegate) { m_delegate = std::move(delegate); }
    bool cancelsTouchesInView() const { return m_cancelsTouchesInView; }
    void setCancelsTouchesInView(bool cancels) { m_cancelsTouchesInView = cancels; }

    // Where the gesture is, in the coordinates of `view` (this recognizer's
    // own view when null).
    Point locationInView(const View* view) const;

protected:
    // Whether touches can reach this recognizer at all, and whether the
    // delegate lets the gesture begin.
    bool canReceive() const;
    bool shouldBegin();
    void setLocation(Point location) { m_location = location; }
    // Records where the gesture is and, when the delegate lets it begin, moves
    // to `state` (Began for continuous gestures, Ended for discrete ones);
    // otherwise the gesture fails. Answers whether it was recognised.
    bool recognizeAt(Point location, GestureRecognizerState state);
    // Moves to the state and tells the handlers; Ended, Cancelled and Failed
    // then return the recognizer to Possible.
    void transition(GestureRecognizerState state);

private:
    std::vector<Handler> m_handlers;
    GestureRecognizerState m_state = GestureRecognizerState::Possible;
    bool m_enabled = true;
    bool m_cancelsTouchesInView = true;
    View* m_view = nullptr;
    std::weak_ptr<GestureRecognizerDelegate> m_delegate;
    Point m_location;
};

} // namespace folio
