#pragma once

#include "platform/foundation/Error.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class ActivityIndicatorView;
class BarButtonItem;
class DKDocument;
class Window;

// The application's controller of the document life cycle: it makes the
// document object for a file, opens, creates and closes documents, and owns
// the bar items shown while a document is open. The application subclasses
// it and answers the hooks. One instance per process, reached through
// controller(); main thread only.
class DKDocumentAppController {
public:
    using Completion = std::function<void(Status status)>;

    static constexpr const char* kErrorDomain = "DKDocumentAppController";
    enum ErrorCode { NoDocumentClass = 1, OpenFailed = 2, CreateFailed = 3 };

    DKDocumentAppController();
    virtual ~DKDocumentAppController();
    DKDocumentAppController(const DKDocumentAppController&) = delete;
    DKDocumentAppController& operator=(const DKDocumentAppController&) = delete;

    // The controller made last and still alive, or null.
    static DKDocumentAppController* controller();

    // The document object for a file (the application's document class).
    virtual std::shared_ptr<DKDocument> makeDocumentForURL(const std::string& url) = 0;

    // Reads the file, makes its editor and makes it the open document; a
    // document already open is closed (and saved) first.
    void openDocumentAtURL(const std::string& url, Completion completion);
    // Makes a new file at `url`, from a copy of the template when one is
    // given, and saves it; it is not opened.
    void createDocumentAtURL(const std::string& url, const std::optional<std::string>& templateURL,
                             Completion completion);
    // Saves and closes the open document; succeeds at once without one.
    void closeDocument(Completion completion);

    const std::shared_ptr<DKDocument>& document() const { return m_document; }

    // Items of the open document's bar and the spinner of its saves.
    const std::shared_ptr<BarButtonItem>& closeDocumentBarButtonItem() const { return m_closeItem; }
    const std::shared_ptr<BarButtonItem>& compactCloseDocumentBarButtonItem() const { return m_compactCloseItem; }
    const std::shared_ptr<BarButtonItem>& shareDocumentBarButtonItem() const { return m_shareItem; }
    const std::shared_ptr<BarButtonItem>& toolsBarButtonItem() const { return m_toolsItem; }
    const std::shared_ptr<ActivityIndicatorView>& savingIndicator() const { return m_savingIndicator; }

    // Shown while the open document saves.
    virtual void showAutoSavingIndicator() {}
    virtual void hideAutoSavingIndicator() {}

    Window* currentWindow() const { return m_currentWindow; }
    void setCurrentWindow(Window* window) { m_currentWindow = window; }

private:
    void adopt(const std::shared_ptr<DKDocument>& document);

    std::shared_ptr<DKDocument> m_document;
    std::shared_ptr<BarButtonItem> m_closeItem;
    std::shared_ptr<BarButtonItem> m_compactCloseItem;
    std::shared_ptr<BarButtonItem> m_shareItem;
    std::shared_ptr<BarButtonItem> m_toolsItem;
    std::shared_ptr<ActivityIndicatorView> m_savingIndicator;
    Window* m_currentWindow = nullptr;
    DKDocumentAppController* m_previousController = nullptr;
};

} // namespace folio
