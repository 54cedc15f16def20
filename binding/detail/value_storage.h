// The blocks behind a value's reference payloads: arrays of elements or fields (a header and its
// items in one store chunk, so that reaching an item costs one pointer and a container one
// block) and blobs (linked, so that a store can free their buffers without walking its tree).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Zarn::Binding::detail {

// Counts of 32 bits keep the header at 8 bytes; GrowArray refuses more. The items follow the
// header in the same chunk.
template <typename T>
struct ValueArray {
    std::uint32_t size;
    std::uint32_t capacity;

    static_assert(alignof(T) <= 8);
    // The chunk of a header and `capacity` items.
    static constexpr std::size_t Bytes(std::size_t capacity) noexcept { return 8 + capacity * sizeof(T); }
    T* Items() noexcept { return reinterpret_cast<T*>(reinterpret_cast<char*>(this) + 8); }
    const T* Items() const noexcept {
        return reinterpret_cast<const T*>(reinterpret_cast<const char*>(this) + 8);
    }
};

struct BlobBlock {
    std::vector<std::uint8_t> bytes;  // first, so that a pointer to it is a pointer to the block
    BlobBlock* previous;
    BlobBlock* next;
};

}  // namespace Zarn::Binding::detail
