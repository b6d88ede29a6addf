#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "webeditor/PageModeLayout.h"

#include <functional>
#include <memory>
#include <optional>

namespace folio {

class Button;
class PageConnection;
class QVPaper;
class UserDefaults;
class View;

// The QV text editor's view modes and tool switches: the sepia and dark
// night papers, full-screen reading (the page read-only, the bars away),
// typewriter mode (the text in a band near the top of the screen), and the
// switches of the tools menu kept in the user defaults. The editor's views
// that the modes move or hide are reached through the host.
class QVViewModes {
public:
    static constexpr double kTypewriterBandHeight = 130;
    static constexpr const char* kSepiaPaper = "#f5efdc";

    // How the window shows the page: as usual, read in full screen, or as
    // the typewriter band.
    enum class Arrangement { Page, FullScreen, Typewriter };

    struct Host {
        std::function<void()> endEditing{};
        std::function<bool()> isEditing{};
        std::function<void(bool editing)> setEditing{};
        std::function<bool()> isSoftKeyboardPresent{};
        std::function<bool()> isHardwareKeyboardConnected{};
        std::function<bool()> isLandscape{};
        // The ruler and the banner line; `restore` shows them as the device
        // rule wants them, else they are hidden.
        std::function<void(bool restore)> showRulerAndBanner{};
        std::function<void(bool hidden)> setNavigationBarHidden{};
        std::function<void(bool shown)> showPageCounter{};
        std::function<void()> refreshPageCounter{};
        // The find bar is up: it goes away with the bars.
        std::function<bool()> isFindOnPageVisible{};
        std::function<void()> hideFindBar{};
        std::function<Rect()> webViewFrame{};
        std::function<void(const Rect&)> setWebViewFrame{};
        std::function<Rect()> viewFrame{};
        std::function<void(const Rect&)> setViewFrame{};
        // The editor's usual sizes once a mode ends.
        std::function<void()> setDefaultTextEditorSizeValues{};
        std::function<void()> resizeEditor{};
        std::function<void()> updateWordCounter{};
        std::function<void(bool visible)> setBannerVisible{};
        std::function<void(const Color& color)> setBannerTextColor{};
        // The editor view and the paper layer behind the page.
        std::function<void(const Color& color)> paintBackground{};
        std::function<void(bool enabled)> setSpellCheckingEnabled{};
        std::function<void()> loadTypewriterSounds{};
        // Once a mode has placed its views, or has ended: the window shows
        // them so (the exit button over the page, the band and its lines).
        std::function<void(Arrangement arrangement)> arrangeWindow{};
    };

    // Where typewriter mode puts the band, its lines and the exit button.
    static PageModeLayout::TypewriterBand typewriterBand(bool landscape);

    QVViewModes(PageConnection& page, QVPaper& paper, UserDefaults& defaults, Host host);

    bool isFullScreenDocumentMode() const { return m_isFullScreen; }
    bool isTypewriterMode() const { return m_isTypewriter; }
    bool wordCounterVisible() const { return m_wordCounterVisible; }
    bool typeWriterSoundModeActivated() const { return m_typeWriterSounds; }
    const std::shared_ptr<Button>& exitFullScreenMode() const { return m_exitFullScreenMode; }
    const std::shared_ptr<View>& topDividerTypewriter() const { return m_topDivider; }
    const std::shared_ptr<View>& bottomDividerTypewriter() const { return m_bottomDivider; }
    // The keyboard bars' colour in the current night mode.
    const Color& keyboardBarColor() const { return m_barColor; }

    // Night papers; `store` writes the switched value.
    void toggleNightMode(bool store);
    void toggleDarkNightMode(bool store);
    void setNightDarkMode();
    void setDayWhiteMode();
    // Ends whichever night mode is on, as a colour the user chooses does.
    void leaveNightModes();

    void fullScreenDocumentMode();
    void setFullScreenDocumentMode();
    void closeFullScreenDocumentMode();
    void typewriterMode();
    void exitTypeWriterMode();
    void layoutTypeWriteModeAfterAppEnterForeground();

    void toggleSmartQuotes();
    void toggleAutoCheckSpelling();
    void togglePageNumbers();
    void toggleWordCounterVisible();
    void toggleTypeWriterSounds(bool store);

private:
    bool flag(const std::function<bool()>& answer) const { return answer && answer(); }
    bool storedFlag(const char* key) const;
    void storeFlag(const char* key, bool value, bool synchronize = true);
    void layoutTypewriterBand();
    void restoreAfterMode();
    void arrange(Arrangement arrangement);

    PageConnection& m_page;
    QVPaper& m_paper;
    UserDefaults& m_defaults;
    Host m_host;
    bool m_isFullScreen = false;
    bool m_isTypewriter = false;
    bool m_wordCounterVisible = false;
    bool m_typeWriterSounds = false;
    Color m_barColor;
    std::shared_ptr<Button> m_exitFullScreenMode;
    std::shared_ptr<View> m_topDivider;
    std::shared_ptr<View> m_bottomDivider;
};

} // namespace folio
