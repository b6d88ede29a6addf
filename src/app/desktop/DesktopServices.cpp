#include "app/desktop/DesktopServices.h"

#include "delivery/ExportPreferencesReader.h"
#include "export/pdf/UIPrintPageRendererMarquent.h"
#include "shell/AppController.h"
#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/ODSScopeViewController.h"
#include "platform/gtk/GtkPDFPrinter.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Window.h"

#include <filesystem>

namespace folio {

Status DesktopServices::printPDFDocumentFromURL(const std::string& path, const std::string& printName)
{
    GtkWindow* parent = nullptr;
    if (auto* presenter = dynamic_cast<GtkPresenter*>(&Presenter::current()); presenter && Window::keyWindow()) {
        if (GtkWidget* window = presenter->widgetForWindow(*Window::keyWindow()))
            parent = GTK_WINDOW(window);
    }
    // A document converted for printing (it lies in the temporary folder)
    // gets its page numbers when the user wants them; PDF files of their
    // own print as they are.
    UIPrintPageRendererMarquent::Options options =
        UIPrintPageRendererMarquent::optionsFromPreferences(ExportPreferencesReader::read(UserDefaults::standardUserDefaults()), DocumentKind::RTF);
    if (!options.pageNumbers || path.rfind(AppFolders::temporaryFolder() + "/", 0) != 0)
        return GtkPDFPrinter::printPDFFile(path, printName, parent);
    std::string numbered = AppFolders::temporaryFolder() + "/numbered-" + makeUUIDString() + ".pdf";
    if (Status rendered = UIPrintPageRendererMarquent::printToPDF(path, numbered, options); !rendered)
        return rendered;
    Status printed = GtkPDFPrinter::printPDFFile(numbered, printName, parent);
    std::error_code ignored;
    std::filesystem::remove(numbered, ignored);
    return printed;
}

Status DesktopServices::presentPDFPreview(const std::string& path, const std::string&)
{
    AppController* app = AppController::controller();
    if (!app)
        return m_linux.presentPDFPreview(path, {});
    return app->presentPDFReader(path);
}

Status DesktopServices::insertNewItemWithFilePath(const std::string& path)
{
    if (AppController* app = AppController::controller(); app && app->currentDocumentPicker())
        app->currentDocumentPicker()->selectedScopeViewController().insertNewItemWithFilePath(path);
    return Status::success();
}

} // namespace folio
