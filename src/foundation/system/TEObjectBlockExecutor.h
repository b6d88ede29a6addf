#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace folio {

// Runs its callback once, when it is destroyed.
class TEObjectBlockExecutor {
public:
    using Block = std::function<void()>;

    static std::unique_ptr<TEObjectBlockExecutor> blockExecutorWithDeallocBlock(Block block);
    explicit TEObjectBlockExecutor(Block block) : m_deallocBlock(std::move(block)) {}
    ~TEObjectBlockExecutor();
    TEObjectBlockExecutor(const TEObjectBlockExecutor&) = delete;
    TEObjectBlockExecutor& operator=(const TEObjectBlockExecutor&) = delete;

private:
    Block m_deallocBlock;
};

// Callbacks that run when their owner is destroyed. An owner keeps this as
// its first member: members go in reverse order, so the callbacks run once the
// rest of the owner is already gone, as they would after its destruction.
class TEDeallocBlocks {
public:
    // The block must be given.
    void addDeallocBlock(TEObjectBlockExecutor::Block block);

private:
    std::vector<std::unique_ptr<TEObjectBlockExecutor>> m_executors;
};

} // namespace folio
