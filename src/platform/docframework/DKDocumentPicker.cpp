#include "platform/docframework/DKDocumentPicker.h"

#include "platform/docframework/DKDocumentAppController.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/docframework/ODSScopeViewController.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Action.h"
#include "platform/ui/AlertAction.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Menu.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/TextField.h"

namespace folio {

DKDocumentPicker::DKDocumentPicker(std::shared_ptr<ODSLocalDirectoryScope> scope)
    : m_scopeViewController(std::make_shared<ODSScopeViewController>(std::move(scope)))
{
    setTitle(u"Documents");
    if (auto* controller = DKDocumentAppController::controller())
        controller->setCurrentDocumentPicker(this);
    m_newItem = BarButtonItem::withTitle(u"New", {});
    m_newItem->setMenu(newDocumentMenu());
    std::weak_ptr<int> alive = m_lifetime;
    m_importItem = BarButtonItem::withTitle(u"Import", [this, alive](BarButtonItem&) {
        if (!alive.expired())
            importDocument();
    });
    navigationItem()->setLeftBarButtonItems({m_newItem, m_importItem});
}

DKDocumentPicker::~DKDocumentPicker()
{
    auto* controller = DKDocumentAppController::controller();
    if (controller && controller->currentDocumentPicker() == this)
        controller->setCurrentDocumentPicker(nullptr);
}

void DKDocumentPicker::viewDidLoad()
{
    ODSScopeViewController& scope = *m_scopeViewController;
    // Listing loads the files' pictures too.
    if (Status listed = scope.reload(); !listed)
        reportError(u"Cannot List the Documents", listed);
    // Without a watch the list still shows what the browser itself changes.
    scope.startMonitoring();
}

void DKDocumentPicker::reportError(const std::u16string& title, const Status& status)
{
    if (status)
        return;
    auto alert = AlertController::make(title, toUtf16(status.error().message), AlertControllerStyle::Alert);
    alert->addAction(AlertAction::make(u"OK", AlertActionStyle::Default, {}));
    presentViewController(alert, true);
}

std::shared_ptr<Menu> DKDocumentPicker::newDocumentMenu()
{
    std::vector<std::shared_ptr<MenuElement>> actions;
    std::weak_ptr<int> alive = m_lifetime;
    for (const auto& kind : ODSScopeViewController::newDocumentKinds()) {
        std::string extension = kind.extension;
        actions.push_back(Action::make(toUtf16(kind.title), {}, [this, alive, extension](Action&) {
            if (!alive.expired())
                newDocument(extension);
        }));
    }
    return Menu::make(u"", std::move(actions));
}

void DKDocumentPicker::newDocument(const std::string& extension)
{
    std::weak_ptr<int> alive = m_lifetime;
    m_scopeViewController->newDocument(extension, [this, alive](Status status) {
        if (!alive.expired())
            reportError(u"Cannot Make the Document", status);
    });
}

void DKDocumentPicker::openItem(const std::shared_ptr<ODSFileItem>& item)
{
    std::weak_ptr<int> alive = m_lifetime;
    m_scopeViewController->openItem(item, [this, alive](Status status) {
        if (!alive.expired())
            reportError(u"Cannot Open the Document", status);
    });
}

void DKDocumentPicker::renameItem(const std::shared_ptr<ODSFileItem>& item)
{
    if (!item)
        return;
    auto alert = AlertController::make(u"Rename Document", u"", AlertControllerStyle::Alert);
    std::u16string current = toUtf16(item->displayedName());
    alert->addTextField([current](TextField& field) { field.setText(current); });
    std::weak_ptr<AlertController> weakAlert = alert;
    std::weak_ptr<int> alive = m_lifetime;
    alert->addAction(AlertAction::make(u"Cancel", AlertActionStyle::Cancel, {}));
    auto rename = AlertAction::make(u"Rename", AlertActionStyle::Default, [this, alive, weakAlert, item](AlertAction&) {
        auto strong = weakAlert.lock();
        if (alive.expired() || !strong || strong->textFields().empty())
            return;
        std::string name = toUtf8(strong->textFields().front()->text());
        Result<std::shared_ptr<ODSFileItem>> renamed = m_scopeViewController->renameItem(*item, name);
        if (!renamed)
            reportError(u"Cannot Rename the Document", renamed.error());
    });
    alert->addAction(rename);
    // What Return in the name field does.
    alert->setPreferredAction(rename);
    presentViewController(alert, true);
}

void DKDocumentPicker::duplicateItem(const std::shared_ptr<ODSFileItem>& item)
{
    if (!item)
        return;
    Result<std::shared_ptr<ODSFileItem>> copy = m_scopeViewController->duplicateItem(*item);
    if (!copy)
        reportError(u"Cannot Duplicate the Document", copy.error());
}

void DKDocumentPicker::deleteItem(const std::shared_ptr<ODSFileItem>& item)
{
    if (item)
        reportError(u"Cannot Move the Document to the Trash", m_scopeViewController->deleteItem(*item));
}

void DKDocumentPicker::printItem(const std::shared_ptr<ODSFileItem>& item)
{
    if (item && m_printer)
        reportError(u"Cannot Print the Document", m_printer(item->fileURL()));
}

void DKDocumentPicker::importDocument()
{
    if (!m_importChooser)
        return;
    std::optional<std::string> path = m_importChooser();
    if (!path)
        return;
    Result<std::shared_ptr<ODSFileItem>> imported = m_scopeViewController->importItem(*path);
    if (!imported)
        reportError(u"Cannot Import the Document", imported.error());
}

std::shared_ptr<Menu> DKDocumentPicker::menuForItem(const std::shared_ptr<ODSFileItem>& item)
{
    std::weak_ptr<int> alive = m_lifetime;
    auto entry = [this, alive, item](std::u16string title, void (DKDocumentPicker::*action)(const std::shared_ptr<ODSFileItem>&)) {
        return Action::make(std::move(title), {}, [this, alive, item, action](Action&) {
            if (!alive.expired())
                (this->*action)(item);
        });
    };
    std::vector<std::shared_ptr<MenuElement>> actions{
        entry(u"Open", &DKDocumentPicker::openItem),
        entry(u"Rename…", &DKDocumentPicker::renameItem),
        entry(u"Duplicate", &DKDocumentPicker::duplicateItem),
    };
    if (m_printer)
        actions.push_back(entry(u"Print…", &DKDocumentPicker::printItem));
    if (std::shared_ptr<Menu> exports = m_exportMenu && item ? m_exportMenu(item->fileURL()) : nullptr)
        actions.push_back(exports);
    auto trash = entry(u"Move to Trash", &DKDocumentPicker::deleteItem);
    trash->setDestructive(true);
    actions.push_back(trash);
    return Menu::make(u"", std::move(actions));
}

void DKDocumentPicker::documentDidClose(const std::string&)
{
    m_scopeViewController->reload();
}

} // namespace folio
