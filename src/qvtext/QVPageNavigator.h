#pragma once

#include "webeditor/PageCounter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace folio {

class AlertController;
class Button;
class Label;
class PageConnection;
class UserDefaults;
class View;

// The QV text editor's virtual pages: the page height from the stored top
// and bottom margins, the page counter panel (current page, total, a button
// up and a button down), the moves a page at a time, the "Jump to page"
// question and the jump itself.
class QVPageNavigator {
public:
    static constexpr double kMoveDelaySeconds = 0.1;
    static constexpr double kRefreshDelaySeconds = 0.5;

    struct Host {
        // The counter shows only while there is a document and a page, out
        // of typewriter mode and not while closing.
        std::function<bool()> canShowCounter{};
        // A tablet outside a split-screen window shows the numbers.
        std::function<bool()> showsNumbers{};
        std::function<bool()> isEditing{};
        std::function<void()> removeResizableView{};
        std::function<void(std::shared_ptr<AlertController>)> presentAlert{};
        std::function<void()> dismissKeyboard{};
        // A number past the last page goes to the end of the document.
        std::function<void()> moveToEndOfDoc{};
        // The panel came onto the page or left it.
        std::function<void(bool shown)> panelDidShow{};
    };

    QVPageNavigator(PageConnection& page, UserDefaults& defaults, Host host);
    ~QVPageNavigator();
    QVPageNavigator(const QVPageNavigator&) = delete;
    QVPageNavigator& operator=(const QVPageNavigator&) = delete;

    PageCounter& counter() { return m_counter; }
    const std::shared_ptr<View>& pageUpDownView() const { return m_panel; }
    const std::shared_ptr<Label>& pageNumber() const { return m_pageNumber; }
    const std::shared_ptr<Label>& pageTotal() const { return m_pageTotal; }
    // The panel's buttons.
    const std::shared_ptr<Button>& pageUpControl() const { return m_upButton; }
    const std::shared_ptr<Button>& pageDownControl() const { return m_downButton; }
    bool isPageButtonPressed() const { return m_buttonPressed; }
    bool isPanelShown() const { return m_panelShown; }
    bool isDisplayingAlert() const { return m_isDisplayingAlert; }

    // The page height from the stored top and bottom margins.
    void updateEditorPageSize();
    // Reads the page's scroll position and height.
    void updateEditorScrollHeightAndOffset();
    // What the page's scroll messages tell.
    void pageDidScroll(std::int64_t offset, std::int64_t height);
    void updatePageUpDownControl();
    // Refreshes the counter half a second from now, replacing a pending refresh.
    void scheduleUpdatePageUpDownControl();

    // The buttons' actions: the move follows a tenth of a second later and
    // replaces a pending move of the same direction.
    void pageUpButton();
    void pageDownButton();
    void pageUpButtonDelayed();
    void pageDownButtonDelayed();

    // The "Jump to page" question; its "OK" jumps.
    void gotoPageinDoc();
    // The answer of the question, as "OK" runs it.
    void jumpToPageNumber(const std::u16string& typed);
    void jumpToPage(int page);
    void jumpCaretToTop();

    void cancelPendingTasks();

    static std::string scrollToScript(std::int64_t offset);

private:
    void setPanelShown(bool shown);
    // Takes the page's "offset_height" answer; true when it moved the text.
    bool takeScrollState(const std::string& answer);
    void enableButtons();
    void showCurrentPage();

    PageConnection& m_page;
    UserDefaults& m_defaults;
    Host m_host;
    PageCounter m_counter;
    std::shared_ptr<View> m_panel;
    std::shared_ptr<Label> m_pageNumber;
    std::shared_ptr<Label> m_pageTotal;
    std::shared_ptr<Label> m_pageSlash;
    std::shared_ptr<Button> m_upButton;
    std::shared_ptr<Button> m_downButton;
    std::shared_ptr<QVPageNavigator*> m_self = std::make_shared<QVPageNavigator*>(this);
    bool m_panelShown = false;
    bool m_buttonPressed = false;
    bool m_isDisplayingAlert = false;
};

} // namespace folio
