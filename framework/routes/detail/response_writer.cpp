#include "framework/routes/detail/response_writer.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "binding/flat_binding_property.h"

namespace Zarn::Framework::detail {
namespace {

// A malloc'd NUL-terminated copy; the text stops at its first NUL byte, as C readers see it.
char* CopyText(std::string_view text) noexcept {
    const void* nul = text.empty() ? nullptr : std::memchr(text.data(), '\0', text.size());
    const std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()) : text.size();
    auto* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr) return nullptr;
    if (length != 0) std::memcpy(copy, text.data(), length);
    copy[length] = '\0';
    return copy;
}

void SetError(ApiResponse& response, std::string_view message) noexcept {
    Binding::ReleaseFlatError(response.error);
    response.error.message = CopyText(message);
    response.error.ownsMessage = response.error.message ? 1 : 0;
}

std::uint8_t MOX_CDECL ReadStream(void* context, std::uint8_t* buffer, std::uint32_t* size,
                                  std::uint8_t* more) noexcept {
    if (context == nullptr || size == nullptr || more == nullptr || (buffer == nullptr && *size != 0))
        return 0;
    try {
        bool moreData = false;
        const bool ok = static_cast<ResponseStream*>(context)->Read(buffer, *size, moreData);
        *more = moreData ? 1 : 0;
        if (!ok) *size = 0;
        return ok ? 1 : 0;
    } catch (...) {
        *size = 0;
        *more = 0;
        return 0;
    }
}

void MOX_CDECL CloseStream(void* context) noexcept {
    if (context == nullptr) return;
    try {
        static_cast<ResponseStream*>(context)->Close();
    } catch (...) {
    }
}

}  // namespace

void PrepareResponse(ApiResponse& response) noexcept {
    if (response.release != nullptr) response.release(&response);
    std::memset(&response, 0, sizeof response);
    response.release = &ReleaseResponse;
}

void WriteReply(RouteReply& reply, ApiResponse& response, const Binding::EnumeratorNames* names) {
    response.status = reply.status;
    if (reply.result.Failed()) {
        SetError(response, reply.result.Message());
    } else {
        Binding::BindingResult flat = Binding::ToFlat(reply.result.Value(), response.value, names);
        if (flat.Failed()) {
            response.status = 400;
            SetError(response, flat.Message());
        }
    }
    response.raw = reply.raw;
    response.form = reply.form >= kApiResponseFormJson && reply.form <= kApiResponseFormYaml ? reply.form : 0;
    response.statusText = CopyText(reply.statusText);
    if (!reply.headers.empty()) {
        const std::size_t count = reply.headers.size();
        auto* headers = static_cast<TextPair*>(std::calloc(count, sizeof(TextPair)));
        if (headers == nullptr) throw std::bad_alloc();
        response.headers = headers;
        response.headerCount = static_cast<std::uint32_t>(count);
        for (std::size_t i = 0; i < count; ++i) {
            headers[i].name = CopyText(reply.headers[i].name);
            headers[i].value = CopyText(reply.headers[i].value);
        }
    }
    if (reply.stream) {
        response.streamLength = reply.stream->Length();
        response.streamRead = &ReadStream;
        response.streamClose = &CloseStream;
        response.streamContext = reply.stream.release();
    }
}

void WriteFailure(ApiResponse& response, std::uint32_t status, std::string_view message) noexcept {
    ReleaseResponse(&response);
    response.release = &ReleaseResponse;
    response.status = status;
    SetError(response, message);
    response.statusText = CopyText({});
}

void MOX_CDECL ReleaseResponse(ApiResponse* response) noexcept {
    if (response == nullptr) return;
    Binding::ReleaseFlat(response->value);
    Binding::ReleaseFlatError(response->error);
    std::free(const_cast<char*>(response->statusText));
    for (std::uint32_t i = 0; response->headers != nullptr && i < response->headerCount; ++i) {
        std::free(const_cast<char*>(response->headers[i].name));
        std::free(const_cast<char*>(response->headers[i].value));
    }
    std::free(response->headers);
    delete static_cast<ResponseStream*>(response->streamContext);
    std::memset(response, 0, sizeof *response);
}

}  // namespace Zarn::Framework::detail
