// BindingProperty: the self-describing tree value through which every payload, argument, result
// and body passes. A value has one of ten kinds (binding_kind.h); strings, blobs, enum pairs,
// collections and structures live in the BindingStore shared by the whole tree.
//
// Threads: a tree and its store are not locked; one thread at a time works on a tree (a value
// moved out of a tree still shares that tree's store). Trees with different stores are
// independent.
//
// Lifetimes: references and views returned by the accessors stay valid until the value they
// came from is changed; growing a collection or adding a field may move its elements.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_kind.h"
#include "binding/detail/interned_string.h"
#include "binding/detail/name_ids.h"

namespace Zarn::Binding {

namespace detail {
template <typename T>
struct ValueArray;
}  // namespace detail

class BindingStore;
class BindingField;

// The deepest nesting of collections and structures accepted from outside (host records and
// decoded documents): a top-level container is level 1. Real payloads stay below ten levels;
// the bound keeps hostile input from exhausting the stack or the time of the host's thread.
inline constexpr std::size_t kMaxNestingDepth = 1000;

// The largest count Reserve accepts.
inline constexpr std::size_t kMaxCollectionReserve = 0x0FFFFFFF;

// The payload of an "enum" value: the enumerator and the id of its registered enum type.
struct BindingEnum {
    std::int32_t value = 0;
    std::uint32_t typeId = 0;

    friend bool operator==(const BindingEnum&, const BindingEnum&) = default;
};

class BindingProperty {
public:
    using Blob = std::vector<std::uint8_t>;

    // Kind "empty", no store.
    BindingProperty() noexcept {}
    ~BindingProperty();

    // Deep copy: the copy gets a store of its own (or keeps the target's), so the two trees are
    // independent. Assigning a value to itself does nothing.
    BindingProperty(const BindingProperty& other);
    BindingProperty& operator=(const BindingProperty& other);

    // Takes over the payload; `other` is left "empty". Moving a value into one of its own
    // descendants is not allowed (it would contain itself).
    BindingProperty(BindingProperty&& other) noexcept;
    BindingProperty& operator=(BindingProperty&& other) noexcept;

    // Releases the payload (nested values included, without recursion) and leaves "empty". The
    // value keeps its store, so values written into it later stay in the same tree.
    void Reset() noexcept;

    // Setters: each releases the current payload first.
    void SetBool(bool value) noexcept {
        ReleasePayload();
        payload_.boolean = value;
        SetKind(BindingKind::Bool);
    }
    void SetSigned(std::int64_t value) noexcept {
        ReleasePayload();
        payload_.signedValue = value;
        SetKind(BindingKind::Signed);
    }
    void SetUnsigned(std::uint64_t value) noexcept {
        ReleasePayload();
        payload_.unsignedValue = value;
        SetKind(BindingKind::Unsigned);
    }
    void SetFloat(double value) noexcept {
        ReleasePayload();
        payload_.floatValue = value;
        SetKind(BindingKind::Float);
    }
    // A NUL-terminated text; null counts as the empty text.
    void SetString(const char* text);
    // Any bytes, NUL included. An empty text refers to the shared empty string.
    void SetString(std::string_view text);
    void SetBlob(const Blob& bytes);
    void SetBlob(const std::uint8_t* bytes, std::size_t size);
    // Takes over the vector's buffer; `bytes` is left empty.
    void SetBlob(Blob&& bytes);
    void SetEnum(std::int32_t value, std::uint32_t typeId);
    // An empty collection or structure; a value that already is one is left unchanged.
    void MakeCollection();
    void MakeStructure();

    BindingKind Kind() const noexcept { return static_cast<BindingKind>(kind_); }
    // 0 for "empty"; bytes of a "string" or "blob"; elements of a "collection"; fields of a
    // "structure"; 1 otherwise.
    std::size_t Size() const noexcept;
    // Null until the value first needed storage.
    const BindingStore* Store() const noexcept;

    // Typed getters: the payload when the kind matches exactly, otherwise the default. They never
    // convert between kinds ("signed" is not read by GetUnsigned, nor the reverse).
    bool GetBool(bool defaultValue = false) const noexcept;
    std::int64_t GetSigned(std::int64_t defaultValue = 0) const noexcept;
    std::uint64_t GetUnsigned(std::uint64_t defaultValue = 0) const noexcept;
    double GetFloat(double defaultValue = 0.0) const noexcept;
    std::string_view GetString(std::string_view defaultValue = {}) const noexcept;
    // The default is a shared empty blob unless given.
    const Blob& GetBlob() const noexcept;
    const Blob& GetBlob(const Blob& defaultValue) const noexcept;
    BindingEnum GetEnum(BindingEnum defaultValue = {}) const noexcept;

    // Lenient readings, for members of parsed documents; they never fail.
    // bool: its value; signed/unsigned/enum: not 0; float: not equal to 0.0 (NaN is true);
    // string: exactly "true" or "1"; blob/collection/structure: not empty; empty: false.
    bool AsBool(bool defaultValue = false) const noexcept;
    // bool 0/1; signed/unsigned as their 64 bits; float truncated toward zero (saturating);
    // string parsed like strtoll with base 0 (overflow gives the nearest limit); enum
    // sign-extended; empty/blob/collection/structure give the default.
    std::int64_t AsSigned(std::int64_t defaultValue = 0) const noexcept;
    // As AsSigned with the text parsed like strtoull (a negative number wraps, overflow gives
    // the largest value); a float from 2^63 up keeps its full unsigned magnitude.
    std::uint64_t AsUnsigned(std::uint64_t defaultValue = 0) const noexcept;
    // bool "true"/"false"; numbers and enums in decimal; float as printf "%f"; string its text;
    // blob its standard Base64 with padding; empty/collection/structure give the default.
    std::string AsString(std::string_view defaultValue = {}) const;

    // Collections. Reading an element that does not exist (or of a value that is not a
    // collection) gives a shared static empty value.
    const BindingProperty& Element(std::size_t index) const noexcept;
    // Makes the value a collection if it is not one, appends empty elements until `index`
    // exists, and returns that element.
    BindingProperty& WriteElement(std::size_t index);
    // Makes the value a collection if it is not one and appends one empty element.
    BindingProperty& AppendElement();
    // Only for collections (other kinds: nothing); a count above kMaxCollectionReserve throws
    // std::length_error; a count not above the capacity does nothing.
    void Reserve(std::size_t count);
    // The elements in order; empty for other kinds.
    std::span<const BindingProperty> Elements() const noexcept;
    std::span<BindingProperty> Elements() noexcept;

    // Structures. Reading a missing field (or of a value that is not a structure) gives the
    // shared static empty value.
    const BindingProperty& Field(std::string_view name) const noexcept;
    // Makes the value a structure if it is not one, inserts an empty field if `name` is
    // missing, and returns the field (an existing field is returned as it is, to be
    // overwritten in place). Inserting names in ascending order is the cheap path.
    BindingProperty& WriteField(std::string_view name);
    bool HasField(std::string_view name) const noexcept;
    // For building a structure whose names may come in any order (decoders, flat records):
    // appends a field without keeping key order, except that a name equal to the last field's
    // returns that field. Lookups are wrong until SortFields has run: read nothing before.
    BindingProperty& AppendFieldUnsorted(std::string_view name);
    // Puts the fields in key order once, O(n log n) whatever the order they came in; of fields
    // of one name the last appended is kept. Fields already in order cost one pass. Other kinds:
    // nothing. Throws std::bad_alloc, with the fields left as they were.
    void SortFields();
    // The fields in key order: unsigned byte order, a prefix before the longer name ("B" before
    // "a", bytes from 0x80 after ASCII). Empty for other kinds.
    std::span<const BindingField> Fields() const noexcept;

    // For collections and structures: gives back the spare room of the block holding their
    // items, once no more are expected (decoders call it as a container closes). Other kinds,
    // and a failed allocation: nothing.
    void ShrinkToFit() noexcept;

    // Deep comparison: same kind and equal payload, recursively; floats compare by value (so a
    // NaN differs from itself and 0.0 equals -0.0); enums compare value and type id; stores do
    // not matter.
    friend bool operator==(const BindingProperty& a, const BindingProperty& b) noexcept;

private:
    friend class BindingStore;
    friend class BindingField;
    friend class BindingBuilder;
    using ElementArray = detail::ValueArray<BindingProperty>;
    using FieldArray = detail::ValueArray<BindingField>;
    struct Detached;

    union Payload {
        bool boolean;
        std::int64_t signedValue;
        std::uint64_t unsignedValue;
        double floatValue;
        detail::InternedString* string;
        Blob* blob;
        BindingEnum* enumPair;
        ElementArray* elements;
        FieldArray* fields;
    };

    // An element or field slot of `store`, inside its container's count.
    explicit BindingProperty(std::uint32_t storeId, std::uint32_t nameId = 0) noexcept
        : storeIdLow_(static_cast<std::uint16_t>(storeId)),
          storeIdHigh_(static_cast<std::uint8_t>(storeId >> 16)),
          nameId_(nameId) {}
    std::uint32_t StoreId() const noexcept { return storeIdLow_ | (std::uint32_t{storeIdHigh_} << 16); }
    void SetStoreId(std::uint32_t id) noexcept {
        storeIdLow_ = static_cast<std::uint16_t>(id);
        storeIdHigh_ = static_cast<std::uint8_t>(id >> 16);
    }
    void SetKind(BindingKind kind) noexcept { kind_ = static_cast<std::uint8_t>(kind); }
    BindingStore* StoreOf() const noexcept;
    static bool NeedsStore(BindingKind kind, const Payload& payload) noexcept;
    static bool IsFilledContainer(const BindingProperty& value) noexcept;
    template <typename T>
    static void GrowArray(BindingStore& store, detail::ValueArray<T>*& array, std::size_t capacity);
    template <typename T>
    static void ShrinkArray(BindingStore& store, detail::ValueArray<T>*& array) noexcept;
    template <typename T>
    static void ReserveOneMore(BindingStore& store, detail::ValueArray<T>*& array);
    template <typename T>
    static detail::ValueArray<T>* NewArray(BindingStore& store);
    static const BindingField* LowerBound(const BindingField* first, std::size_t count, std::uint64_t prefix,
                                          std::string_view name) noexcept;
    static void ReleaseContainerBlock(const Detached& item, std::vector<Detached>& pending) noexcept;
    BindingStore& EnsureStore();
    // The store with one counted reference for the caller; this value keeps none.
    BindingStore* TakeStoreReference() noexcept;
    // Switches to `store`, whose counted reference the caller hands over.
    void AdoptStore(BindingStore* store) noexcept;
    // Leaves "empty"; scalars hold nothing to release, so setting one over another needs no call.
    void ReleasePayload() noexcept {
        if (Kind() >= BindingKind::String) ReleaseStoredPayload();
        SetKind(BindingKind::Empty);
        payload_.unsignedValue = 0;
    }
    // The release of a string, blob, enum or container; ReleasePayload then leaves "empty".
    void ReleaseStoredPayload() noexcept;
    void ReleaseContainers() noexcept;
    static bool CopyScalar(const BindingProperty& source, BindingProperty& slot) noexcept;
    void CopyFrom(const BindingProperty& other);
    const BindingField* FindField(std::string_view name) const noexcept;
    BindingProperty& InsertField(std::size_t at, std::string_view name, std::uint64_t prefix);

    Payload payload_{.unsignedValue = 0};
    // The store by its id (detail/store_ids.h), 0 for none: 24 bits, a quarter of the room of a
    // pointer. The id and the kind are members of their own widths, not bit-fields of one word:
    // the kind is written as a byte, and a whole-word read of the id right after that write
    // would wait for the write to reach the cache.
    std::uint16_t storeIdLow_ = 0;
    std::uint8_t storeIdHigh_ = 0;
    std::uint8_t kind_ = 0;  // a BindingKind
    // The name of the field whose value this is (detail/name_ids.h), 0 otherwise. It belongs to
    // the slot, not to the payload: copies and moves leave it where it is, and only relocating a
    // slot's bytes (growing or sorting its structure) carries it along. Both are 32-bit bit-fields
    // so that every compiler packs them alike.
    std::uint32_t nameId_ : 31 = 0;
    std::uint32_t counted_ : 1 = 0;  // holds one reference to the store
};

// One field of a structure: its value, whose slot also holds the id of the field's interned name.
class BindingField {
public:
    std::string_view Name() const noexcept { return NameEntry()->View(); }
    const BindingProperty& Value() const noexcept { return value_; }

    // Fields live only inside their structure.
    BindingField(const BindingField&) = delete;
    BindingField& operator=(const BindingField&) = delete;

private:
    friend class BindingProperty;
    friend class BindingStore;
    // `name` holds a name id and one counted reference for the field.
    BindingField(const detail::InternedString* name, std::uint32_t storeId) noexcept
        : value_(storeId, name->nameId) {}
    detail::InternedString* NameEntry() const noexcept { return detail::NameWithId(value_.nameId_); }

    BindingProperty value_;
};

}  // namespace Zarn::Binding
