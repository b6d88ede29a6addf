#include "app/desktop/DesktopCommands.h"

#include "app/CommandLine.h"
#include "app/desktop/DesktopServices.h"
#include "delivery/LinuxExportServices.h"
#include "documents/EditorMakers.h"
#include "documents/TextDocument.h"
#include "markdown/MarkdownEditorRegistration.h"
#include "shell/AboutTableViewController.h"
#include "shell/AppController.h"
#include "platform/docframework/DKDocumentPicker.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/TerminationSignals.h"
#include "platform/gtk/GtkDocumentGrid.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Window.h"
#include "platform/web/WebServices.h"
#include "qvoutline/QVOutlineViewController.h"
#include "qvtext/QVTextViewController.h"
#include "richtext/TextViewController.h"
#include "richtext/viewer/RTFTextViewController.h"

#include <cstdlib>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>

namespace folio {

namespace {

// Until the user closes the last window.
constexpr double kForever = std::numeric_limits<double>::max();

void openOnDesktop(const std::string& url)
{
    if (Status opened = LinuxExportServices::launchDetached({"xdg-open", url}); !opened)
        std::cerr << "folio: " << opened.error().message << "\n";
}

void registerEditors()
{
    EditorMakers::registerMaker(EditorKind::RichText, [](TextDocument& document) {
        return std::make_shared<TextViewController>(document, TextViewController::WebViewFactory{}, openOnDesktop);
    });
    EditorMakers::registerMaker(EditorKind::RTFViewer,
                                [](TextDocument& document) { return RTFTextViewController::make(document); });
    EditorMakers::registerMaker(EditorKind::QVText, [](TextDocument& document) {
        return std::make_shared<QVTextViewController>(document, QVTextViewController::WebViewFactory{}, openOnDesktop);
    });
    EditorMakers::registerMaker(EditorKind::QVOutline, [](TextDocument& document) {
        return std::make_shared<QVOutlineViewController>(document, QVOutlineViewController::WebViewFactory{},
                                                         openOnDesktop);
    });
}

// The document browser's window, made when it is first shown.
class BrowserWindow {
public:
    explicit BrowserWindow(AppController& app) : m_app(app) {}
    ~BrowserWindow()
    {
        if (!m_window)
            return;
        m_app.setCurrentWindow(nullptr);
        m_window->setCloseRequestHandler({});
        m_window->close();
    }

    bool isShown() const { return m_window && m_window->isVisible(); }

    // `onClose` runs once the user has closed the browser and the open
    // document is saved.
    void show(std::function<void()> onClose)
    {
        if (m_window) {
            m_window->makeKeyAndVisible();
            return;
        }
        FileManager::createDirectory(AppFolders::documentsFolder());
        m_picker = std::make_shared<DKDocumentPicker>(std::make_shared<ODSLocalDirectoryScope>());
        m_grid = std::make_unique<GtkDocumentGrid>(*m_picker);
        m_picker->setImportChooser([] { return GtkDocumentGrid::chooseFileToImport(nullptr); });
        AppController* app = &m_app;
        m_picker->setPrinter([app](const std::string& file) { return app->printFileItem(file); });
        m_picker->setExportMenu([app](const std::string& file) { return app->exportMenuForFile(file); });
        std::weak_ptr<DKDocumentPicker> picker = m_picker;
        m_picker->navigationItem()->setRightBarButtonItems({BarButtonItem::withTitle(u"About", [picker](BarButtonItem&) {
            if (std::shared_ptr<DKDocumentPicker> shown = picker.lock()) {
                if (Status presented = AboutTableViewController::presentAboutScreen(*shown); !presented)
                    std::cerr << "folio: " << presented.error().message << "\n";
            }
        })});
        m_window = std::make_shared<Window>(Rect{{0, 0}, {1000, 720}});
        m_window->setRootViewController(m_picker);
        m_window->setCloseRequestHandler([app, onClose] {
            // The open document is saved before the application goes.
            app->closeDocument([onClose](Status closed) {
                if (!closed)
                    std::cerr << "folio: " << closed.error().message << "\n";
                onClose();
            });
        });
        m_window->makeKeyAndVisible();
        m_app.setCurrentWindow(m_window.get());
    }

private:
    AppController& m_app;
    std::shared_ptr<DKDocumentPicker> m_picker;
    std::unique_ptr<GtkDocumentGrid> m_grid;
    std::shared_ptr<Window> m_window;
};

// Asked from outside to end (the session ending, `kill`, Ctrl+C in the
// terminal, the terminal closing), the program ends as when its last window
// is closed: the open document is saved with what its page holds now, then
// closed. It ends from here, not by unwinding to main, since a file chooser
// may be running a loop of its own under this one.
void endWhenAsked(AppController& app, int signal)
{
    app.closeDocument([&app, signal](Status closed) {
        if (!closed) {
            // Its file is left as it was: a save replaces it whole or not at all.
            std::cerr << "folio: ended without saving the open document: " << closed.error().message << std::endl;
            // Another program's version stays in the file; the person's,
            // who could not be asked, goes beside it rather than nowhere.
            std::shared_ptr<DKDocument> document = app.document();
            if (document && document->fileChangedElsewhere()) {
                document->saveOwnVersionBeside([](Result<std::string> kept) {
                    if (kept)
                        std::cerr << "folio: your version is kept in " << *kept << std::endl;
                    else
                        std::cerr << "folio: your version could not be kept: " << kept.error().message << std::endl;
                    std::_Exit(CommandLine::kFailure);
                });
                return;
            }
            std::_Exit(CommandLine::kFailure);
        }
        TerminationSignals::endAsSignalled(signal);
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
        if (Status shown = AppController::controller()->previews().previewOpenMarkdownDocument(); !shown)
            std::cerr << "folio: " << shown.error().message << "\n";
    });
    DesktopServices services;
    app->exports().setExportServices(services.services());
    int status = CommandLine::kSuccess;
    bool done = false;

    TerminationSignals endRequests([app](int signal) { endWhenAsked(*app, signal); });
    BrowserWindow browser(*app);
    auto quit = [&done] { done = true; };
    // The "Documents" item of a document's window leads to the browser, also
    // when the program was started with that document alone.
    app->setDocumentBrowserHandler([&browser, quit] { browser.show(quit); });
    // A PDF opens in the reader, which stands over the browser's window:
    // the program ends when that window is closed.
    if (path && TypeIdentifiers::typeIdentifierForPath(*path) == TypeIdentifiers::kPDF) {
        browser.show(quit);
        app->openFileItem(std::make_shared<ODSFileItem>(*path, nullptr), [&](Status result) {
            if (!result) {
                std::cerr << "folio: " << result.error().message << "\n";
                status = CommandLine::kFailure;
                done = true;
            }
        });
        RunLoop::main().runUntil([&] { return done; }, kForever);
    } else if (path) {
        bool opened = false;
        app->openFileItem(std::make_shared<ODSFileItem>(*path, nullptr), [&](Status result) {
            // The editor has taken the page made ahead of it, if it was to.
            WebServices::shared().discardPreparedEditorWebView();
            if (!result) {
                std::cerr << "folio: " << result.error().message << "\n";
                status = CommandLine::kFailure;
                done = true;
            }
            opened = true;
        });
        // The rich-text editor's page starts while the file is read.
        if (!opened && TypeIdentifiers::typeIdentifierForPath(*path) == TypeIdentifiers::kRTF)
            TextViewController::prepareEditorPage();
        // Closing the document's own window ends the program, unless the
        // browser has been shown meanwhile.
        RunLoop::main().runUntil(
            [&] {
                return done
                    || (opened && !app->documentWindow() && !app->isReloadingDocument() && !browser.isShown());
            },
            kForever);
    } else {
        browser.show(quit);
        RunLoop::main().runUntil([&] { return done; }, kForever);
    }
    app->setDocumentBrowserHandler({});
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
        // The program checked the file before it loaded this module.
        return runDesktop(arguments.front());
    });
}

} // namespace folio
