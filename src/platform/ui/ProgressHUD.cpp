#include "platform/ui/ProgressHUD.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Presenter.h"

namespace folio {

ProgressHUD::ProgressHUD(RunLoop& runLoop) : m_runLoop(runLoop) {}

ProgressHUD::~ProgressHUD() { cancelAutoDismiss(); }

ProgressHUD& ProgressHUD::shared()
{
    static ProgressHUD hud(RunLoop::main());
    return hud;
}

void ProgressHUD::cancelAutoDismiss()
{
    if (m_dismissTimer)
        m_runLoop.invalidate(m_dismissTimer);
    m_dismissTimer = 0;
}

void ProgressHUD::showWithKind(ProgressHUDKind kind, const std::u16string& status)
{
    // A new message replaces the old one, and with it the old one's timer:
    // a success shown just before a long task must not hide the task's spinner.
    cancelAutoDismiss();
    m_visible = true;
    m_kind = kind;
    m_status = status;
    if (kind != ProgressHUDKind::Progress)
        m_dismissTimer = m_runLoop.postAfterDelay(kMessageDisplaySeconds, [this] {
            m_dismissTimer = 0;
            hide();
        });
    Presenter::current().progressHUDDidChange(*this);
}

void ProgressHUD::hide()
{
    cancelAutoDismiss();
    if (!m_visible)
        return;
    m_visible = false;
    m_status.clear();
    Presenter::current().progressHUDDidChange(*this);
}

} // namespace folio
