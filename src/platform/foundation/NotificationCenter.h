#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace folio {

// Extra values a notification carries, by key. Readers ask for the type they
// expect and get nothing when the key is absent or holds another type.
class UserInfo {
public:
    UserInfo() = default;
    UserInfo(std::initializer_list<std::pair<const std::string, std::any>> values) : m_values(values) {}

    void set(const std::string& key, std::any value) { m_values[key] = std::move(value); }
    bool contains(const std::string& key) const { return m_values.count(key) != 0; }
    bool empty() const { return m_values.empty(); }
    const std::map<std::string, std::any>& values() const { return m_values; }

    template <typename T>
    const T* get(const std::string& key) const
    {
        auto it = m_values.find(key);
        return it == m_values.end() ? nullptr : std::any_cast<T>(&it->second);
    }

private:
    std::map<std::string, std::any> m_values;
};

struct Notification {
    std::string name;
    const void* sender = nullptr;
    UserInfo userInfo;
};

using NotificationCallback = std::function<void(const Notification&)>;
using ObserverToken = std::uint64_t;

// Delivers notifications synchronously, on the posting thread, to every
// observer whose name and sender filters match. Observers may add or remove
// observers (themselves included) from inside a callback.
class NotificationCenter {
public:
    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    static NotificationCenter& defaultCenter();

    // An empty name matches every notification; a null sender matches every sender.
    ObserverToken addObserver(const std::string& name, const void* sender, NotificationCallback callback);
    void removeObserver(ObserverToken token);

    void postNotification(const Notification& notification);
    void postNotification(const std::string& name, const void* sender = nullptr, UserInfo userInfo = {});

    std::size_t observerCount() const;

private:
    struct Observer {
        ObserverToken token;
        std::string name;
        const void* sender;
        std::shared_ptr<NotificationCallback> callback;
    };

    mutable std::mutex m_mutex;
    std::vector<Observer> m_observers;
    ObserverToken m_nextToken = 1;
};

} // namespace folio
