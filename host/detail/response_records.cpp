#include "host/detail/response_records.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "binding/flat_binding_property.h"

namespace Zarn::Host::detail {
namespace {

constexpr std::uint32_t kReadBufferSize = 4096;
// A stream that goes on past these is taken as one that never ends.
constexpr std::size_t kMaxStreamReads = std::size_t{1} << 20;
constexpr std::size_t kMaxStreamBytes = std::size_t{256} << 20;

std::atomic<std::size_t> liveResponses{0};
std::atomic<std::size_t> repeatedReleases{0};

char* Duplicate(std::string_view text) noexcept {
    auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy == nullptr) return nullptr;
    if (!text.empty()) std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

struct HostStream {
    std::vector<std::string> chunks;
    std::size_t chunk = 0;
    std::size_t offset = 0;
    std::size_t reads = 0;
    std::optional<std::size_t> failingRead;
    bool over = false;
};

std::uint8_t MOX_CDECL ReadHostStream(void* context, std::uint8_t* buffer, std::uint32_t* size,
                                      std::uint8_t* more) {
    if (context == nullptr || size == nullptr || more == nullptr) return 0;
    auto& stream = *static_cast<HostStream*>(context);
    const std::uint32_t capacity = *size;
    *size = 0;
    *more = 0;
    if (stream.over || (buffer == nullptr && capacity != 0)) return 0;
    if (stream.failingRead && *stream.failingRead == stream.reads) {
        stream.over = true;
        return 0;
    }
    ++stream.reads;
    if (stream.chunk < stream.chunks.size()) {
        const std::string& chunk = stream.chunks[stream.chunk];
        std::size_t count = std::min<std::size_t>(capacity, chunk.size() - stream.offset);
        if (count != 0) std::memcpy(buffer, chunk.data() + stream.offset, count);
        stream.offset += count;
        *size = static_cast<std::uint32_t>(count);
        if (stream.offset == chunk.size()) {
            ++stream.chunk;
            stream.offset = 0;
        }
    }
    *more = stream.chunk < stream.chunks.size() ? 1 : 0;
    return 1;
}

void MOX_CDECL CloseHostStream(void* context) {
    if (context != nullptr) static_cast<HostStream*>(context)->over = true;
}

void FailEmpty(ApiResponse& response) noexcept {
    ReleaseHostResponse(&response);
    response.status = 500;
}

}  // namespace

void MOX_CDECL ReleaseHostResponse(ApiResponse* response) {
    // A record the host did not fill, or one already released, is left alone, and counted: the
    // plugin released it a second time (or released what it was never given).
    if (response == nullptr) return;
    if (response->release != &ReleaseHostResponse) {
        repeatedReleases.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    Binding::ReleaseFlat(response->value);
    if (response->error.ownsMessage != 0) std::free(const_cast<char*>(response->error.message));
    std::free(const_cast<char*>(response->statusText));
    if (response->headers != nullptr) {
        for (std::uint32_t i = 0; i < response->headerCount; ++i) {
            std::free(const_cast<char*>(response->headers[i].name));
            std::free(const_cast<char*>(response->headers[i].value));
        }
        std::free(response->headers);
    }
    delete static_cast<HostStream*>(response->streamContext);
    std::memset(static_cast<void*>(response), 0, sizeof(ApiResponse));
    liveResponses.fetch_sub(1, std::memory_order_relaxed);
}

void FillResponse(ApiResponse& response, const HostReply& reply) noexcept {
    std::memset(static_cast<void*>(&response), 0, sizeof(ApiResponse));
    response.release = &ReleaseHostResponse;
    liveResponses.fetch_add(1, std::memory_order_relaxed);

    std::string error = reply.error;
    std::uint32_t status = reply.status;
    if (error.empty()) {
        Binding::BindingResult converted = Binding::ToFlat(reply.value, response.value);
        if (converted.Failed()) {
            error = "Couldn't write the reply's value: " + std::string(converted.Message());
            status = 500;
        }
    }
    if (!error.empty()) {
        response.error.message = Duplicate(error);
        if (response.error.message == nullptr) return FailEmpty(response);
        response.error.ownsMessage = 1;
    }
    response.raw = reply.raw;
    response.form = reply.form <= kApiResponseFormYaml ? reply.form : 0;
    response.status = status;
    response.statusText = Duplicate(reply.statusText);
    if (response.statusText == nullptr) return FailEmpty(response);
    if (!reply.headers.empty()) {
        auto* headers = static_cast<TextPair*>(std::calloc(reply.headers.size(), sizeof(TextPair)));
        if (headers == nullptr) return FailEmpty(response);
        response.headers = headers;
        for (const auto& [name, value] : reply.headers) {
            TextPair& pair = headers[response.headerCount++];
            pair.name = Duplicate(name);
            pair.value = Duplicate(value);
            if (pair.name == nullptr || pair.value == nullptr) return FailEmpty(response);
        }
    }
    if (reply.streamed) {
        HostStream* stream = nullptr;
        try {
            stream = new HostStream{reply.chunks, 0, 0, 0, reply.failingRead, false};
        } catch (...) {
            return FailEmpty(response);
        }
        std::size_t total = 0;
        for (const std::string& chunk : reply.chunks) total += chunk.size();
        response.streamContext = stream;
        response.streamRead = &ReadHostStream;
        response.streamClose = &CloseHostStream;
        response.streamLength = reply.streamLength.value_or(static_cast<std::uint32_t>(total));
    }
}

std::size_t RepeatedHostReleases() noexcept { return repeatedReleases.load(std::memory_order_relaxed); }

std::size_t LiveHostResponses() noexcept { return liveResponses.load(std::memory_order_relaxed); }

HostResult ReadTextPairs(const TextPair* pairs, std::uint32_t count, TextPairs& out) {
    if (count == 0) return HostResult::Success();
    if (pairs == nullptr)
        return HostResult::Failure("a text-pair array is null but counts " + std::to_string(count));
    out.reserve(out.size() + count);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (pairs[i].name == nullptr || pairs[i].value == nullptr) {
            return HostResult::Failure("text pair " + std::to_string(i) + " has a null text");
        }
        out.emplace_back(std::string(pairs[i].name), std::string(pairs[i].value));
    }
    return HostResult::Success();
}

HostResult ReadPluginResponse(ApiResponse& response, CallResult& result) {
    Binding::BindingResult value = Binding::FromFlat(response.value, result.value, "<result>");
    if (value.Failed())
        return HostResult::Failure("the response's value is malformed: " + std::string(value.Message()));
    if (response.error.message != nullptr) result.error = response.error.message;
    result.raw = response.raw;
    result.form = response.form;
    result.status = response.status;
    if (response.statusText != nullptr) result.statusText = response.statusText;
    if (HostResult headers = ReadTextPairs(response.headers, response.headerCount, result.headers);
        headers.Failed()) {
        return HostResult::Failure("the response's headers are malformed: " + headers.Message());
    }
    if (response.streamRead == nullptr) return HostResult::Success();

    result.streamed = true;
    HostResult outcome = HostResult::Success();
    std::uint8_t buffer[kReadBufferSize];
    for (std::size_t reads = 0;; ++reads) {
        if (reads == kMaxStreamReads || result.streamBody.size() > kMaxStreamBytes) {
            outcome = HostResult::Failure("the response's stream does not end");
            break;
        }
        std::uint32_t size = kReadBufferSize;
        std::uint8_t more = 0;
        if (response.streamRead(response.streamContext, buffer, &size, &more) == 0) {
            result.streamFailed = true;
            break;
        }
        if (size > kReadBufferSize) {
            outcome = HostResult::Failure("the response's stream delivered more bytes than the buffer holds");
            break;
        }
        result.streamBody.append(reinterpret_cast<const char*>(buffer), size);
        if (more == 0) break;
    }
    if (response.streamClose != nullptr) response.streamClose(response.streamContext);
    return outcome;
}

}  // namespace Zarn::Host::detail
