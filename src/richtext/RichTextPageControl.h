#pragma once

#include <functional>
#include <memory>
#include <string>

namespace folio {

class Button;
class Label;
class RichTextPageCounter;
class View;
class ViewController;

// The page control floating over the rich-text page: the current page and
// the page count, the page up and down buttons (each step runs 0.1 s after
// its tap; a second tap in that time replaces it), and the "Jump to page"
// dialog. The counting itself is the page counter's.
class RichTextPageControl {
public:
    static constexpr double kStepDelaySeconds = 0.1;

    struct Host {
        std::function<void(const std::string& script)> sendScript{};
        // A script's answer, waited for.
        std::function<std::string(const std::string& script)> readString{};
        std::function<bool()> isEditing{};
        // A document with a page, not closing, not in typewriter mode.
        std::function<bool()> canShow{};
        std::function<void(std::shared_ptr<ViewController>)> present{};
        std::function<void()> dismissKeyboard{};
        std::function<void()> moveToEndOfDoc{};
        // The jump's question has been answered: what it took away (the
        // key row) comes back, as no keyboard shows again on the desktop.
        std::function<void()> jumpAnswered{};
    };

    RichTextPageControl(RichTextPageCounter& counter, Host host);
    ~RichTextPageControl();
    RichTextPageControl(const RichTextPageControl&) = delete;
    RichTextPageControl& operator=(const RichTextPageControl&) = delete;

    const std::shared_ptr<View>& pageUpDownView() const { return m_view; }
    const std::shared_ptr<Label>& pageNumber() const { return m_pageNumber; }
    const std::shared_ptr<Label>& pageTotal() const { return m_pageTotal; }
    const std::shared_ptr<Button>& pageUpButton() const { return m_pageUp; }
    const std::shared_ptr<Button>& pageDownButton() const { return m_pageDown; }

    // Recounts from the page's last scroll report and shows the result.
    void updatePageUpDownControl();
    // The page numbers' colours for a dark page (dark night) or a light one.
    void setOnDarkPage(bool dark);
    void pageUpButtonPressed();
    void pageDownButtonPressed();
    bool isPageButtonPending() const { return m_stepPending; }
    // The "Jump to page" dialog; its "OK" jumps, or goes to the end for a
    // page past the last.
    void gotoPageinDoc();
    void jumpToPage(int page);
    bool isDisplayingAlert() const { return m_displayingAlert; }
    void cancelPendingTasks();

private:
    void pageUpButtonDelayed();
    void pageDownButtonDelayed();
    void showCounts();
    void send(const std::string& script) const;

    RichTextPageCounter& m_counter;
    Host m_host;
    std::shared_ptr<View> m_view;
    std::shared_ptr<Label> m_pageNumber;
    std::shared_ptr<Label> m_pageTotal;
    std::shared_ptr<Button> m_pageUp;
    std::shared_ptr<Button> m_pageDown;
    bool m_stepPending = false;
    bool m_displayingAlert = false;
    // The question may go after the control has.
    std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
};

} // namespace folio
