// Whatever JSON reads, writing it and reading the text again must give back an equal value, and
// writing that gives the same text. Equal means same kinds and payloads, except that "-0" reads as
// "signed" 0 and is written as 0, which reads back "unsigned".
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "encodings/json_reader.h"
#include "encodings/json_writer.h"

namespace {

using Zarn::Binding::BindingKind;
using Zarn::Binding::BindingProperty;

bool IsZeroInteger(const BindingProperty& v) {
    return (v.Kind() == BindingKind::Signed && v.GetSigned() == 0) ||
           (v.Kind() == BindingKind::Unsigned && v.GetUnsigned() == 0);
}

// Walks both trees with an explicit stack: read values may nest as deep as the reader allows.
bool Same(const BindingProperty& first, const BindingProperty& second) {
    std::vector<std::pair<const BindingProperty*, const BindingProperty*>> pending{{&first, &second}};
    while (!pending.empty()) {
        auto [a, b] = pending.back();
        pending.pop_back();
        if (IsZeroInteger(*a) && IsZeroInteger(*b)) continue;
        if (a->Kind() != b->Kind() || a->Size() != b->Size()) return false;
        if (a->Kind() == BindingKind::Collection) {
            for (std::size_t i = 0; i < a->Size(); ++i)
                pending.emplace_back(&a->Elements()[i], &b->Elements()[i]);
        } else if (a->Kind() == BindingKind::Structure) {
            for (std::size_t i = 0; i < a->Size(); ++i) {
                if (a->Fields()[i].Name() != b->Fields()[i].Name()) return false;
                pending.emplace_back(&a->Fields()[i].Value(), &b->Fields()[i].Value());
            }
        } else if (a->Kind() == BindingKind::Float) {
            // Bit for bit: the shortest form must read back to the very same double, -0.0 included.
            double x = a->GetFloat(), y = b->GetFloat();
            if (std::string_view(reinterpret_cast<const char*>(&x), sizeof x) !=
                std::string_view(reinterpret_cast<const char*>(&y), sizeof y)) {
                return false;
            }
        } else if (!(*a == *b)) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto first = Zarn::Encodings::ReadJson(std::string_view(reinterpret_cast<const char*>(data), size));
    if (first.Failed()) return 0;
    std::string text = Zarn::Encodings::WriteJson(first.Value());
    auto second = Zarn::Encodings::ReadJson(text);
    if (second.Failed() || !Same(first.Value(), second.Value())) std::abort();
    if (Zarn::Encodings::WriteJson(second.Value()) != text) std::abort();
    std::string pretty = Zarn::Encodings::WriteJson(first.Value(), nullptr, "\r\n");
    auto third = Zarn::Encodings::ReadJson(pretty);
    if (third.Failed() || !Same(first.Value(), third.Value())) std::abort();
    return 0;
}
