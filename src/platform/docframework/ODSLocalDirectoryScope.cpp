#include "platform/docframework/ODSLocalDirectoryScope.h"

#include "platform/docframework/ODSFileItem.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/GioFunctions.h"

#include <filesystem>

namespace folio {

namespace {

Error scopeError(ODSLocalDirectoryScope::ErrorCode code, std::string message)
{
    return Error{ODSLocalDirectoryScope::kErrorDomain, code, std::move(message)};
}

// A name typed by the user may only name a file directly in the folder.
bool isPlainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.front() != '.'
        && name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

} // namespace

struct ODSLocalDirectoryScope::Monitor {
    GFileMonitor* monitor = nullptr;
    gulong handler = 0;
    std::function<void()> changed;

    ~Monitor()
    {
        if (!monitor)
            return;
        const GioFunctions* gio = GioFunctions::shared();
        gio->signalHandlerDisconnect(monitor, handler);
        gio->fileMonitorCancel(monitor);
        gio->objectUnref(monitor);
    }

    static void onChanged(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event, gpointer data)
    {
        // Attribute changes (access times, permissions) change nothing listed.
        if (event == G_FILE_MONITOR_EVENT_ATTRIBUTE_CHANGED || event == G_FILE_MONITOR_EVENT_PRE_UNMOUNT)
            return;
        auto* self = static_cast<Monitor*>(data);
        if (self->changed)
            self->changed();
    }
};

ODSLocalDirectoryScope::ODSLocalDirectoryScope() : ODSLocalDirectoryScope(AppFolders::documentsFolder()) {}

ODSLocalDirectoryScope::ODSLocalDirectoryScope(std::string documentsFolder, Trasher trasher)
    : m_documentsFolder(std::move(documentsFolder)), m_trasher(trasher ? std::move(trasher) : Trasher(&trashWithGIO))
{
}

ODSLocalDirectoryScope::~ODSLocalDirectoryScope() = default;

std::string ODSLocalDirectoryScope::documentDataFolderDirectoryURL()
{
    return AppFolders::documentDataFolder();
}

std::string ODSLocalDirectoryScope::documentCustomFontsFolderDirectoryURL()
{
    std::string folder = AppFolders::customFontsFolder();
    // A failure shows up, with its reason, when a font is put there.
    FileManager::createDirectory(folder);
    return folder;
}

Result<std::vector<std::shared_ptr<ODSFileItem>>> ODSLocalDirectoryScope::fileItems() const
{
    Result<std::vector<std::string>> names = FileManager::contentsOfDirectory(m_documentsFolder);
    if (!names)
        return names.error();
    std::vector<std::shared_ptr<ODSFileItem>> items;
    for (const std::string& name : *names) {
        if (name.empty() || name.front() == '.')
            continue;
        std::string path = m_documentsFolder + "/" + name;
        if (FileManager::isDirectory(path))
            continue;
        items.push_back(std::make_shared<ODSFileItem>(path, this));
    }
    return items;
}

std::vector<std::string> ODSLocalDirectoryScope::removeSaveLeftovers() const
{
    // Only beside a kind of document: a hidden file of the user's own that
    // happens to end in a dot and six letters is left alone.
    return FileManager::removeAtomicWriteLeftovers(m_documentsFolder, [](const std::string& target) {
        return TypeIdentifiers::typeIdentifierForPath(target) != TypeIdentifiers::kData;
    });
}

Status ODSLocalDirectoryScope::checkInScope(const ODSFileItem& item) const
{
    std::filesystem::path folder = std::filesystem::path(item.fileURL()).parent_path();
    std::error_code error;
    if (!std::filesystem::equivalent(folder, m_documentsFolder, error))
        return scopeError(NotInScope, item.fileURL() + " is not in " + m_documentsFolder);
    return Status::success();
}

Result<std::string> ODSLocalDirectoryScope::freePathForName(const std::string& name) const
{
    if (!isPlainFileName(name))
        return scopeError(BadName, "\"" + name + "\" cannot be used as a file name");
    return FileManager::placeUnderFreeName(m_documentsFolder, name, [](const std::string& path) -> Status {
        if (FileManager::fileExists(path))
            return Error{FileManager::kErrorDomain, FileManager::FileExists, path + " exists"};
        return Status::success();
    });
}

Result<std::string> ODSLocalDirectoryScope::renameItem(const ODSFileItem& item, const std::string& newName)
{
    if (Status inScope = checkInScope(item); !inScope)
        return inScope.error();
    std::string extension = std::filesystem::path(item.fileURL()).extension().string();
    std::string name = newName + extension;
    if (!isPlainFileName(newName) || !isPlainFileName(name))
        return scopeError(BadName, "\"" + newName + "\" cannot be used as a file name");
    if (name == item.name())
        return item.fileURL();
    return FileManager::placeUnderFreeName(m_documentsFolder, name, [&](const std::string& path) {
        return FileManager::moveItem(item.fileURL(), path);
    });
}

Result<std::string> ODSLocalDirectoryScope::duplicateItem(const ODSFileItem& item)
{
    if (Status inScope = checkInScope(item); !inScope)
        return inScope.error();
    // The first candidate is the item itself, which is taken; copies start at 2.
    return FileManager::placeUnderFreeName(m_documentsFolder, item.name(), [&](const std::string& path) {
        return FileManager::copyItem(item.fileURL(), path);
    });
}

Result<std::string> ODSLocalDirectoryScope::importItem(const std::string& sourcePath)
{
    if (FileManager::isDirectory(sourcePath))
        return scopeError(BadName, sourcePath + " is a folder, not a document");
    std::string name = std::filesystem::path(sourcePath).filename().string();
    if (!isPlainFileName(name))
        return scopeError(BadName, "\"" + name + "\" cannot be used as a file name");
    return FileManager::placeUnderFreeName(m_documentsFolder, name, [&](const std::string& path) {
        return FileManager::copyItem(sourcePath, path);
    });
}

Status ODSLocalDirectoryScope::deleteItem(const ODSFileItem& item)
{
    if (Status inScope = checkInScope(item); !inScope)
        return inScope;
    // Never followed by an unlink: a file the trash refuses is the user's to keep.
    return m_trasher(item.fileURL());
}

Status ODSLocalDirectoryScope::trashWithGIO(const std::string& path)
{
    const GioFunctions* gio = GioFunctions::shared();
    if (!gio)
        return scopeError(TrashFailed, "Cannot move " + path + " to the trash: gio cannot be loaded");
    GFile* file = gio->fileNewForPath(path.c_str());
    GError* error = nullptr;
    gboolean trashed = gio->fileTrash(file, nullptr, &error);
    gio->objectUnref(file);
    if (trashed)
        return Status::success();
    std::string reason = error ? error->message : "the trash refused it";
    if (error)
        g_error_free(error);
    return scopeError(TrashFailed, "Cannot move " + path + " to the trash: " + reason);
}

Status ODSLocalDirectoryScope::startMonitoring(std::function<void()> changed)
{
    stopMonitoring();
    const GioFunctions* gio = GioFunctions::shared();
    if (!gio)
        return Error{kErrorDomain, MonitorFailed, "Cannot watch " + m_documentsFolder + ": gio cannot be loaded"};
    GFile* folder = gio->fileNewForPath(m_documentsFolder.c_str());
    GError* error = nullptr;
    GFileMonitor* monitor = gio->fileMonitorDirectory(folder, G_FILE_MONITOR_WATCH_MOVES, nullptr, &error);
    gio->objectUnref(folder);
    if (!monitor) {
        std::string reason = error ? error->message : "no monitor";
        if (error)
            g_error_free(error);
        return Error{kErrorDomain, MonitorFailed, "Cannot watch " + m_documentsFolder + ": " + reason};
    }
    auto watch = std::make_unique<Monitor>();
    watch->monitor = monitor;
    watch->changed = std::move(changed);
    watch->handler =
        gio->signalConnectData(monitor, "changed", G_CALLBACK(&Monitor::onChanged), watch.get(), nullptr, GConnectFlags(0));
    m_monitor = std::move(watch);
    return Status::success();
}

void ODSLocalDirectoryScope::stopMonitoring()
{
    m_monitor.reset();
}

} // namespace folio
