#include "documents/KeptPageHTML.h"

#include "platform/foundation/Data.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"

#include <mutex>
#include <optional>
#include <span>
#include <utility>

namespace folio {

namespace {

// The fastest level: markup packs to a tenth at it, in some 40 ms for 10 MB,
// and the slower levels gain little more.
constexpr int kPackingLevel = 1;

} // namespace

struct KeptPageHTML::State {
    mutable std::mutex mutex;
    // Counts what was kept, so that a packing that ends after a newer page
    // was kept leaves the newer one alone.
    unsigned long generation = 0;
    std::shared_ptr<const void> owner;
    std::string_view html;
    std::optional<Data> packed;
    std::size_t size = 0;
    // Packed once read: the reader schedules it.
    bool packsWhenRead = false;
};

KeptPageHTML::KeptPageHTML(Scheduler scheduler)
    : m_scheduler(std::move(scheduler)), m_state(std::make_shared<State>())
{
    if (!m_scheduler) {
        m_scheduler = [](std::function<void()> task) {
            DispatchQueue::global(DispatchQueue::Priority::Background).async(std::move(task));
        };
    }
}

void KeptPageHTML::keep(std::shared_ptr<const void> owner, std::string_view html, Packing packing)
{
    if (!owner)
        return;
    const bool packs = html.size() >= kPackedFromSize;
    unsigned long generation = 0;
    {
        std::lock_guard lock(m_state->mutex);
        generation = ++m_state->generation;
        m_state->owner = owner;
        m_state->html = html;
        m_state->packed.reset();
        m_state->size = html.size();
        m_state->packsWhenRead = packs && packing == Packing::AfterFirstRead;
    }
    if (packs && packing == Packing::Soon)
        schedulePacking(generation, std::move(owner), html);
}

void KeptPageHTML::schedulePacking(unsigned long generation, std::shared_ptr<const void> owner,
                                   std::string_view html) const
{
    // The task holds the page's storage while it reads it, and the state
    // only while the document does.
    std::weak_ptr<State> weakState = m_state;
    m_scheduler([weakState, generation, owner = std::move(owner), html]() mutable {
        if (std::shared_ptr<State> state = weakState.lock())
            pack(state, generation, html);
        owner.reset();
    });
}

void KeptPageHTML::pack(const std::shared_ptr<State>& state, unsigned long generation, std::string_view html)
{
    {
        std::lock_guard lock(state->mutex);
        if (state->generation != generation)
            return;
    }
    auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size());
    Result<Data> packed = Deflate::compress(bytes, kPackingLevel);
    if (!packed) {
        // Kept as it is: nothing is lost, only the room packing would save.
        TELog(TELogLevelWarning, "The page kept for the editor could not be packed: " + packed.error().message);
        return;
    }
    packed->mutableVector().shrink_to_fit();
    std::lock_guard lock(state->mutex);
    if (state->generation != generation)
        return;
    state->packed = std::move(*packed);
    state->html = {};
    // The page's storage goes once this task and the save that read it are
    // done with it.
    state->owner.reset();
}

void KeptPageHTML::clear()
{
    std::lock_guard lock(m_state->mutex);
    ++m_state->generation;
    m_state->owner.reset();
    m_state->html = {};
    m_state->packed.reset();
    m_state->size = 0;
    m_state->packsWhenRead = false;
}

bool KeptPageHTML::holdsHTML() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->owner || m_state->packed;
}

std::string KeptPageHTML::html() const
{
    std::unique_lock lock(m_state->mutex);
    if (!m_state->packed) {
        std::string html(m_state->html);
        if (std::exchange(m_state->packsWhenRead, false)) {
            unsigned long generation = m_state->generation;
            std::shared_ptr<const void> owner = m_state->owner;
            std::string_view kept = m_state->html;
            lock.unlock();
            schedulePacking(generation, std::move(owner), kept);
        }
        return html;
    }
    return unpacked(*m_state).value_or(std::string());
}

KeptPageHTML::Shared KeptPageHTML::shared() const
{
    std::unique_lock lock(m_state->mutex);
    if (!m_state->packed) {
        Shared kept{m_state->owner, m_state->html};
        if (std::exchange(m_state->packsWhenRead, false)) {
            unsigned long generation = m_state->generation;
            lock.unlock();
            schedulePacking(generation, kept.storage, kept.html);
        }
        return kept;
    }
    std::optional<std::string> html = unpacked(*m_state);
    if (!html)
        return {};
    auto storage = std::make_shared<const std::string>(std::move(*html));
    return Shared{storage, *storage};
}

std::optional<std::string> KeptPageHTML::unpacked(const State& state)
{
    Result<Data> unpacked = Deflate::decompress(state.packed->span(), state.size);
    if (!unpacked || unpacked->length() != state.size) {
        // Packed here from intact memory, so this is memory running out.
        TELog(TELogLevelError, "The page kept for the editor could not be unpacked");
        return std::nullopt;
    }
    return unpacked->toString();
}

} // namespace folio
