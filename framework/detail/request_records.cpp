#include "framework/detail/request_records.h"

#include <algorithm>

#include "binding/flat_binding_property.h"

namespace Zarn::Framework::detail {

ParameterEntries::~ParameterEntries() {
    for (ApiParameter& entry : entries_) Binding::ReleaseFlat(entry.value);
}

Binding::BindingResult ParameterEntries::Build(const Binding::BindingProperty& fields,
                                               const Binding::EnumeratorNames* names) {
    const auto list = fields.Fields();
    names_.reserve(list.size());
    entries_.reserve(list.size());
    for (const Binding::BindingField& field : list) {
        names_.emplace_back(field.Name());
        ApiParameter& entry = entries_.emplace_back();
        entry.value = FlatBindingProperty{};
        Binding::BindingResult result = Binding::ToFlat(field.Value(), entry.value, names);
        if (result.Failed()) return result;
    }
    for (std::size_t i = 0; i < entries_.size(); ++i) entries_[i].name = names_[i].c_str();
    return Binding::BindingResult::MakeSuccess();
}

ResponseRelease::~ResponseRelease() {
    if (response_.release != nullptr) response_.release(&response_);
}

Binding::BindingResult ReadStream(const ApiResponse& response, const std::function<void()>& yieldOnce,
                                  std::string& text) {
    // Closed on every way out, a thrown length error or a failed yield included.
    struct Closer {
        const ApiResponse& response;
        ~Closer() {
            if (response.streamClose != nullptr) response.streamClose(response.streamContext);
        }
    } closer{response};
    Binding::BindingResult result;
    const std::uint32_t expected = response.streamLength;
    text.reserve(std::min(expected, kMaxStreamReserve));
    std::vector<std::uint8_t> buffer(kStreamChunkBytes);
    for (;;) {
        std::uint32_t size = kStreamChunkBytes;
        std::uint8_t more = 0;
        if (response.streamRead(response.streamContext, buffer.data(), &size, &more) == 0 ||
            size > kStreamChunkBytes) {
            result.Fail("Stream read error");
            break;
        }
        text.append(reinterpret_cast<const char*>(buffer.data()), size);
        if (more == 0) break;
        if (size < kStreamChunkBytes) yieldOnce();
    }
    return result;
}

}  // namespace Zarn::Framework::detail
