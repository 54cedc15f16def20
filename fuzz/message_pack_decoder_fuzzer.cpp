// Any bytes decoded as MessagePack: no crash, no leak, no undefined behaviour, never more bytes
// consumed than given; what is decoded (blobs and any float included) can be written as JSON.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "encodings/json_writer.h"
#include "encodings/message_pack_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto decoding = Zarn::Encodings::DecodeMessagePack(data, size);
    if (decoding.consumed > size) std::abort();
    if (decoding.result.Succeeded()) Zarn::Encodings::WriteJson(decoding.result.Value());
    return 0;
}
