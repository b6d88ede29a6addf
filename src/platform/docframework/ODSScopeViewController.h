#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace folio {

class ODSFileItem;
class ODSLocalDirectoryScope;

// What the document browser shows of one scope: its files as a grid,
// newest first or by name, narrowed by a search text, with the file
// operations of the browser. Opening and creating go through the shared
// DKDocumentAppController. Main thread only.
class ODSScopeViewController {
public:
    enum class SortOrder { Date, Name };
    // The kinds a new document can be made as; the first is the kind of
    // "New Document".
    struct NewDocumentKind {
        const char* title;
        const char* extension;
    };
    static const std::vector<NewDocumentKind>& newDocumentKinds();
    // What kind of document the file is, as the browser names it ("Markdown
    // Document"), so that files of the same name tell apart.
    static std::string kindTitleForItem(const ODSFileItem& item);
    static constexpr const char* kNewDocumentName = "Untitled";

    using Completion = std::function<void(Status status)>;

    explicit ODSScopeViewController(std::shared_ptr<ODSLocalDirectoryScope> scope);
    ~ODSScopeViewController();
    ODSScopeViewController(const ODSScopeViewController&) = delete;
    ODSScopeViewController& operator=(const ODSScopeViewController&) = delete;

    ODSLocalDirectoryScope& scope() const { return *m_scope; }

    // Lists the folder again.
    Status reload();
    // The files shown: sorted, and only those whose name holds the search text.
    const std::vector<std::shared_ptr<ODSFileItem>>& items() const { return m_shown; }
    std::shared_ptr<ODSFileItem> itemWithFileURL(const std::string& fileURL) const;

    SortOrder sortOrder() const { return m_sortOrder; }
    void setSortOrder(SortOrder order);
    const std::string& searchText() const { return m_searchText; }
    // Compared with the shown names without regard to case.
    void setSearchText(std::string text);

    // Runs after every change of what is shown, and when a file's picture changed.
    void setChangeHandler(std::function<void()> handler) { m_changeHandler = std::move(handler); }
    // The stored picture of the file's current state, or null.
    static Image::Pointer previewForItem(const ODSFileItem& item);
    // Loads the stored pictures of the files; the grid is told when they are
    // in. Files without one then get one made, one after another (all but
    // the open document, which is pictured when it closes).
    void loadPreviews();

    // Watches the folder so that files added, removed or changed elsewhere show.
    Status startMonitoring();

    // Makes a blank document of the kind (by extension) under a free name
    // and opens it; the completion hears how it went.
    void newDocument(const std::string& extension, Completion completion);
    void openItem(const std::shared_ptr<ODSFileItem>& item, Completion completion);
    Result<std::shared_ptr<ODSFileItem>> renameItem(const ODSFileItem& item, const std::string& newName);
    Result<std::shared_ptr<ODSFileItem>> duplicateItem(const ODSFileItem& item);
    Result<std::shared_ptr<ODSFileItem>> importItem(const std::string& sourcePath);
    Status deleteItem(const ODSFileItem& item);

    const std::shared_ptr<ODSFileItem>& lastOpenedFileItem() const { return m_lastOpenedFileItem; }
    void setLastOpenedFileItem(std::shared_ptr<ODSFileItem> item) { m_lastOpenedFileItem = std::move(item); }
    // A file made beside the listed ones (a converted copy): the listing is
    // refreshed and its item answered, or null when it is not in this scope.
    std::shared_ptr<ODSFileItem> insertNewItemWithFilePath(const std::string& path);
    // A viewer shown over the browser went away; files may have changed meanwhile.
    void nonRTFDocumentViewControllerDismissed();

private:
    void applySortAndFilter();
    void makeMissingPreviews();
    void changed();
    Result<std::shared_ptr<ODSFileItem>> itemAfterReload(const Result<std::string>& path);

    std::shared_ptr<ODSLocalDirectoryScope> m_scope;
    std::vector<std::shared_ptr<ODSFileItem>> m_all;
    std::vector<std::shared_ptr<ODSFileItem>> m_shown;
    SortOrder m_sortOrder = SortOrder::Date;
    std::string m_searchText;
    std::function<void()> m_changeHandler;
    std::shared_ptr<ODSFileItem> m_lastOpenedFileItem;
    ObserverToken m_previewObserver = 0;
    // File edits whose picture has been asked for, so that one that cannot
    // be made is not asked for again until the file changes.
    std::set<std::string> m_previewsAskedFor;
    bool m_makingPreview = false;
    // Work finishing later checks this, as the controller may be gone by then.
    std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
};

} // namespace folio
