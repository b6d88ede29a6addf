#pragma once

#include <memory>
#include <string>
#include <vector>

namespace folio {

class KeyCommand;

// The chain that edit-menu commands and key commands travel along. Actions are
// named by their selector strings ("copy:", "boldExecCommand:") so that menus,
// key commands and validation all speak the same names.
class Responder : public std::enable_shared_from_this<Responder> {
public:
    virtual ~Responder();

    virtual Responder* nextResponder() const { return nullptr; }

    virtual bool canBecomeFirstResponder() const { return false; }
    bool becomeFirstResponder();
    bool resignFirstResponder();
    bool isFirstResponder() const;
    static Responder* currentFirstResponder();

    // Whether this responder itself handles the action; subclasses override
    // this and performAction together.
    virtual bool respondsToAction(const std::string& action) const;
    // Validation for menus and key commands: by default a responder offers what
    // it handles and defers everything else to the next responder.
    virtual bool canPerformAction(const std::string& action, const void* sender) const;
    // Runs the action on the first responder along the chain that handles it.
    // Answers false when nobody does.
    virtual bool performAction(const std::string& action, const void* sender);

    // The hardware key commands this responder offers; the keyboard service
    // asks every responder along the chain.
    virtual std::vector<std::shared_ptr<KeyCommand>> keyCommands() const { return {}; }

    // Null while this responder is not owned by a shared_ptr (the model
    // links views and controllers only through shared ownership).
    template <typename T>
    std::shared_ptr<T> sharedAs()
    {
        return std::static_pointer_cast<T>(weak_from_this().lock());
    }

protected:
    // Hooks for subclasses that keep editing state (text fields); answering
    // false keeps or refuses the first-responder status.
    virtual bool willBecomeFirstResponder() { return true; }
    virtual bool willResignFirstResponder() { return true; }
    virtual void didBecomeFirstResponder() {}
    virtual void didResignFirstResponder() {}
};

} // namespace folio
