#pragma once

#include "documents/EditorContent.h"
#include "webeditor/MarginRulerGeometry.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace folio {

class Device;
class Label;
class RulerRangeSlider;
class TextDocument;
class UserDefaults;

// The rich-text editor's page margins: the two-handle ruler (centimetres
// across a Letter-wide sheet; the lower value is the left margin, the upper
// one the right edge of the text column), the one-line banner that reads the
// margins out, and the script that re-indents the page. The values reach the
// document's margin fields when it is saved.
class RichTextMarginRuler {
public:
    static constexpr float kSheetWidth = MarginRulerGeometry::kSheetWidth;
    static constexpr double kBannerSeconds = 5.0;
    static constexpr double kBannerSecondsAfterLoading = 2.0;
    // Their heights above the page.
    static constexpr double kRulerHeight = MarginRulerGeometry::kRulerHeight;
    static constexpr double kBannerHeight = MarginRulerGeometry::kBannerHeight;

    struct Host {
        std::function<void(const std::string& script)> sendScript{};
        std::function<TextDocument*()> document{};
        std::function<void()> documentIsDirty{};
        std::function<bool()> isTypewriterMode{};
        std::function<bool()> isNote{};
        std::function<bool()> isInForeground{};
        std::function<bool()> wasInBackground{};
        std::function<bool()> isPageLoaded{};
        std::function<bool()> isInMultitaskingMode{};
        // The window's width, which tells the multitasking layouts apart.
        std::function<double()> windowWidth{};
        // The editor view's width and height.
        std::function<std::pair<double, double>()> viewSize{};
        // The word counter shares the banner: when it is on, it takes the
        // banner back as the margins' read-out is cleared.
        std::function<bool()> wordCounterVisible{};
        std::function<void()> updateWordCounter{};
        std::function<void()> updatePageUpDownControl{};
        // The top or bottom margin changed the virtual page height.
        std::function<void()> updateEditorPageSize{};
    };

    RichTextMarginRuler(Device& device, UserDefaults& defaults, Host host);
    ~RichTextMarginRuler();

    RulerRangeSlider& slider() { return *m_slider; }
    const std::shared_ptr<RulerRangeSlider>& sliderView() const { return m_slider; }
    const std::shared_ptr<Label>& topAlertBar() const { return m_banner; }

    // How much of a ruler centimetre the page gets, so that the Letter sheet
    // fits the editor's width: by device class (0 tablet, 1 small phone, 2
    // large phone) and orientation; a multitasking window by its width.
    static double screenFactor(int deviceClass, bool landscape, std::optional<double> multitaskingWidth);
    // The script that indents the page's editable element.
    static std::string marginScript(double left, double right);
    // Whether the window is one of the split-screen widths.
    static bool isMultitaskingWidth(double width);

    // The ruler as it is set up when the view loads; the document's top and
    // bottom margins come from the settings (2.54 when none is set).
    void viewDidLoad();
    // For a new or empty document, from the default style: the left margin
    // and the right edge, each 0 or less meaning the usual inch.
    void placeHandlesFromDefaultStyle(float defaultLeft, float defaultRightEdge);

    // The ruler moved (or the layout changed): re-indent, show the banner,
    // mark the document dirty when the user did it.
    void rulerMarginValuesChanged();
    // The same on return to the foreground, without marking the document dirty.
    void rulerMarginValuesChangedNoDocumentDirty();
    // Loads the ruler from the settings once the page has loaded.
    void updateRulerMarginValues();
    // The side indents of the page's text column (page centimetres) that
    // updateRulerMarginValues will give a page showing the document's
    // margins, or none where it gives none. A page built with them lays the
    // document out once, at its final width.
    struct PageIndents {
        double left = 0;
        double right = 0;
    };
    std::optional<PageIndents> indentsOnceLoaded() const;
    void hideMarginsBanner();

    // The text-style picker's margin for a side (0 left, 1 right edge, 2 top,
    // 3 bottom), in inches.
    void paperMarginChanged(long side, double inches);
    // The RTF reader's bottom margin, in twips.
    void actionPageMarginBottom(long twips);
    // Whether the ruler holds the document's margins: it is loaded once the
    // page is, and until then a save keeps the document's own.
    bool holdsDocumentMargins() const { return m_loaded; }
    // On save: the left margin and the right edge from the ruler, the top
    // and bottom ones the document's.
    EditorContent::Margins marginsToSave(const TextDocument& document) const;

private:
    // The document's side-margin fields follow the ruler once it holds the
    // file's margins, so that every panel reads the one value.
    void keepSideMarginsInDocument() const;
    double currentFactor() const;
    // The handles as the settings place them: the left margin and the right edge.
    std::pair<float, float> storedHandles() const;
    // Whether loading goes through a ruler change: a tablet's split or narrow window.
    bool loadsAsRulerChange() const;
    PageIndents indents(double factor, float lower, float upper) const;
    void sendMargins(double factor);
    void showBanner(double hideAfterSeconds);
    bool isPad() const;
    bool call(const std::function<bool()>& flag) const { return flag && flag(); }
    void dirty() const;

    Device& m_device;
    UserDefaults& m_defaults;
    Host m_host;
    std::shared_ptr<RulerRangeSlider> m_slider;
    std::shared_ptr<Label> m_banner;
    bool m_loaded = false;
};

} // namespace folio
