#include "platform/docframework/ODSFileItem.h"

#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/FileManager.h"

#include <filesystem>

namespace folio {

ODSFileItem::ODSFileItem(std::string fileURL, const ODSLocalDirectoryScope* scope)
    : m_fileURL(std::move(fileURL)), m_fileType(TypeIdentifiers::typeIdentifierForPath(m_fileURL)), m_scope(scope)
{
    if (Result<FileAttributes> attributes = FileManager::attributesOfItem(m_fileURL))
        m_modificationDate = attributes->modificationDate;
}

std::string ODSFileItem::name() const
{
    return std::filesystem::path(m_fileURL).filename().string();
}

std::string ODSFileItem::displayedName() const
{
    return std::filesystem::path(m_fileURL).stem().string();
}

std::optional<OFFileEdit> ODSFileItem::fileEdit() const
{
    Result<OFFileEdit> edit = OFFileEdit::initWithFileURL(m_fileURL);
    if (!edit)
        return std::nullopt;
    return *edit;
}

} // namespace folio
