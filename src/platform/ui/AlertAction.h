#pragma once

#include <functional>
#include <memory>
#include <string>

namespace folio {

enum class AlertActionStyle { Default, Cancel, Destructive };

class AlertAction : public std::enable_shared_from_this<AlertAction> {
public:
    using Handler = std::function<void(AlertAction&)>;

    AlertAction(std::u16string title, AlertActionStyle style, Handler handler)
        : m_title(std::move(title)), m_style(style), m_handler(std::move(handler))
    {
    }
    static std::shared_ptr<AlertAction> make(std::u16string title, AlertActionStyle style, Handler handler = {})
    {
        return std::make_shared<AlertAction>(std::move(title), style, std::move(handler));
    }

    const std::u16string& title() const { return m_title; }
    AlertActionStyle style() const { return m_style; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    void runHandler()
    {
        if (m_handler)
            m_handler(*this);
    }

private:
    std::u16string m_title;
    AlertActionStyle m_style;
    Handler m_handler;
    bool m_enabled = true;
};

} // namespace folio
