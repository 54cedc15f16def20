// A compact typed rendering of values for test tables, so "unsigned" 1 ("u1") and "signed" 1
// ("s1") differ: null, true/false, s<n>, u<n>, f<shortest double>, "<text>" (bytes outside
// printable ASCII as \xHH), blob:<hex>, enum:<value>@<type id>, [a,b], {key:value,...}.
#pragma once

#include <charconv>
#include <cstdio>
#include <string>

#include "binding/binding_property.h"

namespace Zarn::Encodings::Testing {

inline std::string Describe(const Binding::BindingProperty& value) {
    using Binding::BindingKind;
    auto hex = [](unsigned char c) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%02x", c);
        return std::string(buffer);
    };
    switch (value.Kind()) {
        case BindingKind::Empty:
            return "null";
        case BindingKind::Bool:
            return value.GetBool() ? "true" : "false";
        case BindingKind::Signed:
            return "s" + std::to_string(value.GetSigned());
        case BindingKind::Unsigned:
            return "u" + std::to_string(value.GetUnsigned());
        case BindingKind::Float: {
            char buffer[64];
            auto end = std::to_chars(buffer, buffer + sizeof buffer, value.GetFloat()).ptr;
            return "f" + std::string(buffer, end);
        }
        case BindingKind::String: {
            std::string out = "\"";
            for (unsigned char c : value.GetString()) {
                if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
                    out += "\\x" + hex(c);
                } else {
                    out += static_cast<char>(c);
                }
            }
            return out + "\"";
        }
        case BindingKind::Blob: {
            std::string out = "blob:";
            for (unsigned char c : value.GetBlob()) out += hex(c);
            return out;
        }
        case BindingKind::Enum:
            return "enum:" + std::to_string(value.GetEnum().value) + "@" +
                   std::to_string(value.GetEnum().typeId);
        case BindingKind::Collection: {
            std::string out = "[";
            for (const auto& element : value.Elements())
                out += (out.size() > 1 ? "," : "") + Describe(element);
            return out + "]";
        }
        case BindingKind::Structure: {
            std::string out = "{";
            for (const auto& field : value.Fields()) {
                out +=
                    (out.size() > 1 ? "," : "") + std::string(field.Name()) + ":" + Describe(field.Value());
            }
            return out + "}";
        }
    }
    return "?";
}

}  // namespace Zarn::Encodings::Testing
