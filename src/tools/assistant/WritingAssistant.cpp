#include "tools/assistant/WritingAssistant.h"

#include "platform/foundation/AppFolders.h"

#include <filesystem>

namespace folio {

namespace {

std::shared_ptr<WritingAssistant>& installed()
{
    static std::shared_ptr<WritingAssistant> assistant = std::make_shared<UnavailableWritingAssistant>();
    return assistant;
}

} // namespace

WritingAssistant& WritingAssistant::shared()
{
    return *installed();
}

void WritingAssistant::setShared(std::shared_ptr<WritingAssistant> assistant)
{
    installed() = assistant ? std::move(assistant) : std::make_shared<UnavailableWritingAssistant>();
}

std::string WritingAssistant::temporaryFilePath()
{
    return (std::filesystem::path(AppFolders::temporaryFolder()) / kTemporaryFileName).string();
}

Status UnavailableWritingAssistant::open(ViewController&, std::weak_ptr<WritingAssistantDelegate>, SourceFileType,
                                         const std::u16string&)
{
    // FIXME: the assistant's service is out of reach of this build; a panel
    // that reaches it implements WritingAssistant and is installed with setShared.
    return Error{"WritingAssistant", 1, "The AI writing assistant is not available."};
}

} // namespace folio
