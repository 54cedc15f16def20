// Any bytes read as JSON: no crash, no leak, no undefined behaviour; what is read can be written.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "encodings/json_reader.h"
#include "encodings/json_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto result = Zarn::Encodings::ReadJson(std::string_view(reinterpret_cast<const char*>(data), size));
    if (result.Succeeded()) Zarn::Encodings::WriteJson(result.Value(), nullptr, "\r\n");
    return 0;
}
