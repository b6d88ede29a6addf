#pragma once

#include "platform/graphics/Geometry.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

class Device;
class Label;
class PageConnection;
class RulerRangeSlider;
class UserDefaults;

// The QV text editor's page margins: the two-handle ruler over a
// Letter-wide sheet, the banner line that reads the margins out, the script
// that indents the page's text column, and the text-style popover's margins,
// which go straight to the editing body.
class QVMarginRuler {
public:
    static constexpr double kBannerSecondsAfterRestore = 2.0;
    static constexpr double kBannerSecondsAfterChange = 5.0;

    struct Host {
        std::function<void()> documentIsDirty{};
        // The document's own flag: a new blank document keeps the standard
        // ruler rather than the margins another document left.
        std::function<bool()> isNewBlankDocument{};
        std::function<bool()> isTypewriterMode{};
        std::function<bool()> wasInBackground{};
        // A note shows no banner.
        std::function<bool()> isNote{};
        std::function<bool()> isInMultitaskingMode{};
        // The editor window's size (`currentAppScreenSize`) and the editor
        // view's size.
        std::function<Size()> windowSize{};
        std::function<Size()> viewSize{};
        // The word counter shares the banner line and takes it back.
        std::function<bool()> wordCounterVisible{};
        std::function<void()> updateWordCounter{};
        // Reads the page's scroll state again and refreshes the page counter.
        std::function<void()> refreshPageCounter{};
    };

    QVMarginRuler(PageConnection& page, Device& device, UserDefaults& defaults, Host host);
    ~QVMarginRuler();
    QVMarginRuler(const QVMarginRuler&) = delete;
    QVMarginRuler& operator=(const QVMarginRuler&) = delete;

    RulerRangeSlider& slider() { return *m_slider; }
    const std::shared_ptr<RulerRangeSlider>& sliderView() const { return m_slider; }
    const std::shared_ptr<Label>& topAlertBar() const { return m_banner; }

    // The ruler's travel, step and handles as the view sets them up, and
    // whether it shows: on tablets other than the largest one.
    void viewDidLoad();

    // Sets the ruler from the stored margins and applies them to the page.
    void updateRulerMarginValues();
    // Applies the ruler as it stands and reads it out in the banner, without
    // marking the document changed; a finished drag of the ruler comes here.
    void rulerMarginValuesChangedNoDocumentDirty();
    void hideMarginsBanner();

    // The text-style popover's margin of a side (0 left, 1 right, 2 top, 3
    // bottom) in centimetres, set on the editing body.
    void paperMarginChanged(long side, double centimetres);
    // The panels' page margin of a side (as above) in centimetres. Left and
    // right are the ruler's handles, which the page, the banner and the save
    // all follow; top and bottom are the editing body's.
    double pageMargin(long side) const;
    void setPageMargin(long side, double centimetres);
    // The editing body's margins in centimetres, as the page has them; 0
    // when the page tells none.
    double currentDocumentPageLeftMargin();
    double currentDocumentPageRightMargin();
    double currentDocumentPageTopMargin();
    double currentDocumentPageBottomMargin();

    // On save, the document's left margin and its right one; the right one
    // is where the upper handle stands, not the width of the margin.
    std::string leftMarginToSave() const;
    std::string rightMarginToSave() const;

    // The factor of the window as it is now.
    double currentFactor() const;

private:
    void sendMargins(double factor);
    void showBanner(double hideAfterSeconds);
    bool flag(const std::function<bool()>& answer) const { return answer && answer(); }
    Size windowSize() const { return m_host.windowSize ? m_host.windowSize() : Size{}; }
    double bodyMargin(const char* side);

    PageConnection& m_page;
    Device& m_device;
    UserDefaults& m_defaults;
    Host m_host;
    std::shared_ptr<RulerRangeSlider> m_slider;
    std::shared_ptr<Label> m_banner;
};

} // namespace folio
