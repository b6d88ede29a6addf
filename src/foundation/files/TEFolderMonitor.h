#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace folio {

// Calls back whenever something in a folder is created, removed, renamed or
// written. The callback runs on the monitor's own thread.
class TEFolderMonitor {
public:
    using Callback = std::function<void()>;

    // The folder must be given, and so must the callback.
    static std::unique_ptr<TEFolderMonitor> folderMonitorForURL(std::string folderPath, Callback callback);
    TEFolderMonitor(std::string folderPath, Callback callback);
    ~TEFolderMonitor();
    TEFolderMonitor(const TEFolderMonitor&) = delete;
    TEFolderMonitor& operator=(const TEFolderMonitor&) = delete;

    // Starting twice watches once; a folder that cannot be watched is not.
    void startMonitoring();
    void stopMonitoring();
    bool isMonitoring() const;

private:
    void watch(int notifyDescriptor, int stopDescriptor);

    std::string m_folderPath;
    Callback m_callback;
    mutable std::mutex m_mutex;
    std::thread m_thread;
    int m_stopWriteDescriptor = -1;
};

} // namespace folio
