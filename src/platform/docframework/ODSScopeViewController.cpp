#include "platform/docframework/ODSScopeViewController.h"

#include "platform/docframework/DKDocument.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/docframework/DKDocumentPreview.h"
#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/ODSLocalDirectoryScope.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"

#include <algorithm>
#include <filesystem>

namespace folio {

const std::vector<ODSScopeViewController::NewDocumentKind>& ODSScopeViewController::newDocumentKinds()
{
    static const std::vector<NewDocumentKind> kinds{
        {"Rich Text Document", "rtf"}, {"QV Text Document", "qvtext"}, {"QV Outline", "qvoutline"},
        {"Markdown Document", "md"},   {"Plain Text Document", "txt"}, {"TeX Document", "tex"},
    };
    return kinds;
}

std::string ODSScopeViewController::kindTitleForItem(const ODSFileItem& item)
{
    std::string extension = lowercaseString(std::filesystem::path(item.name()).extension().string());
    if (!extension.empty())
        extension.erase(0, 1);
    if (extension == "markdown")
        extension = "md";
    for (const auto& kind : newDocumentKinds()) {
        if (extension == kind.extension)
            return kind.title;
    }
    if (extension.empty())
        return "Document";
    return uppercaseString(extension) + " Document";
}

ODSScopeViewController::ODSScopeViewController(std::shared_ptr<ODSLocalDirectoryScope> scope)
    : m_scope(std::move(scope))
{
    std::weak_ptr<int> alive = m_lifetime;
    m_previewObserver = NotificationCenter::defaultCenter().addObserver(
        DKDocumentPreview::kPreviewsUpdatedNotification, nullptr, [this, alive](const Notification&) {
            if (!alive.expired())
                changed();
        });
}

ODSScopeViewController::~ODSScopeViewController()
{
    NotificationCenter::defaultCenter().removeObserver(m_previewObserver);
    m_scope->stopMonitoring();
}

Status ODSScopeViewController::reload()
{
    m_scope->removeSaveLeftovers();
    Result<std::vector<std::shared_ptr<ODSFileItem>>> items = m_scope->fileItems();
    if (!items)
        return items.error();
    m_all = std::move(*items);
    applySortAndFilter();
    changed();
    // Files added or changed since get their pictures.
    loadPreviews();
    return Status::success();
}

void ODSScopeViewController::applySortAndFilter()
{
    m_shown.clear();
    std::string needle = lowercaseString(m_searchText);
    for (const auto& item : m_all) {
        if (needle.empty() || lowercaseString(item->displayedName()).find(needle) != std::string::npos)
            m_shown.push_back(item);
    }
    auto byName = [](const std::shared_ptr<ODSFileItem>& a, const std::shared_ptr<ODSFileItem>& b) {
        std::string left = lowercaseString(a->name());
        std::string right = lowercaseString(b->name());
        return left != right ? left < right : a->name() < b->name();
    };
    if (m_sortOrder == SortOrder::Name) {
        std::sort(m_shown.begin(), m_shown.end(), byName);
        return;
    }
    std::sort(m_shown.begin(), m_shown.end(), [&](const auto& a, const auto& b) {
        if (a->modificationDate() != b->modificationDate())
            return a->modificationDate() > b->modificationDate();
        return byName(a, b);
    });
}

void ODSScopeViewController::changed()
{
    if (m_changeHandler)
        m_changeHandler();
}

std::shared_ptr<ODSFileItem> ODSScopeViewController::itemWithFileURL(const std::string& fileURL) const
{
    auto found = std::find_if(m_all.begin(), m_all.end(), [&](const auto& item) { return item->fileURL() == fileURL; });
    return found == m_all.end() ? nullptr : *found;
}

void ODSScopeViewController::setSortOrder(SortOrder order)
{
    m_sortOrder = order;
    applySortAndFilter();
    changed();
}

void ODSScopeViewController::setSearchText(std::string text)
{
    m_searchText = std::move(text);
    applySortAndFilter();
    changed();
}

Image::Pointer ODSScopeViewController::previewForItem(const ODSFileItem& item)
{
    return DKDocumentPreview::cachedPreviewForFileItem(item);
}

void ODSScopeViewController::loadPreviews()
{
    std::vector<std::shared_ptr<ODSFileItem>> unloaded;
    for (const auto& item : m_all) {
        if (!previewForItem(*item))
            unloaded.push_back(item);
    }
    std::weak_ptr<int> alive = m_lifetime;
    DKDocumentPreview::populateCacheForFileItems(unloaded, [this, alive] {
        if (alive.expired())
            return;
        changed();
        makeMissingPreviews();
    });
}

void ODSScopeViewController::makeMissingPreviews()
{
    DKDocumentAppController* controller = DKDocumentAppController::controller();
    if (m_makingPreview || !controller)
        return;
    // The open document changes with every save; it is pictured when it closes.
    std::string open = controller->document() ? controller->document()->fileURL() : std::string();
    for (const auto& item : m_all) {
        std::optional<OFFileEdit> edit = item->fileEdit();
        if (!edit || item->fileURL() == open || previewForItem(*item)
            || !m_previewsAskedFor.insert(edit->uniqueEditIdentifier()).second)
            continue;
        m_makingPreview = true;
        std::weak_ptr<int> alive = m_lifetime;
        controller->writePreviewForFileItem(item, [this, alive] {
            // On a later turn, so that a long list is not worked through in one deep call.
            RunLoop::main().post([this, alive] {
                if (alive.expired())
                    return;
                m_makingPreview = false;
                makeMissingPreviews();
            });
        });
        return;
    }
}

Status ODSScopeViewController::startMonitoring()
{
    std::weak_ptr<int> alive = m_lifetime;
    return m_scope->startMonitoring([this, alive] {
        if (!alive.expired())
            reload();
    });
}

void ODSScopeViewController::newDocument(const std::string& extension, Completion completion)
{
    DKDocumentAppController* controller = DKDocumentAppController::controller();
    Result<std::string> path = m_scope->freePathForName(std::string(kNewDocumentName) + "." + extension);
    if (!controller || !path) {
        if (completion)
            completion(path ? Status(Error{DKDocumentAppController::kErrorDomain, DKDocumentAppController::CreateFailed,
                                           "No application to make documents"})
                            : Status(path.error()));
        return;
    }
    std::weak_ptr<int> alive = m_lifetime;
    controller->createDocumentAtURL(*path, std::nullopt, [this, alive, path = *path, completion](Status created) {
        if (alive.expired())
            return;
        reload();
        std::shared_ptr<ODSFileItem> item = itemWithFileURL(path);
        if (!created || !item) {
            if (completion)
                completion(created ? Status(Error{ODSLocalDirectoryScope::kErrorDomain, ODSLocalDirectoryScope::NotInScope,
                                                  path + " was not listed after it was made"})
                                   : created);
            return;
        }
        openItem(item, completion);
    });
}

void ODSScopeViewController::openItem(const std::shared_ptr<ODSFileItem>& item, Completion completion)
{
    DKDocumentAppController* controller = DKDocumentAppController::controller();
    if (!controller || !item) {
        if (completion)
            completion(Error{DKDocumentAppController::kErrorDomain, DKDocumentAppController::OpenFailed, "Nothing to open"});
        return;
    }
    m_lastOpenedFileItem = item;
    controller->openFileItem(item, std::move(completion));
}

Result<std::shared_ptr<ODSFileItem>> ODSScopeViewController::itemAfterReload(const Result<std::string>& path)
{
    if (!path)
        return path.error();
    reload();
    if (auto item = itemWithFileURL(*path))
        return item;
    return std::make_shared<ODSFileItem>(*path, m_scope.get());
}

Result<std::shared_ptr<ODSFileItem>> ODSScopeViewController::renameItem(const ODSFileItem& item, const std::string& newName)
{
    return itemAfterReload(m_scope->renameItem(item, newName));
}

Result<std::shared_ptr<ODSFileItem>> ODSScopeViewController::duplicateItem(const ODSFileItem& item)
{
    return itemAfterReload(m_scope->duplicateItem(item));
}

Result<std::shared_ptr<ODSFileItem>> ODSScopeViewController::importItem(const std::string& sourcePath)
{
    return itemAfterReload(m_scope->importItem(sourcePath));
}

Status ODSScopeViewController::deleteItem(const ODSFileItem& item)
{
    Status deleted = m_scope->deleteItem(item);
    reload();
    return deleted;
}

std::shared_ptr<ODSFileItem> ODSScopeViewController::insertNewItemWithFilePath(const std::string& path)
{
    reload();
    return itemWithFileURL(path);
}

void ODSScopeViewController::nonRTFDocumentViewControllerDismissed()
{
    reload();
}

} // namespace folio
