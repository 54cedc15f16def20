// Any bytes decoded as YAML: no crash, no leak, no undefined behaviour; what is decoded can be
// written as JSON.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "encodings/json_writer.h"
#include "encodings/yaml_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto result = Zarn::Encodings::DecodeYaml(std::string_view(reinterpret_cast<const char*>(data), size));
    if (result.Succeeded()) Zarn::Encodings::WriteJson(result.Value());
    return 0;
}
