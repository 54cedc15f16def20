#include "binding/detail/block_pool.h"

namespace Zarn::Binding::detail {

BlockPool::BlockPool(std::size_t blockSize) noexcept : blockSize_(blockSize) {}
BlockPool::~BlockPool() {}
void* BlockPool::Allocate() { return nullptr; }
void BlockPool::Free(void*) noexcept {}
void* TakePage() { return nullptr; }
void ReturnPage(void*) noexcept {}

}  // namespace Zarn::Binding::detail
