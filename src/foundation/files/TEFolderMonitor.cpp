#include "foundation/files/TEFolderMonitor.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cassert>
#include <cstdint>

namespace folio {

std::unique_ptr<TEFolderMonitor> TEFolderMonitor::folderMonitorForURL(std::string folderPath, Callback callback)
{
    return std::make_unique<TEFolderMonitor>(std::move(folderPath), std::move(callback));
}

TEFolderMonitor::TEFolderMonitor(std::string folderPath, Callback callback)
    : m_folderPath(std::move(folderPath))
    , m_callback(std::move(callback))
{
    assert(!m_folderPath.empty() && "URL");
    assert(m_callback && "block");
}

TEFolderMonitor::~TEFolderMonitor()
{
    stopMonitoring();
}

bool TEFolderMonitor::isMonitoring() const
{
    std::lock_guard lock(m_mutex);
    return m_thread.joinable();
}

void TEFolderMonitor::startMonitoring()
{
    std::lock_guard lock(m_mutex);
    if (m_thread.joinable())
        return;
    int notifyDescriptor = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (notifyDescriptor < 0)
        return;
    // Changes to the folder's list of entries, which is what a write to the
    // folder itself means.
    constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE | IN_ATTRIB;
    int pipeDescriptors[2];
    if (inotify_add_watch(notifyDescriptor, m_folderPath.c_str(), kEvents | IN_ONLYDIR) < 0
        || pipe2(pipeDescriptors, O_CLOEXEC) != 0) {
        close(notifyDescriptor);
        return;
    }
    m_stopWriteDescriptor = pipeDescriptors[1];
    m_thread = std::thread([this, notifyDescriptor, stop = pipeDescriptors[0]] { watch(notifyDescriptor, stop); });
}

void TEFolderMonitor::stopMonitoring()
{
    std::thread thread;
    {
        std::lock_guard lock(m_mutex);
        if (!m_thread.joinable())
            return;
        char byte = 0;
        [[maybe_unused]] ssize_t written = write(m_stopWriteDescriptor, &byte, 1);
        close(m_stopWriteDescriptor);
        m_stopWriteDescriptor = -1;
        thread = std::move(m_thread);
    }
    // NOTE: a callback that stops its own monitor cannot wait for itself.
    if (thread.get_id() == std::this_thread::get_id())
        thread.detach();
    else
        thread.join();
}

void TEFolderMonitor::watch(int notifyDescriptor, int stopDescriptor)
{
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        pollfd descriptors[2] = {{notifyDescriptor, POLLIN, 0}, {stopDescriptor, POLLIN, 0}};
        if (poll(descriptors, 2, -1) < 0)
            continue;
        if (descriptors[1].revents)
            break;
        bool changed = false;
        while (read(notifyDescriptor, buffer, sizeof buffer) > 0)
            changed = true;
        if (changed)
            m_callback();
    }
    close(notifyDescriptor);
    close(stopDescriptor);
}

} // namespace folio
