// What a route's handler answers: a value of its result type or a failure with a status and a
// message, plus what the response record carries besides (status, status text, headers, the raw
// flag, the form code, a stream). Handlers run on the host's thread, inside an invocation.
//
//   RouteResult<Stats> GetStats() {
//       if (!stats_) return NotFound("No end of game stats available.");
//       return *stats_;
//   }
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "binding/binding_result.h"

namespace Zarn::Framework {

// A response body delivered in chunks. The response record takes it over: the host reads it
// through the record's stream functions and the record's release destroys it.
class ResponseStream {
public:
    virtual ~ResponseStream() = default;
    // Delivers up to `size` bytes (the buffer's capacity) and sets `size` to the bytes delivered
    // and `more` to whether more may follow; false on a read error.
    virtual bool Read(std::uint8_t* buffer, std::uint32_t& size, bool& more) = 0;
    // The expected length in bytes, a capacity hint for the reader.
    virtual std::uint32_t Length() const = 0;
    // No read follows; the stream is destroyed later, with the record.
    virtual void Close() {}
};

struct ResponseHeader {
    std::string name;
    std::string value;
};

struct RouteFailure {
    std::uint32_t status = 0;
    std::string message;
};

// Status 404 with the message, or "Not found" when it is empty.
RouteFailure NotFound(std::string_view message = {});
// Status 500 with the message, or "Internal server error" when it is empty.
RouteFailure InternalServerError(std::string_view message = {});

// A handler's answer with its value already converted: what the invoker writes into the
// response record.
struct RouteReply {
    Binding::BindingResult result;  // the value, or a failure carrying the error text
    std::uint32_t status = 0;       // 0 when the handler set none
    std::string statusText;
    std::uint8_t raw = 0;
    std::uint32_t form = 0;  // 1, 2 or 3; other values are written as 0
    std::vector<ResponseHeader> headers;
    std::unique_ptr<ResponseStream> stream;

    static RouteReply Failure(std::uint32_t status, std::string_view message);
};

template <typename T = void>
class RouteResult {
public:
    using Stored = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

    // A success without a value.
    RouteResult() requires std::is_void_v<T> : value_(std::monostate{}) {}
    template <typename U = T>
    requires(!std::is_void_v<U>) RouteResult(U value) : value_(std::move(value)) {}
    RouteResult(RouteFailure failure) {
        reply_.status = failure.status;
        reply_.result.Fail(failure.message);
    }

    // Each setter returns the result itself, so that a result built in a return statement can be
    // completed in place: return RouteResult<Item>(item).Header("x-a", "1");
    RouteResult& Status(std::uint32_t code, std::string_view text = {}) & {
        reply_.status = code;
        reply_.statusText = std::string(text);
        return *this;
    }
    RouteResult&& Status(std::uint32_t code, std::string_view text = {}) && {
        return std::move(Status(code, text));
    }
    RouteResult& Header(std::string_view name, std::string_view value) & {
        reply_.headers.push_back({std::string(name), std::string(value)});
        return *this;
    }
    RouteResult&& Header(std::string_view name, std::string_view value) && {
        return std::move(Header(name, value));
    }
    RouteResult& Stream(std::unique_ptr<ResponseStream> stream) & {
        reply_.stream = std::move(stream);
        return *this;
    }
    RouteResult&& Stream(std::unique_ptr<ResponseStream> stream) && {
        return std::move(Stream(std::move(stream)));
    }
    // The value is a text or blob to be passed on unchanged rather than encoded.
    RouteResult& Raw(bool raw = true) & {
        reply_.raw = raw ? 1 : 0;
        return *this;
    }
    RouteResult&& Raw(bool raw = true) && { return std::move(Raw(raw)); }
    RouteResult& Form(std::uint32_t form) & {
        reply_.form = form;
        return *this;
    }
    RouteResult&& Form(std::uint32_t form) && { return std::move(Form(form)); }

    bool Succeeded() const { return reply_.result.Succeeded(); }
    std::string_view Message() const { return reply_.result.Message(); }
    std::uint32_t StatusCode() const { return reply_.status; }
    // Engaged on success.
    const std::optional<Stored>& Value() const { return value_; }

    // For the route table: the value, and the reply it is converted into.
    std::optional<Stored>& MutableValue() { return value_; }
    RouteReply& Reply() { return reply_; }

private:
    std::optional<Stored> value_;
    RouteReply reply_;
};

}  // namespace Zarn::Framework
