// The blocks behind a value's reference payloads: arrays of elements or fields (header in a
// pool block, items in store chunks) and blobs (linked, so that a store can free their buffers
// without walking its tree).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Zarn::Binding::detail {

// Counts of 32 bits keep the header at 16 bytes on 64-bit builds; GrowArray refuses more.
template <typename T>
struct ValueArray {
    T* data;
    std::uint32_t size;
    std::uint32_t capacity;
};

struct BlobBlock {
    std::vector<std::uint8_t> bytes;  // first, so that a pointer to it is a pointer to the block
    BlobBlock* previous;
    BlobBlock* next;
};

}  // namespace Zarn::Binding::detail
