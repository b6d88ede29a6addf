#include "app/desktop/DesktopCommands.h"

#include "app/CommandLine.h"
#include "app/desktop/DesktopServices.h"
#include "delivery/LinuxExportServices.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "markdown/MarkdownEditorRegistration.h"
#include "shell/AppController.h"
#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/gtk/GtkDocumentGrid.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/ui/Window.h"
#include "richtext/TextViewController.h"

#include <iostream>
#include <limits>
#include <optional>

namespace folio {

namespace {

// Until the user closes the last window.
constexpr double kForever = std::numeric_limits<double>::max();

void registerEditors()
{
    EditorMakers::registerMaker(EditorKind::RichText, [](TextDocument& document) {
        return std::make_shared<TextViewController>(document, TextViewController::WebViewFactory{},
                                                    [](const std::string& url) {
                                                        if (Status opened = LinuxExportServices::launchDetached({"xdg-open", url}); !opened)
                                                            std::cerr << "folio: " << opened.error().message << "\n";
                                                    });
    });
}

int runDesktop(const std::optional<std::string>& path)
{
    Result<std::unique_ptr<GtkPresenter>> presenter = GtkPresenter::create();
    if (!presenter) {
        std::cerr << "folio: " << presenter.error().message << "\n";
        return CommandLine::kFailure;
    }
    registerEditors();
    AppController* app = AppController::controller();
    registerMarkdownEditor([](MDTextViewController&) {
        if (Status shown = AppController::controller()->previewOpenMarkdownDocument(); !shown)
            std::cerr << "folio: " << shown.error().message << "\n";
    });
    DesktopServices services;
    app->setExportServices(services.services());
    int status = CommandLine::kSuccess;
    bool done = false;

    if (path) {
        bool opened = false;
        app->openFileItem(std::make_shared<ODSFileItem>(*path, nullptr), [&](Status result) {
            if (!result) {
                std::cerr << "folio: " << result.error().message << "\n";
                status = CommandLine::kFailure;
                done = true;
            }
            opened = true;
        });
        RunLoop::main().runUntil([&] { return done || (opened && !app->documentWindow()); }, kForever);
        return status;
    }

    FileManager::createDirectory(AppFolders::documentsFolder());
    auto picker = std::make_shared<DKDocumentPicker>(std::make_shared<ODSLocalDirectoryScope>());
    GtkDocumentGrid grid(*picker);
    picker->setImportChooser([] { return GtkDocumentGrid::chooseFileToImport(nullptr); });
    picker->setPrinter([app](const std::string& file) { return app->printFileItem(file); });
    auto window = std::make_shared<Window>(Rect{{0, 0}, {1000, 720}});
    window->setRootViewController(picker);
    window->setCloseRequestHandler([&] {
        // The open document is saved before the application goes.
        app->closeDocument([&](Status closed) {
            if (!closed)
                std::cerr << "folio: " << closed.error().message << "\n";
            done = true;
        });
    });
    window->makeKeyAndVisible();
    app->setCurrentWindow(window.get());
    RunLoop::main().runUntil([&] { return done; }, kForever);
    app->setCurrentWindow(nullptr);
    window->close();
    return status;
}

} // namespace

void registerDesktopCommands(CommandLine& commandLine)
{
    commandLine.registerCommand("", [](const std::vector<std::string>&) { return runDesktop(std::nullopt); });
    commandLine.registerCommand("open", [](const std::vector<std::string>& arguments) {
        if (arguments.size() != 1) {
            std::cerr << "folio: usage: folio open FILE\n";
            return CommandLine::kUsageError;
        }
        if (!FileManager::fileExists(arguments.front()) || FileManager::isDirectory(arguments.front())) {
            std::cerr << "folio: " << arguments.front() << " is not a file\n";
            return CommandLine::kFailure;
        }
        return runDesktop(arguments.front());
    });
}

} // namespace folio
