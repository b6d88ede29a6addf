#include "platform/ui/Responder.h"

namespace folio {

namespace {
// The UI model lives on the main thread, like the toolkit it stands for.
Responder* s_firstResponder = nullptr;
}

Responder::~Responder()
{
    if (s_firstResponder == this)
        s_firstResponder = nullptr;
}

bool Responder::becomeFirstResponder()
{
    if (s_firstResponder == this)
        return true;
    if (!canBecomeFirstResponder())
        return false;
    if (s_firstResponder && !s_firstResponder->resignFirstResponder())
        return false;
    if (!willBecomeFirstResponder())
        return false;
    s_firstResponder = this;
    didBecomeFirstResponder();
    return true;
}

bool Responder::resignFirstResponder()
{
    if (s_firstResponder != this)
        return true;
    if (!willResignFirstResponder())
        return false;
    s_firstResponder = nullptr;
    didResignFirstResponder();
    return true;
}

bool Responder::isFirstResponder() const { return s_firstResponder == this; }

Responder* Responder::currentFirstResponder() { return s_firstResponder; }

bool Responder::respondsToAction(const std::string&) const { return false; }

bool Responder::canPerformAction(const std::string& action, const void* sender) const
{
    if (respondsToAction(action))
        return true;
    Responder* next = nextResponder();
    return next && next->canPerformAction(action, sender);
}

bool Responder::performAction(const std::string& action, const void* sender)
{
    Responder* next = nextResponder();
    return next && next->performAction(action, sender);
}

} // namespace folio
