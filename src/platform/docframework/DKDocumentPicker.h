#pragma once

#include "platform/foundation/Error.h"
#include "platform/ui/ViewController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class BarButtonItem;
class ODSFileItem;
class ODSLocalDirectoryScope;
class ODSScopeViewController;
class Menu;

// The document browser: the root of its window, with the grid of the
// selected scope (which the presenter draws from the scope view controller,
// as the view's native widget) and the items to make and import documents.
// It registers itself with the shared application controller while it lives.
class DKDocumentPicker : public ViewController {
public:
    // Asks the user for a file to import; nothing when they cancel.
    using ImportChooser = std::function<std::optional<std::string>()>;
    // Prints a listed file.
    using Printer = std::function<Status(const std::string& path)>;
    // What a listed file can be made into and sent on as.
    using ExportMenu = std::function<std::shared_ptr<Menu>(const std::string& path)>;

    explicit DKDocumentPicker(std::shared_ptr<ODSLocalDirectoryScope> scope);
    ~DKDocumentPicker() override;

    ODSScopeViewController& selectedScopeViewController() const { return *m_scopeViewController; }

    void setImportChooser(ImportChooser chooser) { m_importChooser = std::move(chooser); }
    void setPrinter(Printer printer) { m_printer = std::move(printer); }
    void setExportMenu(ExportMenu menu) { m_exportMenu = std::move(menu); }

    // The items' actions: each reports a failure in an alert over the browser.
    void newDocument(const std::string& extension);
    void openItem(const std::shared_ptr<ODSFileItem>& item);
    // Asks for the new name in an alert with a text field.
    void renameItem(const std::shared_ptr<ODSFileItem>& item);
    void duplicateItem(const std::shared_ptr<ODSFileItem>& item);
    void deleteItem(const std::shared_ptr<ODSFileItem>& item);
    void printItem(const std::shared_ptr<ODSFileItem>& item);
    void importDocument();
    // What a file's context menu offers.
    std::shared_ptr<Menu> menuForItem(const std::shared_ptr<ODSFileItem>& item);
    // The "New" item's menu: a document of each kind.
    std::shared_ptr<Menu> newDocumentMenu();

    // The open document closed: its file and picture may have changed.
    void documentDidClose(const std::string& fileURL);
    // The browser follows the application's light or dark style.
    void changeUIStyle() {}

    // Shows a failure over the browser.
    void reportError(const std::u16string& title, const Status& status);

protected:
    void viewDidLoad() override;

private:
    std::shared_ptr<ODSScopeViewController> m_scopeViewController;
    ImportChooser m_importChooser;
    Printer m_printer;
    ExportMenu m_exportMenu;
    std::shared_ptr<BarButtonItem> m_newItem;
    std::shared_ptr<BarButtonItem> m_importItem;
    std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
};

} // namespace folio
