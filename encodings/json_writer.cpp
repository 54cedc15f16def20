#include "encodings/json_writer.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__GNUC__)
#define MOX_FLATTEN __attribute__((flatten))
#else
#define MOX_FLATTEN
#endif

namespace Zarn::Encodings {
namespace {

using Binding::BindingKind;
using Binding::BindingProperty;

rapidjson::SizeType JsonLength(std::size_t size) { return static_cast<rapidjson::SizeType>(size); }

template <typename Writer>
class ValueWriter {
public:
    ValueWriter(Writer& writer, const Binding::EnumeratorNames* names) : writer_(writer), names_(names) {}

    // One loop with the writer's calls inlined into it, as a recursive writer over a DOM gets
    // them: left to itself, the compiler calls out for every string and separator.
    MOX_FLATTEN void Write(const BindingProperty& root) {
        WriteNode(root);
        while (!stack_.empty()) {
            Frame& frame = stack_.back();
            if (frame.left == 0) {
                if (frame.structure) {
                    writer_.EndObject();
                } else {
                    writer_.EndArray();
                }
                stack_.pop_back();
                continue;
            }
            --frame.left;
            // WriteNode may grow the stack: `frame` is not used after it.
            if (frame.structure) {
                const Binding::BindingField& field = *frame.nextField++;
                std::string_view name = field.Name();
                writer_.Key(name.data(), JsonLength(name.size()));
                WriteNode(field.Value());
            } else {
                WriteNode(*frame.nextElement++);
            }
        }
    }

private:
    // The items of an open container still to write.
    struct Frame {
        const BindingProperty* nextElement;
        const Binding::BindingField* nextField;
        std::size_t left;
        bool structure;
    };

    void WriteNode(const BindingProperty& value) {
        switch (value.Kind()) {
            case BindingKind::Bool:
                writer_.Bool(value.GetBool());
                break;
            // Numbers that fit 32 bits take the writer's shorter conversion; the text is the same.
            case BindingKind::Signed: {
                const std::int64_t number = value.GetSigned();
                if (number >= INT32_MIN && number <= INT32_MAX) {
                    writer_.Int(static_cast<int>(number));
                } else {
                    writer_.Int64(number);
                }
                break;
            }
            case BindingKind::Unsigned: {
                const std::uint64_t number = value.GetUnsigned();
                if (number <= UINT32_MAX) {
                    writer_.Uint(static_cast<unsigned>(number));
                } else {
                    writer_.Uint64(number);
                }
                break;
            }
            case BindingKind::Float:
                if (std::isfinite(value.GetFloat())) {
                    writer_.Double(value.GetFloat());
                } else {
                    writer_.Null();
                }
                break;
            case BindingKind::String: {
                std::string_view text = value.GetString();
                writer_.String(text.data(), JsonLength(text.size()));
                break;
            }
            case BindingKind::Blob: {
                std::string base64 = value.AsString();
                writer_.String(base64.data(), JsonLength(base64.size()));
                break;
            }
            case BindingKind::Enum: {
                Binding::BindingEnum pair = value.GetEnum();
                const char* name = names_ ? names_->EnumeratorName(pair.typeId, pair.value) : nullptr;
                if (name) {
                    writer_.String(name);
                } else {
                    writer_.Int(pair.value);
                }
                break;
            }
            case BindingKind::Collection: {
                writer_.StartArray();
                auto elements = value.Elements();
                stack_.push_back(Frame{elements.data(), nullptr, elements.size(), false});
                break;
            }
            case BindingKind::Structure: {
                writer_.StartObject();
                auto fields = value.Fields();
                stack_.push_back(Frame{nullptr, fields.data(), fields.size(), true});
                break;
            }
            default:
                writer_.Null();
                break;
        }
    }

    Writer& writer_;
    const Binding::EnumeratorNames* names_;
    std::vector<Frame> stack_;
};

std::string ReplaceLineBreaks(std::string_view text, std::string_view lineBreak) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\n') {
            out += lineBreak;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string WriteJson(const BindingProperty& value, const Binding::EnumeratorNames* names,
                      std::string_view lineBreak) {
    if (value.Kind() == BindingKind::Empty) return {};
    rapidjson::StringBuffer buffer;
    if (lineBreak.empty()) {
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        ValueWriter(writer, names).Write(value);
    } else {
        rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
        writer.SetIndent(' ', 4);
        ValueWriter(writer, names).Write(value);
        // Escaped strings hold no raw line feed, so every one left is a line break of the layout.
        if (lineBreak != "\n") return ReplaceLineBreaks({buffer.GetString(), buffer.GetSize()}, lineBreak);
    }
    return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace Zarn::Encodings
