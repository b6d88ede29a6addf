#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/GestureRecognizer.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class Button;
class UserDefaults;
class View;

// Ways of looking at the rich-text page that leave the document as it is:
// the text zoom in five steps, full-screen reading, the sepia night paper,
// the inverted dark display, and the preference switches. Each mode goes to
// the page by script and recolours the editor's own views; none marks the
// document changed.
class RichTextViewModes {
public:
    static constexpr double kZoomApplyDelay = 1.0;
    static constexpr const char* kAdjustSelector = "adjustDocumentTextWithPercent:";
    static constexpr const char* kNightPaper = "#f5efdc";

    struct Host {
        std::function<void(const std::string& script)> sendScript{};
        std::function<bool()> isPageLoaded{};
        std::function<bool()> isPad{};
        std::function<std::shared_ptr<View>()> view{};
        std::function<Rect()> webViewFrame{};
        std::function<void(Rect)> setWebViewFrame{};
        std::function<void(bool hidden)> setNavigationBarHidden{};
        std::function<bool()> isEditing{};
        std::function<void()> endEditing{};
        std::function<void()> clearEditing{};
        std::function<bool()> isSoftKeyboardPresent{};
        std::function<bool()> isHardwareKeyboardConnected{};
        std::function<bool()> isFindOnPageVisible{};
        std::function<void()> hideFindOnPage{};
        std::function<bool()> isRTFDocument{};
        std::function<bool()> isTypewriterMode{};
        std::function<void()> exitTypeWriterMode{};
        // The margins ruler and the one-line banner above the page.
        std::function<void(bool hidden)> setRulerHidden{};
        std::function<void(bool hidden)> setBannerHidden{};
        std::function<void(const Color&)> setBannerTextColor{};
        std::function<void()> setDefaultTextEditorSizeValues{};
        std::function<void(bool enabled)> setSpellChecking{};
        std::function<void()> updateWordCounter{};
        std::function<void()> hideWordCounter{};
        std::function<void(bool on)> setTypewriterSounds{};
        // The style row and the key rows, recoloured by the dark display.
        std::function<std::vector<std::shared_ptr<View>>()> bars{};
        // Once full screen has been set up (true) or left (false): the
        // window shows the mode's views so.
        std::function<void(bool fullScreen)> arrangeWindow{};
        // The page numbers over the page, drawn to be read on the dark page.
        std::function<void(bool dark)> setPageNumbersOnDark{};
    };

    RichTextViewModes(UserDefaults& defaults, Host host);
    ~RichTextViewModes();
    RichTextViewModes(const RichTextViewModes&) = delete;
    RichTextViewModes& operator=(const RichTextViewModes&) = delete;

    // Zoom. The pinch steps: in 200 -> 150 -> 100 -> 80 -> 60 -> 100, out
    // 60 -> 80 -> 100 -> 150 -> 200 -> 100; any other zoom stays.
    static long long zoomAfterPinch(long long percent, bool pinchOut);
    // "Zoom 0.6x" ... "Zoom 2x" for a step, empty for other values.
    static std::string zoomLabel(long long percent);
    void pinchAction(GestureRecognizerState state, double scale);
    void adjustDocumentTextWithPercent(long long percent);
    void documentViewZoomModified(double percent);
    void toogleZoomTextMode();
    long long zoomPercent() const;
    long long previousDocumentTextZoomPercent() const { return m_previousZoom; }
    bool isZoomingDocumentText() const { return m_isZoomingDocumentText; }
    const std::shared_ptr<Button>& zoomEnabledButton() const { return m_zoomEnabledButton; }
    // A new editor's view starts at 100 %.
    void resetZoom();

    // Full screen.
    void fullScreenDocumentMode();
    void setFullScreenDocumentMode();
    void closeFullScreenDocumentMode();
    bool isFullScreenDocumentMode() const { return m_isFullScreenDocumentMode; }
    void setIsFullScreenDocumentMode(bool on) { m_isFullScreenDocumentMode = on; }
    const std::shared_ptr<Button>& exitFullScreenMode() const { return m_exitFullScreenMode; }

    // Paper and display.
    void toggleNightMode(bool toggle = true);
    void toggleDarkNightMode(bool toggle = true);
    void setPaperColor(const std::string& name);
    void setNightDarkMode();
    void setDayWhiteMode();
    const std::shared_ptr<View>& backgroundRTFLayer() const { return m_backgroundRTFLayer; }
    // The dark display and smart quotes again, for a page that has just loaded.
    void pageDidBecomeReady();

    // Switches, inverted and saved.
    void toggleSmartQuotes();
    void toggleAutoCheckSpelling();
    void togglePageNumbers();
    void toggleWordCounterVisible();
    void toggleTypeWriterSounds(bool toggle = true);
    void showInAppWebBrowser() {}

private:
    bool invert(const char* key);
    void send(const std::string& script) const;
    void colourViews(const Color& color);
    void applyDarkNight(bool on);

    UserDefaults& m_defaults;
    Host m_host;
    long long m_previousZoom = 100;
    long long m_zoomCounter = 0;
    bool m_isZoomingDocumentText = false;
    bool m_isFullScreenDocumentMode = false;
    std::shared_ptr<Button> m_zoomEnabledButton;
    std::shared_ptr<Button> m_exitFullScreenMode;
    std::shared_ptr<View> m_backgroundRTFLayer;
};

} // namespace folio
