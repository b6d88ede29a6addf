#pragma once

#include <string>

namespace folio {

// Removes files and folders without making the caller wait: the item is first
// renamed into the temporary folder, so it is gone from where it was as soon
// as the call returns, and then deleted on a background queue.
class TEAsyncFileDeleter {
public:
    static TEAsyncFileDeleter& sharedInstance();

    // Answers whether the item was moved out of the way; a missing item
    // queues nothing.
    bool removeItemAtPath(const std::string& path);
    // Waits until every queued deletion is done.
    void waitUntilFinished();

private:
    TEAsyncFileDeleter();
    struct Queues;
    Queues& m_queues;
};

} // namespace folio
