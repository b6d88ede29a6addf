#include "app/DesktopServices.h"

#include "shell/AppController.h"
#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/ODSScopeViewController.h"
#include "platform/gtk/GtkPDFPrinter.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/ui/Window.h"

namespace folio {

Status DesktopServices::printPDFDocumentFromURL(const std::string& path, const std::string& printName)
{
    GtkWindow* parent = nullptr;
    if (auto* presenter = dynamic_cast<GtkPresenter*>(&Presenter::current()); presenter && Window::keyWindow()) {
        if (GtkWidget* window = presenter->widgetForWindow(*Window::keyWindow()))
            parent = GTK_WINDOW(window);
    }
    return GtkPDFPrinter::printPDFFile(path, printName, parent);
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
