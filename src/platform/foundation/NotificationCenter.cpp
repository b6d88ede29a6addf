#include "platform/foundation/NotificationCenter.h"

#include <algorithm>
#include <memory>

namespace folio {

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

ObserverToken NotificationCenter::addObserver(const std::string& name, const void* sender, NotificationCallback callback)
{
    std::lock_guard lock(m_mutex);
    ObserverToken token = m_nextToken++;
    m_observers.push_back({token, name, sender, std::make_shared<NotificationCallback>(std::move(callback))});
    return token;
}

void NotificationCenter::removeObserver(ObserverToken token)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observers, [token](const Observer& observer) { return observer.token == token; });
}

void NotificationCenter::postNotification(const Notification& notification)
{
    // Callbacks run without the lock so that they can post, add or remove.
    // An observer removed by an earlier callback of the same post must not
    // be called any more, so each one is checked again just before its turn.
    std::vector<std::pair<ObserverToken, std::shared_ptr<NotificationCallback>>> matching;
    {
        std::lock_guard lock(m_mutex);
        for (const Observer& observer : m_observers) {
            if (!observer.name.empty() && observer.name != notification.name)
                continue;
            if (observer.sender && observer.sender != notification.sender)
                continue;
            matching.emplace_back(observer.token, observer.callback);
        }
    }
    for (const auto& entry : matching) {
        const auto& token = entry.first;
        const auto& callback = entry.second;
        {
            std::lock_guard lock(m_mutex);
            bool stillRegistered = std::any_of(m_observers.begin(), m_observers.end(),
                [token](const Observer& observer) { return observer.token == token; });
            if (!stillRegistered)
                continue;
        }
        (*callback)(notification);
    }
}

void NotificationCenter::postNotification(const std::string& name, const void* sender, UserInfo userInfo)
{
    postNotification(Notification{name, sender, std::move(userInfo)});
}

std::size_t NotificationCenter::observerCount() const
{
    std::lock_guard lock(m_mutex);
    return m_observers.size();
}

} // namespace folio
