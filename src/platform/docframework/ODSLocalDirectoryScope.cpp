#include "platform/docframework/ODSLocalDirectoryScope.h"

#include "platform/docframework/ODSFileItem.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"

namespace folio {

ODSLocalDirectoryScope::ODSLocalDirectoryScope() : m_documentsFolder(AppFolders::documentsFolder()) {}

ODSLocalDirectoryScope::ODSLocalDirectoryScope(std::string documentsFolder)
    : m_documentsFolder(std::move(documentsFolder))
{
}

std::string ODSLocalDirectoryScope::documentDataFolderDirectoryURL()
{
    return AppFolders::documentDataFolder();
}

std::string ODSLocalDirectoryScope::documentCustomFontsFolderDirectoryURL()
{
    return AppFolders::customFontsFolder();
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

} // namespace folio
