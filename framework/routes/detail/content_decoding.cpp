#include "framework/routes/detail/content_decoding.h"

#include <string>

#include "encodings/json_reader.h"
#include "encodings/message_pack_decoder.h"
#include "encodings/yaml_decoder.h"
#include "logging/message_format.h"

namespace Zarn::Framework::detail {
namespace {

using Binding::BindingResult;

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiLower(text[i]) != prefix[i]) return false;
    }
    return true;
}

bool EqualsNoCase(std::string_view text, std::string_view lowerCase) {
    return text.size() == lowerCase.size() && StartsWithNoCase(text, lowerCase);
}

// The media type of a content type: the part before any parameters, without surrounding blanks.
std::string_view MediaType(std::string_view contentType) {
    std::string_view type = contentType.substr(0, contentType.find(';'));
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!type.empty() && blank(type.front())) type.remove_prefix(1);
    while (!type.empty() && blank(type.back())) type.remove_suffix(1);
    return type;
}

const char* EncodingName(ContentEncoding encoding) {
    switch (encoding) {
        case ContentEncoding::MessagePack:
            return "MessagePack";
        case ContentEncoding::Json:
            return "JSON";
        case ContentEncoding::Yaml:
            return "YAML";
        default:
            return "";
    }
}

BindingResult DeserializeFailure(ContentEncoding encoding, std::string_view argument,
                                 std::string_view function, std::string_view message) {
    return BindingResult::MakeFailure(
        Logging::FormatMessage("Couldn't deserialize %1 value for parameter '%2' of '%3': %4",
                               EncodingName(encoding), argument, function, message));
}

const std::uint8_t* BytesOf(std::string_view text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

// One value filling the whole text; a value followed by more bytes fails.
BindingResult DecodeWholeMessagePack(std::string_view text) {
    Encodings::MessagePackDecoding decoding = Encodings::DecodeMessagePack(BytesOf(text), text.size());
    if (decoding.result.Succeeded() && decoding.consumed != text.size()) {
        decoding.result.Fail(Logging::FormatMessage("Extra MessagePack data found at offset %1",
                                                    static_cast<std::uint64_t>(decoding.consumed)));
    }
    return std::move(decoding.result);
}

BindingResult Decode(ContentEncoding encoding, std::string_view text) {
    switch (encoding) {
        case ContentEncoding::MessagePack:
            return DecodeWholeMessagePack(text);
        case ContentEncoding::Json:
            return Encodings::ReadJson(text);
        case ContentEncoding::Yaml:
            return Encodings::DecodeYaml(text);
        case ContentEncoding::Blob: {
            BindingResult result;
            result.Value().SetBlob(BytesOf(text), text.size());
            return result;
        }
        default: {
            BindingResult result;
            result.Value().SetString(text);
            return result;
        }
    }
}

BindingResult Detect(std::string_view text) {
    // Every one-character ASCII text is also a whole MessagePack integer ("7" would read as 55),
    // and only such texts are both valid UTF-8 and MessagePack of any use: text is taken as text.
    if (!IsValidUtf8(text)) {
        BindingResult result = DecodeWholeMessagePack(text);
        if (result.Succeeded()) return result;
    }
    for (ContentEncoding encoding : {ContentEncoding::Json, ContentEncoding::Yaml}) {
        BindingResult result = Decode(encoding, text);
        if (result.Succeeded()) return result;
    }
    return Decode(ContentEncoding::Plain, text);
}

}  // namespace

ContentEncoding TextValueEncoding(std::string_view contentType) {
    if (StartsWithNoCase(contentType, "application/x-msgpack")) return ContentEncoding::MessagePack;
    if (StartsWithNoCase(contentType, "application/json")) return ContentEncoding::Json;
    if (StartsWithNoCase(contentType, "text/x-yaml")) return ContentEncoding::Yaml;
    if (StartsWithNoCase(contentType, "application/octet-stream")) return ContentEncoding::Blob;
    return ContentEncoding::Plain;
}

// Exact media types: a prefix match would take "application/jsonx" for JSON.
ContentEncoding BodyEncoding(std::string_view contentType) {
    const std::string_view type = MediaType(contentType);
    if (EqualsNoCase(type, "application/json") || EqualsNoCase(type, "application/vnd.api+json")) {
        return ContentEncoding::Json;
    }
    if (EqualsNoCase(type, "application/x-yaml")) return ContentEncoding::Yaml;
    if (EqualsNoCase(type, "application/x-msgpack")) return ContentEncoding::MessagePack;
    return ContentEncoding::Unsupported;
}

BindingResult DecodeTextValue(std::string_view text, std::optional<std::string_view> contentType,
                              bool allowDetection, std::string_view argument, std::string_view function) {
    if (!contentType && allowDetection) return Detect(text);
    const ContentEncoding encoding = contentType ? TextValueEncoding(*contentType) : ContentEncoding::Plain;
    BindingResult result = Decode(encoding, text);
    if (result.Failed()) return DeserializeFailure(encoding, argument, function, result.Message());
    return result;
}

BindingResult DecodeBody(const std::uint8_t* bytes, std::size_t size, std::string_view contentType,
                         std::string_view argument, std::string_view function) {
    const ContentEncoding encoding = BodyEncoding(contentType);
    if (encoding == ContentEncoding::Unsupported) {
        return BindingResult::MakeFailure("Unsupported body content type");
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes), bytes ? size : 0);
    if (encoding == ContentEncoding::MessagePack) {
        Encodings::MessagePackDecoding decoding = Encodings::DecodeMessagePack(BytesOf(text), text.size());
        if (decoding.result.Failed()) {
            return DeserializeFailure(encoding, argument, function, decoding.result.Message());
        }
        if (decoding.consumed != text.size()) {
            return BindingResult::MakeFailure("Extra MessgePack data found in body");
        }
        return std::move(decoding.result);
    }
    BindingResult result = Decode(encoding, text);
    if (result.Failed()) return DeserializeFailure(encoding, argument, function, result.Message());
    return result;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t value = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07u;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u) return false;
            value = (value << 6) | (next & 0x3Fu);
        }
        if ((length == 3 && value < 0x800) || (length == 4 && value < 0x10000) || value > 0x10FFFF ||
            (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace Zarn::Framework::detail
