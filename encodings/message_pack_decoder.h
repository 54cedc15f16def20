// Decodes one MessagePack value into a BindingProperty: bodies and arguments of local API calls
// sent as "application/x-msgpack". Any thread, no shared state.
//
// Exactly one value is read from the start of the bytes; what follows it is left to the caller,
// who learns how many bytes were used. Positive fixints give "signed", only the uint formats
// "unsigned"; map keys must be strings and a repeated key keeps the later value; ext and
// timestamp formats are refused. Input that ends inside open arrays or maps fails as truncated,
// naming the innermost one: a body cut short must not pass as a smaller value. No size declared
// by a header is reserved before its bytes are present, and nesting deeper than kMaxDecodeDepth
// fails.
#pragma once

#include <cstddef>
#include <cstdint>

#include "binding/binding_result.h"

namespace Zarn::Encodings {

struct MessagePackDecoding {
    Binding::BindingResult result;
    std::size_t consumed = 0;  // bytes read, up to where decoding stopped
};

MessagePackDecoding DecodeMessagePack(const std::uint8_t* bytes, std::size_t size);

}  // namespace Zarn::Encodings
