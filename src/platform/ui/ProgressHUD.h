#pragma once

#include <cstdint>
#include <string>

namespace folio {

class RunLoop;
class Window;

enum class ProgressHUDKind { Progress, Success, Error };

// The heads-up overlay over the current window: a spinner with an optional
// status, or a brief success or error message that goes away by itself.
class ProgressHUD {
public:
    // How long success and error messages stay up.
    static constexpr double kMessageDisplaySeconds = 1.5;

    explicit ProgressHUD(RunLoop& runLoop);
    ~ProgressHUD();

    static ProgressHUD& shared();

    static void show() { shared().showWithKind(ProgressHUDKind::Progress, {}); }
    static void showWithStatus(const std::u16string& status) { shared().showWithKind(ProgressHUDKind::Progress, status); }
    static void showSuccessWithStatus(const std::u16string& status) { shared().showWithKind(ProgressHUDKind::Success, status); }
    static void showErrorWithStatus(const std::u16string& status) { shared().showWithKind(ProgressHUDKind::Error, status); }
    static void dismiss() { shared().hide(); }
    static bool isVisible() { return shared().visible(); }
    static void setCurrentWindow(Window* window) { shared().m_window = window; }

    void showWithKind(ProgressHUDKind kind, const std::u16string& status);
    void hide();
    bool visible() const { return m_visible; }
    ProgressHUDKind kind() const { return m_kind; }
    const std::u16string& status() const { return m_status; }
    Window* window() const { return m_window; }

private:
    void cancelAutoDismiss();

    RunLoop& m_runLoop;
    bool m_visible = false;
    ProgressHUDKind m_kind = ProgressHUDKind::Progress;
    std::u16string m_status;
    Window* m_window = nullptr;
    std::uint64_t m_dismissTimer = 0;
};

} // namespace folio
