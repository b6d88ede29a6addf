#pragma once

#include <functional>
#include <memory>

namespace folio {

class Button;
class Device;
class PageConnection;
class UserDefaults;

// The QV text editor's text zoom: the zoom slice's value, the pinch that
// steps through the zoom ladder, the tools menu's toggle between normal
// size and 150 %, and the zoom indicator. A wish (`currentPercent`) reaches
// the page only through adjustDocumentTextWithPercent, which sends it when
// it differs from the level last applied.
class QVTextZoom {
public:
    static constexpr double kPinchApplyDelaySeconds = 1.0;
    // What the page set-up takes as applied, so that the first application
    // after it always reaches the page, 100 % included.
    static constexpr long long kUnappliedPercent = 96;

    struct Host {
        std::function<bool()> isPageReady{};
        // The text was laid out at another zoom: what was drawn over it
        // no longer lies where it did.
        std::function<void()> didZoom{};
    };

    QVTextZoom(PageConnection& page, Device& device, UserDefaults& defaults, Host host);
    ~QVTextZoom();
    QVTextZoom(const QVTextZoom&) = delete;
    QVTextZoom& operator=(const QVTextZoom&) = delete;

    long long currentPercent() const { return m_currentPercent; }
    long long previousPercent() const { return m_previousPercent; }
    bool isZoomingDocumentText() const { return m_isZooming; }
    long long zoomCounter() const { return m_zoomCounter; }
    // Shown and selected while the text is zoomed, on tablets.
    const std::shared_ptr<Button>& zoomEnabledButton() const { return m_zoomEnabledButton; }

    // The page is ready: 100 % wanted, nothing applied yet, the indicator hidden.
    void pageDidBecomeReady();
    // The zoom slice's value in percent, applied on the next turn of the loop.
    void documentViewZoomModified(double percent);
    void adjustDocumentTextWithPercent(long long percent);
    // An ended pinch: a scale below 1 zooms out one step, else in one step;
    // the level is applied a second later either way.
    void pinchEnded(double scale);
    // The tools menu's switch between normal size and 150 %, applied a
    // second later.
    void toogleZoomTextMode();
    // The keyboard's zoom: one step of the ladder, or back to normal size,
    // applied on the next turn of the loop.
    void zoomIn();
    void zoomOut();
    void zoomToNormalSize();

    // The scripts that show the page at a zoom.
    static std::string zoomScript(long long percent);
    static std::string viewZoomScript(long long percent);

    void cancelPendingTasks();

private:
    // Steps the wish; answers whether it moved.
    bool step(bool in);
    void scheduleAdjust(double delaySeconds);
    void applySoon();

    PageConnection& m_page;
    Device& m_device;
    UserDefaults& m_defaults;
    Host m_host;
    long long m_currentPercent = 100;
    long long m_previousPercent = 0;
    long long m_zoomCounter = 0;
    bool m_isZooming = false;
    std::shared_ptr<Button> m_zoomEnabledButton;
};

} // namespace folio
