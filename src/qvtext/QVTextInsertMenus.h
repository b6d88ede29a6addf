#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class Menu;

// The QV text editor's two insert menus: the insert bar item's thirteen
// rows and the key row's image menu. Each row runs an editor command by
// name through the host, so that commands of other parts of the editor plug
// in where they are; rows that need the keyboard are off while it is away.
class QVTextInsertMenus {
public:
    struct Row {
        const char* title;
        const char* symbol;
        // The editor command it runs.
        const char* command;
        // Needs the keyboard on screen when the menu is built.
        bool needsKeyboard;
        // Only where the live-text scanner exists.
        bool needsScanner;
    };

    struct Host {
        std::function<void(const std::string& command)> run{};
        std::function<bool()> isKeyboardVisible{};
        std::function<bool()> canScanText{};
    };

    explicit QVTextInsertMenus(Host host);

    static const std::vector<Row>& insertItemRows();
    static const std::vector<Row>& insertImageRows();

    // A dialect may leave rows out (the outline offers fewer).
    void setRowFilter(std::function<bool(const Row&)> keep) { m_keep = std::move(keep); }

    std::shared_ptr<Menu> showInsertItemMenu();
    std::shared_ptr<Menu> showInsertImageMenu();

private:
    std::shared_ptr<Menu> build(const std::vector<Row>& rows, bool disableWithoutKeyboard);

    Host m_host;
    std::function<bool(const Row&)> m_keep;
    std::shared_ptr<Host> m_alive;
};

} // namespace folio
