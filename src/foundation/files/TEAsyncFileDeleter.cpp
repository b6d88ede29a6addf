#include "foundation/files/TEAsyncFileDeleter.h"

#include "foundation/files/TEPathUtilities.h"
#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/FileManager.h"

namespace folio {

struct TEAsyncFileDeleter::Queues {
    DispatchQueue remove{"TEAsyncFileDeleterRemoveQueue"};
    DispatchQueue rename{"TEAsyncFileDeleterRenameQueue"};
    DispatchGroup pending;
};

TEAsyncFileDeleter& TEAsyncFileDeleter::sharedInstance()
{
    static TEAsyncFileDeleter* shared = new TEAsyncFileDeleter;
    return *shared;
}

TEAsyncFileDeleter::TEAsyncFileDeleter()
    : m_queues(*new Queues)
{
}

bool TEAsyncFileDeleter::removeItemAtPath(const std::string& path)
{
    bool moved = false;
    m_queues.rename.sync([&] {
        std::string hidden = TEPathUtilities::pathForTemporaryFile();
        if (!FileManager::moveItem(path, hidden))
            return;
        moved = true;
        m_queues.remove.async(m_queues.pending, [hidden] { (void)FileManager::removeItem(hidden); });
    });
    return moved;
}

void TEAsyncFileDeleter::waitUntilFinished()
{
    while (!m_queues.pending.wait(3600)) {
    }
}

} // namespace folio
