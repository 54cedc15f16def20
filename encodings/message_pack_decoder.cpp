#include "encodings/message_pack_decoder.h"

#include <algorithm>
#include <bit>
#include <string_view>

#include "encodings/detail/message_pack_format.h"
#include "encodings/detail/value_builder.h"
#include "logging/message_format.h"

namespace Zarn::Encodings {
namespace {

using Binding::BindingProperty;
using detail::MessagePackClass;

struct OpenContainer {
    std::uint64_t remaining = 0;  // elements of an array, pairs of a map
    std::uint64_t count = 0;      // as the header declared it
    std::size_t header = 0;       // offset of the header's format byte
};

class Decoder {
public:
    Decoder(const std::uint8_t* bytes, std::size_t size, Binding::BindingResult& result)
        : bytes_(bytes), size_(size), result_(result), builder_(result.Value()) {}

    std::size_t Position() const noexcept { return position_; }

    // Reads one value; false once the result has failed.
    bool Run() {
        if (size_ == 0) return true;
        do {
            // Input that ends inside open containers is cut short, not a smaller value.
            if (position_ == size_) return Truncated();
            if (builder_.ExpectsKey()) {
                if (!ReadKey()) return false;
                if (position_ == size_) return Truncated();
            }
            if (!ReadValue()) return false;
        } while (!builder_.AtTopLevel());
        return true;
    }

private:
    bool Fail(std::string message) {
        result_.Fail(message);
        return false;
    }

    // Names the innermost open container, where the bytes ran out.
    bool Truncated() {
        const auto& innermost = builder_.Innermost();
        return Fail(Logging::FormatMessage(
            builder_.InnermostIsStructure()
                ? "Invalid MessagePack data. Map of size %1 at position %2 is truncated."
                : "Invalid MessagePack data. Array of size %1 at position %2 is truncated.",
            innermost.data.count, static_cast<std::uint64_t>(innermost.data.header)));
    }

    // A big-endian length, count or number of `width` bytes.
    bool ReadField(std::size_t width, std::uint64_t& value) {
        static constexpr const char* kTruncated[] = {
            "Invalid MessagePack data. 8-bit integer value at position %1 is truncated.",
            "Invalid MessagePack data. 16-bit integer value at position %1 is truncated.",
            "Invalid MessagePack data. 32-bit integer value at position %1 is truncated.",
            "Invalid MessagePack data. 64-bit integer value at position %1 is truncated.",
        };
        if (size_ - position_ < width)
            return Fail(Logging::FormatMessage(kTruncated[std::countr_zero(width)], position_));
        value = 0;
        for (std::size_t i = 0; i < width; ++i) value = (value << 8) | bytes_[position_ + i];
        position_ += width;
        return true;
    }

    bool ReadLength(const detail::MessagePackFormat& format, std::uint8_t formatByte, std::uint64_t& length) {
        switch (format.kind) {
            case MessagePackClass::FixString:
                length = formatByte & 0x1F;
                return true;
            case MessagePackClass::FixArray:
            case MessagePackClass::FixMap:
                length = formatByte & 0x0F;
                return true;
            default:
                return ReadField(format.width, length);
        }
    }

    bool ReadKey() {
        std::uint8_t formatByte = bytes_[position_++];
        const detail::MessagePackFormat& format = detail::kMessagePackFormats[formatByte];
        if (format.kind != MessagePackClass::FixString && format.kind != MessagePackClass::String) {
            return Fail(Logging::FormatMessage(
                "Invalid MessagePack data at position %1. Map keys must be strings.", position_));
        }
        std::uint64_t length = 0;
        if (!ReadLength(format, formatByte, length)) return false;
        if (!PayloadPresent(length,
                            "Invalid MessagePack data. String of size %1 at position %2 is truncated.")) {
            return false;
        }
        builder_.SetKey(std::string_view(reinterpret_cast<const char*>(bytes_ + position_), length));
        position_ += length;
        return true;
    }

    bool PayloadPresent(std::uint64_t length, const char* truncatedMessage) {
        if (size_ - position_ >= length) return true;
        return Fail(Logging::FormatMessage(truncatedMessage, length, position_));
    }

    bool ReadValue() {
        const std::size_t header = position_;
        std::uint8_t formatByte = bytes_[position_++];
        const detail::MessagePackFormat& format = detail::kMessagePackFormats[formatByte];
        std::uint64_t field = 0;
        switch (format.kind) {
            case MessagePackClass::Invalid:
                return Fail(Logging::FormatMessage("Invalid MessagePack data at position %1.", position_));
            case MessagePackClass::Nil:
                builder_.Target();
                break;
            case MessagePackClass::False:
            case MessagePackClass::True:
                builder_.Target().SetBool(format.kind == MessagePackClass::True);
                break;
            case MessagePackClass::PositiveFixInt:
                builder_.Target().SetSigned(formatByte);
                break;
            case MessagePackClass::NegativeFixInt:
                builder_.Target().SetSigned(static_cast<std::int8_t>(formatByte));
                break;
            case MessagePackClass::Unsigned:
                if (!ReadField(format.width, field)) return false;
                builder_.Target().SetUnsigned(field);
                break;
            case MessagePackClass::Signed:
                if (!ReadField(format.width, field)) return false;
                builder_.Target().SetSigned(SignExtend(field, format.width));
                break;
            case MessagePackClass::Float32:
                if (!ReadField(4, field)) return false;
                builder_.Target().SetFloat(std::bit_cast<float>(static_cast<std::uint32_t>(field)));
                break;
            case MessagePackClass::Float64:
                if (!ReadField(8, field)) return false;
                builder_.Target().SetFloat(std::bit_cast<double>(field));
                break;
            case MessagePackClass::FixString:
            case MessagePackClass::String:
                if (!ReadLength(format, formatByte, field)) return false;
                if (!PayloadPresent(
                        field, "Invalid MessagePack data. String of size %1 at position %2 is truncated.")) {
                    return false;
                }
                builder_.Target().SetString(
                    std::string_view(reinterpret_cast<const char*>(bytes_ + position_), field));
                position_ += field;
                break;
            case MessagePackClass::Binary:
                if (!ReadField(format.width, field)) return false;
                if (!PayloadPresent(
                        field,
                        "Invalid MessagePack data. Raw bytes of size %1 at position %2 are truncated.")) {
                    return false;
                }
                builder_.Target().SetBlob(bytes_ + position_, field);
                position_ += field;
                break;
            case MessagePackClass::FixArray:
            case MessagePackClass::Array:
            case MessagePackClass::FixMap:
            case MessagePackClass::Map: {
                if (!ReadLength(format, formatByte, field)) return false;
                bool structure =
                    format.kind == MessagePackClass::FixMap || format.kind == MessagePackClass::Map;
                return Open(field, structure, header);
            }
        }
        Completed();
        return true;
    }

    static std::int64_t SignExtend(std::uint64_t field, std::size_t width) {
        switch (width) {
            case 1:
                return static_cast<std::int8_t>(field);
            case 2:
                return static_cast<std::int16_t>(field);
            case 4:
                return static_cast<std::int32_t>(field);
            default:
                return static_cast<std::int64_t>(field);
        }
    }

    bool Open(std::uint64_t count, bool structure, std::size_t header) {
        if (!builder_.Open(structure, OpenContainer{count, count, header})) {
            return Fail(Logging::FormatMessage(
                "Invalid MessagePack data at position %1. Nesting deeper than %2 levels is not supported.",
                position_, kMaxDecodeDepth));
        }
        if (count == 0) {
            builder_.Close();
            Completed();
        }
        return true;
    }

    // A value is complete: count it in its container, and close every container that it fills.
    void Completed() {
        while (!builder_.AtTopLevel()) {
            if (--builder_.Innermost().data.remaining != 0) return;
            builder_.Close();
        }
    }

    const std::uint8_t* bytes_;
    std::size_t size_;
    std::size_t position_ = 0;
    Binding::BindingResult& result_;
    detail::ValueBuilder<OpenContainer> builder_;
};

}  // namespace

MessagePackDecoding DecodeMessagePack(const std::uint8_t* bytes, std::size_t size) {
    MessagePackDecoding decoding;
    Decoder decoder(bytes, size, decoding.result);
    decoder.Run();
    decoding.consumed = decoder.Position();
    return decoding;
}

}  // namespace Zarn::Encodings
