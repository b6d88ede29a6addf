#include "qvtext/QVTextInsertMenus.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Action.h"
#include "platform/ui/Menu.h"

namespace folio {

QVTextInsertMenus::QVTextInsertMenus(Host host)
    : m_host(std::move(host))
    , m_alive(std::make_shared<Host>(m_host))
{
}

const std::vector<QVTextInsertMenus::Row>& QVTextInsertMenus::insertItemRows()
{
    static const std::vector<Row> rows{
        {"Insert Image", "photo.on.rectangle.angled", "insertPhoto", true, false},
        {"Take Photo", "camera", "takePhoto", true, false},
        {"Video", "play.rectangle", "insertMedia", false, false},
        {"Scan Text", "text.viewfinder", "insertTextFromLiveTextScanner", true, true},
        {"Table", "tablecells", "insertTable", false, false},
        {"Web Link", "link", "showInsertLink", false, false},
        {"Symbols", "sum", "showSpecialCharsMenu", true, false},
        {"Page Break", "rectangle.grid.1x2", "insertPageBreak", false, false},
        {"Horizontal Line", "minus.rectangle.portrait", "insertHorizontalLine", false, false},
        {"Date & Time", "calendar", "insertDate", false, false},
        {"Date & Time Short", "calendar.circle", "insertDateShort", false, false},
        {"Current Location", "location", "insertCurrentLocation", false, false},
        {"Header & Footer", "menubar.rectangle", "showHeaderInspector", true, false},
    };
    return rows;
}

const std::vector<QVTextInsertMenus::Row>& QVTextInsertMenus::insertImageRows()
{
    static const std::vector<Row> rows{
        {"Insert Image", "photo.on.rectangle.angled", "insertPhoto", false, false},
        {"Take Photo", "camera", "takePhoto", false, false},
        {"Scan Text", "text.viewfinder", "insertTextFromLiveTextScanner", false, true},
    };
    return rows;
}

std::shared_ptr<Menu> QVTextInsertMenus::build(const std::vector<Row>& rows, bool disableWithoutKeyboard)
{
    // Read when the menu is built; the keyboard handling rebuilds it when the keyboard shows.
    bool keyboard = !disableWithoutKeyboard || (m_host.isKeyboardVisible && m_host.isKeyboardVisible());
    bool scanner = m_host.canScanText && m_host.canScanText();
    std::weak_ptr<Host> host = m_alive;
    std::vector<std::shared_ptr<MenuElement>> items;
    for (const Row& row : rows) {
        if (row.needsScanner && !scanner)
            continue;
        if (m_keep && !m_keep(row))
            continue;
        std::string command = row.command;
        auto action = Action::make(toUtf16(Localization::localizedString(row.title, "")), row.symbol,
                                   [host, command](Action&) {
                                       // The menu holds the editor weakly.
                                       if (auto alive = host.lock(); alive && alive->run)
                                           alive->run(command);
                                   });
        action->setDisabled(row.needsKeyboard && !keyboard);
        items.push_back(std::move(action));
    }
    return Menu::make(u"", std::move(items));
}

std::shared_ptr<Menu> QVTextInsertMenus::showInsertItemMenu()
{
    return build(insertItemRows(), true);
}

std::shared_ptr<Menu> QVTextInsertMenus::showInsertImageMenu()
{
    return build(insertImageRows(), false);
}

} // namespace folio
