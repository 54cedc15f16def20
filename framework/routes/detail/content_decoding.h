// Turns what a local API request carries as text or bytes into values: text values of arguments
// by the content type given for them (or by detection), and bodies by their content type. Content
// types are compared without regard to case and by prefix, so parameters such as
// "; charset=utf-8" do not matter. Pure functions, any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "binding/binding_result.h"

namespace Zarn::Framework::detail {

enum class ContentEncoding { Plain, MessagePack, Json, Yaml, Blob, Unsupported };

// Text values: "application/x-msgpack" (also "-ext"), "application/json", "text/x-yaml",
// "application/octet-stream", in this order; any other type is plain text.
ContentEncoding TextValueEncoding(std::string_view contentType);

// Bodies: "application/json" and "application/vnd.api+json", "application/x-yaml",
// "application/x-msgpack", matched exactly and without regard to case by the media type (the part
// before any ";", trimmed); any other type, and none, is Unsupported.
ContentEncoding BodyEncoding(std::string_view contentType);

// Decodes one text value of argument `argument` of function `function`. With a content type the
// encoding follows it; without one and with detection allowed, the value is read as MessagePack,
// JSON or YAML, whichever it is first, and otherwise stays plain text. Plain text gives a string
// value. Failures carry "Couldn't deserialize <encoding> value for parameter '<argument>' of
// '<function>': <decoder's message>".
Binding::BindingResult DecodeTextValue(std::string_view text, std::optional<std::string_view> contentType,
                                       bool allowDetection, std::string_view argument,
                                       std::string_view function);

// Decodes a body for argument `argument`: "Unsupported body content type" for a type outside the
// list, "Extra MessgePack data found in body" for bytes after a MessagePack value, and the
// deserialize messages above for malformed bodies.
Binding::BindingResult DecodeBody(const std::uint8_t* bytes, std::size_t size, std::string_view contentType,
                                  std::string_view argument, std::string_view function);

// Whether the bytes form valid UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

}  // namespace Zarn::Framework::detail
