#include "foundation/system/TEObjectBlockExecutor.h"

#include <cassert>

namespace folio {

std::unique_ptr<TEObjectBlockExecutor> TEObjectBlockExecutor::blockExecutorWithDeallocBlock(Block block)
{
    return std::make_unique<TEObjectBlockExecutor>(std::move(block));
}

TEObjectBlockExecutor::~TEObjectBlockExecutor()
{
    Block block = std::move(m_deallocBlock);
    if (block)
        block();
}

void TEDeallocBlocks::addDeallocBlock(TEObjectBlockExecutor::Block block)
{
    assert(block && "block");
    m_executors.push_back(TEObjectBlockExecutor::blockExecutorWithDeallocBlock(std::move(block)));
}

} // namespace folio
