#include "binding/binding_property.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <numeric>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "binding/binding_store.h"
#include "binding/detail/interned_string.h"
#include "binding/detail/store_ids.h"
#include "binding/detail/value_storage.h"

namespace Zarn::Binding {
namespace {

const BindingProperty& SharedEmptyValue() noexcept {
    static const BindingProperty empty;
    return empty;
}

constexpr double kTwoTo63 = 9223372036854775808.0;
constexpr double kTwoTo64 = 18446744073709551616.0;

// Truncation toward zero that saturates instead of overflowing; NaN reads as 0.
std::int64_t TruncateToSigned(double value) noexcept {
    if (std::isnan(value)) return 0;
    if (value >= kTwoTo63) return std::numeric_limits<std::int64_t>::max();
    if (value < -kTwoTo63) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

std::string Base64(const std::uint8_t* bytes, std::size_t size) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((size + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const std::uint32_t group = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += kAlphabet[(group >> 6) & 63];
        text += kAlphabet[group & 63];
    }
    if (i < size) {
        const bool two = i + 1 < size;
        const std::uint32_t group = (bytes[i] << 16) | (two ? bytes[i + 1] << 8 : 0);
        text += kAlphabet[(group >> 18) & 63];
        text += kAlphabet[(group >> 12) & 63];
        text += two ? kAlphabet[(group >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

}  // namespace

// Payload, store id, kind and name id: 16 bytes on 64-bit and 32-bit builds alike, and a field
// no more than its value.
static_assert(sizeof(BindingProperty) == 16);
static_assert(sizeof(BindingField) == sizeof(BindingProperty));

inline BindingStore* BindingProperty::StoreOf() const noexcept { return detail::StoreWithId(StoreId()); }

const BindingStore* BindingProperty::Store() const noexcept { return StoreOf(); }

struct BindingProperty::Detached {
    Payload payload;
    BindingStore* store;
    BindingKind kind;
    bool counted;  // a marker of kind "empty" with this set drops the reference after the subtree
};

bool BindingProperty::NeedsStore(BindingKind kind, const Payload& payload) noexcept {
    switch (kind) {
        case BindingKind::String:
            return payload.string->references != 0;
        case BindingKind::Blob:
        case BindingKind::Enum:
        case BindingKind::Collection:
        case BindingKind::Structure:
            return true;
        default:
            return false;
    }
}

bool BindingProperty::IsFilledContainer(const BindingProperty& value) noexcept {
    return (value.Kind() == BindingKind::Collection && value.payload_.elements->size != 0) ||
           (value.Kind() == BindingKind::Structure && value.payload_.fields->size != 0);
}

// An empty container: a header alone, counted among the store's blocks.
template <typename T>
detail::ValueArray<T>* BindingProperty::NewArray(BindingStore& store) {
    auto* array = static_cast<detail::ValueArray<T>*>(store.AllocateChunk(detail::ValueArray<T>::Bytes(0)));
    array->size = 0;
    array->capacity = 0;
    ++store.containers_;
    return array;
}

// Moves the container into a chunk of `capacity` items and points `array` at it.
template <typename T>
void BindingProperty::GrowArray(BindingStore& store, detail::ValueArray<T>*& array, std::size_t capacity) {
    if (capacity > std::numeric_limits<std::uint32_t>::max() ||
        capacity > (std::numeric_limits<std::size_t>::max() - 8) / sizeof(T)) {
        throw std::length_error("BindingProperty: too many elements");
    }
    using Array = detail::ValueArray<T>;
    auto* grown = static_cast<Array*>(store.AllocateChunk(Array::Bytes(capacity)));
    // Values hold no pointers to themselves, so moving their bytes relocates them.
    std::memcpy(static_cast<void*>(grown), static_cast<const void*>(array), Array::Bytes(array->size));
    store.FreeChunk(array, Array::Bytes(array->capacity));
    grown->capacity = static_cast<std::uint32_t>(capacity);
    array = grown;
}

template <typename T>
void BindingProperty::ShrinkArray(BindingStore& store, detail::ValueArray<T>*& array) noexcept {
    using Array = detail::ValueArray<T>;
    if (array->capacity == array->size ||
        store.SameChunkSize(Array::Bytes(array->capacity), Array::Bytes(array->size)))
        return;
    try {
        GrowArray(store, array, array->size);
    } catch (const std::bad_alloc&) {
        // Keeping the spare room is harmless.
    }
}

// Room for one more item: doubling, starting at two.
template <typename T>
void BindingProperty::ReserveOneMore(BindingStore& store, detail::ValueArray<T>*& array) {
    if (array->size == array->capacity)
        GrowArray(store, array, array->capacity == 0 ? 2 : std::size_t{array->capacity} * 2);
}

BindingProperty::~BindingProperty() {
    if (counted_) {
        BindingStore* store = StoreOf();
        // The last holder frees the store whole: no walk over the tree.
        if (store->SoleHolder()) {
            store->DropReference();
            return;
        }
        ReleasePayload();
        store->DropReference();
        return;
    }
    ReleasePayload();
}

BindingProperty::BindingProperty(const BindingProperty& other) { CopyFrom(other); }

BindingProperty& BindingProperty::operator=(const BindingProperty& other) {
    if (this == &other) return *this;
    // Built aside first: `other` may be nested inside this value, or this inside `other`.
    BindingProperty copy(StoreId());
    copy.CopyFrom(other);
    ReleasePayload();
    payload_ = copy.payload_;
    SetKind(copy.Kind());
    copy.SetKind(BindingKind::Empty);
    if (copy.StoreId() != StoreId()) AdoptStore(copy.TakeStoreReference());
    return *this;
}

BindingProperty::BindingProperty(BindingProperty&& other) noexcept
    : payload_(other.payload_),
      storeIdLow_(other.storeIdLow_),
      storeIdHigh_(other.storeIdHigh_),
      kind_(other.kind_),
      counted_(other.counted_) {
    other.SetKind(BindingKind::Empty);
    other.payload_.unsignedValue = 0;
    if (other.counted_) {
        other.SetStoreId(0);
        other.counted_ = false;
    } else if (StoreId() != 0) {
        // Out of a container: the new value must keep the store alive on its own.
        StoreOf()->AddReference();
        counted_ = true;
    }
}

BindingProperty& BindingProperty::operator=(BindingProperty&& other) noexcept {
    if (this == &other) return *this;
    // A payload held in another store brings that store along; a scalar keeps this value's
    // store, if it has one.
    const bool adopt =
        other.StoreId() != StoreId() && (StoreId() == 0 || NeedsStore(other.Kind(), other.payload_));
    BindingStore* incoming = adopt ? other.TakeStoreReference() : nullptr;
    // Detached before the release: `other` may be nested inside this value.
    const Payload payload = other.payload_;
    const BindingKind kind = other.Kind();
    other.SetKind(BindingKind::Empty);
    other.payload_.unsignedValue = 0;
    ReleasePayload();
    payload_ = payload;
    SetKind(kind);
    if (adopt) AdoptStore(incoming);
    return *this;
}

BindingStore* BindingProperty::TakeStoreReference() noexcept {
    BindingStore* store = StoreOf();
    if (counted_) {
        SetStoreId(0);
        counted_ = false;
    } else {
        store->AddReference();
    }
    return store;
}

void BindingProperty::AdoptStore(BindingStore* store) noexcept {
    if (counted_) {
        StoreOf()->DropReference();
    } else if (StoreId() != 0) {
        // This is a slot of its store's tree: that tree now holds a subtree of another store.
        StoreOf()->hasForeignSubtrees_ = true;
    }
    SetStoreId(store->id_);
    counted_ = true;
}

BindingStore& BindingProperty::EnsureStore() {
    if (StoreId() == 0) {
        BindingStore* store = BindingStore::Create();
        store->AddReference();
        SetStoreId(store->id_);
        counted_ = true;
        return *store;
    }
    return *StoreOf();
}

void BindingProperty::Reset() noexcept {
    if (counted_ && Kind() != BindingKind::Empty && StoreOf()->SoleHolder()) {
        StoreOf()->ReleaseAll();
        SetKind(BindingKind::Empty);
        payload_.unsignedValue = 0;
        return;
    }
    ReleasePayload();
}

void BindingProperty::ReleaseStoredPayload() noexcept {
    switch (Kind()) {
        case BindingKind::String:
            if (payload_.string->references != 0) StoreOf()->Release(payload_.string);
            break;
        case BindingKind::Blob:
            StoreOf()->DeleteBlob(payload_.blob);
            break;
        case BindingKind::Enum:
            StoreOf()->enumPool_.Free(payload_.enumPair);
            break;
        case BindingKind::Collection:
        case BindingKind::Structure:
            ReleaseContainers();
            break;
        default:
            break;
    }
}

void BindingProperty::ReleaseContainers() noexcept {
    // Nested containers go to a work list instead of being released from here, so the depth of
    // a tree never turns into depth of the call stack.
    std::vector<Detached> pending;
    ReleaseContainerBlock({payload_, StoreOf(), Kind(), false}, pending);
    while (!pending.empty()) {
        const Detached item = pending.back();
        pending.pop_back();
        if (item.kind == BindingKind::Empty) {
            item.store->DropReference();
            continue;
        }
        if (item.counted) {
            if (item.store->SoleHolder()) {
                item.store->DropReference();
                continue;
            }
            pending.push_back({{}, item.store, BindingKind::Empty, true});
        }
        ReleaseContainerBlock(item, pending);
    }
}

void BindingProperty::ReleaseContainerBlock(const Detached& item, std::vector<Detached>& pending) noexcept {
    auto releaseSlot = [&pending](BindingProperty& slot) {
        if (IsFilledContainer(slot)) {
            pending.push_back({slot.payload_, slot.StoreOf(), slot.Kind(), slot.counted_ != 0});
            return;
        }
        slot.ReleasePayload();
        if (slot.counted_) slot.StoreOf()->DropReference();
    };
    BindingStore& store = *item.store;
    if (item.kind == BindingKind::Collection) {
        ElementArray* elements = item.payload.elements;
        for (std::size_t i = 0; i < elements->size; ++i) releaseSlot(elements->Items()[i]);
        store.FreeChunk(elements, ElementArray::Bytes(elements->capacity));
        --store.containers_;
    } else {
        FieldArray* fields = item.payload.fields;
        for (std::size_t i = 0; i < fields->size; ++i) {
            store.Release(fields->Items()[i].NameEntry());
            releaseSlot(fields->Items()[i].value_);
        }
        store.FreeChunk(fields, FieldArray::Bytes(fields->capacity));
        --store.containers_;
    }
}

// Copies a scalar into an empty slot on the spot, so that only values holding stored payloads
// go through the copy's work list; false for those.
bool BindingProperty::CopyScalar(const BindingProperty& source, BindingProperty& slot) noexcept {
    if (source.Kind() > BindingKind::Float) return false;
    slot.payload_ = source.payload_;
    slot.SetKind(source.Kind());
    return true;
}

void BindingProperty::CopyFrom(const BindingProperty& other) {
    // Depth-first with an explicit stack of (source, target) pairs. A container's target
    // slots are all created before any is pushed, so the pointers stay valid.
    struct Job {
        const BindingProperty* source;
        BindingProperty* target;
    };
    std::vector<Job> jobs;
    jobs.push_back({&other, this});
    while (!jobs.empty()) {
        const Job job = jobs.back();
        jobs.pop_back();
        const BindingProperty& source = *job.source;
        BindingProperty& target = *job.target;
        switch (source.Kind()) {
            case BindingKind::Empty:
            case BindingKind::Bool:
            case BindingKind::Signed:
            case BindingKind::Unsigned:
            case BindingKind::Float:
                target.ReleasePayload();
                CopyScalar(source, target);
                break;
            case BindingKind::String:
                if (source.StoreId() == target.StoreId() && source.StoreId() != 0) {
                    target.StoreOf()->AddReference(source.payload_.string);
                    target.ReleasePayload();
                    target.payload_.string = source.payload_.string;
                    target.SetKind(BindingKind::String);
                } else {
                    target.SetString(source.payload_.string->View());
                }
                break;
            case BindingKind::Blob:
                target.SetBlob(*source.payload_.blob);
                break;
            case BindingKind::Enum:
                target.SetEnum(source.payload_.enumPair->value, source.payload_.enumPair->typeId);
                break;
            case BindingKind::Collection: {
                target.ReleasePayload();
                target.MakeCollection();
                const ElementArray& from = *source.payload_.elements;
                if (from.size != 0) GrowArray(*target.StoreOf(), target.payload_.elements, from.size);
                ElementArray& to = *target.payload_.elements;
                for (std::size_t i = 0; i < from.size; ++i)
                    new (&to.Items()[i]) BindingProperty(target.StoreId());
                to.size = from.size;
                for (std::size_t i = from.size; i-- > 0;) {
                    if (!CopyScalar(from.Items()[i], to.Items()[i]))
                        jobs.push_back({&from.Items()[i], &to.Items()[i]});
                }
                break;
            }
            case BindingKind::Structure: {
                target.ReleasePayload();
                target.MakeStructure();
                const FieldArray& from = *source.payload_.fields;
                if (from.size != 0) GrowArray(*target.StoreOf(), target.payload_.fields, from.size);
                FieldArray& to = *target.payload_.fields;
                const bool sameStore = source.StoreId() == target.StoreId();
                for (std::size_t i = 0; i < from.size; ++i) {
                    detail::InternedString* name = from.Items()[i].NameEntry();
                    if (sameStore) {
                        target.StoreOf()->AddReference(name);
                    } else {
                        name = target.StoreOf()->InternName(name->View(), name->prefix);
                    }
                    new (&to.Items()[i]) BindingField(name, target.StoreId());
                    ++to.size;
                }
                for (std::size_t i = from.size; i-- > 0;) {
                    if (!CopyScalar(from.Items()[i].value_, to.Items()[i].value_))
                        jobs.push_back({&from.Items()[i].value_, &to.Items()[i].value_});
                }
                break;
            }
        }
    }
}

void BindingProperty::SetString(const char* text) {
    SetString(text == nullptr ? std::string_view() : std::string_view(text));
}

void BindingProperty::SetString(std::string_view text) {
    // Interned before the old payload goes, so setting a value to its own text is safe.
    detail::InternedString* entry = text.empty() ? detail::SharedEmptyString() : EnsureStore().Intern(text);
    ReleasePayload();
    payload_.string = entry;
    SetKind(BindingKind::String);
}

void BindingProperty::SetBlob(const Blob& bytes) { SetBlob(bytes.data(), bytes.size()); }

void BindingProperty::SetBlob(const std::uint8_t* bytes, std::size_t size) {
    Blob copy(bytes, bytes + size);
    SetBlob(std::move(copy));
}

void BindingProperty::SetBlob(Blob&& bytes) {
    Blob taken = std::move(bytes);
    bytes.clear();
    Blob* blob = EnsureStore().NewBlob(std::move(taken));
    ReleasePayload();
    payload_.blob = blob;
    SetKind(BindingKind::Blob);
}

void BindingProperty::SetEnum(std::int32_t value, std::uint32_t typeId) {
    void* block = EnsureStore().enumPool_.Allocate();
    ReleasePayload();
    payload_.enumPair = new (block) BindingEnum{value, typeId};
    SetKind(BindingKind::Enum);
}

void BindingProperty::MakeCollection() {
    if (Kind() == BindingKind::Collection) return;
    ElementArray* elements = NewArray<BindingProperty>(EnsureStore());
    ReleasePayload();
    payload_.elements = elements;
    SetKind(BindingKind::Collection);
}

void BindingProperty::MakeStructure() {
    if (Kind() == BindingKind::Structure) return;
    FieldArray* fields = NewArray<BindingField>(EnsureStore());
    ReleasePayload();
    payload_.fields = fields;
    SetKind(BindingKind::Structure);
}

std::size_t BindingProperty::Size() const noexcept {
    switch (Kind()) {
        case BindingKind::Empty:
            return 0;
        case BindingKind::String:
            return payload_.string->length;
        case BindingKind::Blob:
            return payload_.blob->size();
        case BindingKind::Collection:
            return payload_.elements->size;
        case BindingKind::Structure:
            return payload_.fields->size;
        default:
            return 1;
    }
}

bool BindingProperty::GetBool(bool defaultValue) const noexcept {
    return Kind() == BindingKind::Bool ? payload_.boolean : defaultValue;
}

std::int64_t BindingProperty::GetSigned(std::int64_t defaultValue) const noexcept {
    return Kind() == BindingKind::Signed ? payload_.signedValue : defaultValue;
}

std::uint64_t BindingProperty::GetUnsigned(std::uint64_t defaultValue) const noexcept {
    return Kind() == BindingKind::Unsigned ? payload_.unsignedValue : defaultValue;
}

double BindingProperty::GetFloat(double defaultValue) const noexcept {
    return Kind() == BindingKind::Float ? payload_.floatValue : defaultValue;
}

std::string_view BindingProperty::GetString(std::string_view defaultValue) const noexcept {
    return Kind() == BindingKind::String ? payload_.string->View() : defaultValue;
}

const BindingProperty::Blob& BindingProperty::GetBlob() const noexcept {
    static const Blob empty;
    return GetBlob(empty);
}

const BindingProperty::Blob& BindingProperty::GetBlob(const Blob& defaultValue) const noexcept {
    return Kind() == BindingKind::Blob ? *payload_.blob : defaultValue;
}

BindingEnum BindingProperty::GetEnum(BindingEnum defaultValue) const noexcept {
    return Kind() == BindingKind::Enum ? *payload_.enumPair : defaultValue;
}

bool BindingProperty::AsBool(bool defaultValue) const noexcept {
    switch (Kind()) {
        case BindingKind::Empty:
            return defaultValue;
        case BindingKind::Bool:
            return payload_.boolean;
        case BindingKind::Signed:
        case BindingKind::Unsigned:
            return payload_.unsignedValue != 0;
        case BindingKind::Float:
            return payload_.floatValue != 0.0;
        case BindingKind::String: {
            const std::string_view text = payload_.string->View();
            return text == "true" || text == "1";
        }
        case BindingKind::Enum:
            return payload_.enumPair->value != 0;
        default:
            return Size() != 0;
    }
}

std::int64_t BindingProperty::AsSigned(std::int64_t defaultValue) const noexcept {
    switch (Kind()) {
        case BindingKind::Bool:
            return payload_.boolean ? 1 : 0;
        case BindingKind::Signed:
        case BindingKind::Unsigned:
            return payload_.signedValue;
        case BindingKind::Float:
            return TruncateToSigned(payload_.floatValue);
        case BindingKind::String:
            // strtoll gives the nearest limit on overflow; the text always ends with a NUL.
            return std::strtoll(payload_.string->Text(), nullptr, 0);
        case BindingKind::Enum:
            return payload_.enumPair->value;
        default:
            return defaultValue;
    }
}

std::uint64_t BindingProperty::AsUnsigned(std::uint64_t defaultValue) const noexcept {
    switch (Kind()) {
        case BindingKind::Float: {
            const double value = payload_.floatValue;
            if (value >= kTwoTo64) return std::numeric_limits<std::uint64_t>::max();
            if (value >= kTwoTo63) return static_cast<std::uint64_t>(value);
            return static_cast<std::uint64_t>(TruncateToSigned(value));
        }
        case BindingKind::String:
            return std::strtoull(payload_.string->Text(), nullptr, 0);
        case BindingKind::Bool:
        case BindingKind::Signed:
        case BindingKind::Unsigned:
        case BindingKind::Enum:
            return static_cast<std::uint64_t>(AsSigned(0));
        default:
            return defaultValue;
    }
}

std::string BindingProperty::AsString(std::string_view defaultValue) const {
    switch (Kind()) {
        case BindingKind::Bool:
            return payload_.boolean ? "true" : "false";
        case BindingKind::Signed:
            return std::to_string(payload_.signedValue);
        case BindingKind::Unsigned:
            return std::to_string(payload_.unsignedValue);
        case BindingKind::Enum:
            return std::to_string(payload_.enumPair->value);
        case BindingKind::Float: {
            const int length = std::snprintf(nullptr, 0, "%f", payload_.floatValue);
            std::string text(static_cast<std::size_t>(length), '\0');
            std::snprintf(text.data(), text.size() + 1, "%f", payload_.floatValue);
            return text;
        }
        case BindingKind::String:
            return std::string(payload_.string->View());
        case BindingKind::Blob:
            return Base64(payload_.blob->data(), payload_.blob->size());
        default:
            return std::string(defaultValue);
    }
}

const BindingProperty& BindingProperty::Element(std::size_t index) const noexcept {
    if (Kind() == BindingKind::Collection && index < payload_.elements->size)
        return payload_.elements->Items()[index];
    return SharedEmptyValue();
}

BindingProperty& BindingProperty::WriteElement(std::size_t index) {
    MakeCollection();
    if (index >= payload_.elements->size) {
        if (index >= payload_.elements->capacity) {
            GrowArray(*StoreOf(), payload_.elements,
                      std::max(index + 1, std::size_t{payload_.elements->capacity} * 2));
        }
        ElementArray& elements = *payload_.elements;
        for (std::size_t i = elements.size; i <= index; ++i)
            new (&elements.Items()[i]) BindingProperty(StoreId());
        elements.size = static_cast<std::uint32_t>(index + 1);
    }
    return payload_.elements->Items()[index];
}

BindingProperty& BindingProperty::AppendElement() {
    MakeCollection();
    ReserveOneMore(*StoreOf(), payload_.elements);
    ElementArray& elements = *payload_.elements;
    return *new (&elements.Items()[elements.size++]) BindingProperty(StoreId());
}

void BindingProperty::Reserve(std::size_t count) {
    if (Kind() != BindingKind::Collection) return;
    if (count > kMaxCollectionReserve) throw std::length_error("BindingProperty::Reserve: too many elements");
    if (count > payload_.elements->capacity) GrowArray(*StoreOf(), payload_.elements, count);
}

void BindingProperty::ShrinkToFit() noexcept {
    if (Kind() == BindingKind::Collection) {
        ShrinkArray(*StoreOf(), payload_.elements);
    } else if (Kind() == BindingKind::Structure) {
        ShrinkArray(*StoreOf(), payload_.fields);
    }
}

std::span<const BindingProperty> BindingProperty::Elements() const noexcept {
    if (Kind() != BindingKind::Collection) return {};
    return {payload_.elements->Items(), payload_.elements->size};
}

std::span<BindingProperty> BindingProperty::Elements() noexcept {
    if (Kind() != BindingKind::Collection) return {};
    return {payload_.elements->Items(), payload_.elements->size};
}

const BindingField* BindingProperty::LowerBound(const BindingField* first, std::size_t count,
                                                std::uint64_t prefix, std::string_view name) noexcept {
    while (count > 0) {
        const std::size_t half = count / 2;
        if (detail::CompareKeys(first[half].NameEntry(), prefix, name) < 0) {
            first += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    return first;
}

const BindingField* BindingProperty::FindField(std::string_view name) const noexcept {
    if (Kind() != BindingKind::Structure) return nullptr;
    const FieldArray& fields = *payload_.fields;
    const std::uint64_t prefix = detail::KeyPrefix(name.data(), name.size());
    const BindingField* end = fields.Items() + fields.size;
    const BindingField* found = LowerBound(fields.Items(), fields.size, prefix, name);
    if (found == end || found->NameEntry()->prefix != prefix || found->Name() != name) return nullptr;
    return found;
}

const BindingProperty& BindingProperty::Field(std::string_view name) const noexcept {
    const BindingField* found = FindField(name);
    return found != nullptr ? found->value_ : SharedEmptyValue();
}

bool BindingProperty::HasField(std::string_view name) const noexcept { return FindField(name) != nullptr; }

BindingProperty& BindingProperty::WriteField(std::string_view name) {
    MakeStructure();
    FieldArray& fields = *payload_.fields;
    const std::uint64_t prefix = detail::KeyPrefix(name.data(), name.size());
    std::size_t at = fields.size;
    // Decoders and copies insert names in ascending order: the last field decides.
    if (fields.size != 0) {
        const int order = detail::CompareKeys(fields.Items()[fields.size - 1].NameEntry(), prefix, name);
        if (order == 0) return fields.Items()[fields.size - 1].value_;
        if (order > 0) {
            const BindingField* found = LowerBound(fields.Items(), fields.size, prefix, name);
            if (found->NameEntry()->prefix == prefix && found->Name() == name) {
                return const_cast<BindingField*>(found)->value_;
            }
            at = static_cast<std::size_t>(found - fields.Items());
        }
    }
    return InsertField(at, name, prefix);
}

BindingProperty& BindingProperty::InsertField(std::size_t at, std::string_view name, std::uint64_t prefix) {
    BindingStore& store = *StoreOf();
    // Room first, so that nothing can fail once the name is counted.
    ReserveOneMore(store, payload_.fields);
    FieldArray& fields = *payload_.fields;
    detail::InternedString* entry = store.InternName(name, prefix);
    BindingField* slot = fields.Items() + at;
    if (at != fields.size) {
        std::memmove(static_cast<void*>(slot + 1), static_cast<const void*>(slot),
                     (fields.size - at) * sizeof(BindingField));
    }
    new (slot) BindingField(entry, StoreId());
    ++fields.size;
    return slot->value_;
}

BindingProperty& BindingProperty::AppendFieldUnsorted(std::string_view name) {
    MakeStructure();
    FieldArray& fields = *payload_.fields;
    const std::uint64_t prefix = detail::KeyPrefix(name.data(), name.size());
    if (fields.size != 0 &&
        detail::CompareKeys(fields.Items()[fields.size - 1].NameEntry(), prefix, name) == 0)
        return fields.Items()[fields.size - 1].value_;
    return InsertField(fields.size, name, prefix);
}

void BindingProperty::SortFields() {
    if (Kind() != BindingKind::Structure) return;
    FieldArray& fields = *payload_.fields;
    const auto compare = [&fields](std::uint32_t a, std::uint32_t b) noexcept {
        const detail::InternedString* right = fields.Items()[b].NameEntry();
        return detail::CompareKeys(fields.Items()[a].NameEntry(), right->prefix, right->View());
    };
    std::uint32_t ordered = 1;
    while (ordered < fields.size && compare(ordered - 1, ordered) < 0) ++ordered;
    if (ordered >= fields.size) return;

    // Indices sorted stably: of one name, the field appended last ends its run.
    std::vector<std::uint32_t> order(fields.size);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&compare](std::uint32_t a, std::uint32_t b) { return compare(a, b) < 0; });
    const auto superseded = [&](std::size_t i) {
        return i + 1 < order.size() && compare(order[i], order[i + 1]) == 0;
    };
    std::size_t kept = 0;
    for (std::size_t i = 0; i < order.size(); ++i) kept += superseded(i) ? 0 : 1;
    auto* sortedArray = static_cast<FieldArray*>(StoreOf()->AllocateChunk(FieldArray::Bytes(kept)));
    BindingField* sorted = sortedArray->Items();

    // Nothing fails from here on.
    std::size_t at = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        BindingField& field = fields.Items()[order[i]];
        if (superseded(i)) {
            StoreOf()->Release(field.NameEntry());
            field.value_.ReleasePayload();
            if (field.value_.counted_) field.value_.StoreOf()->DropReference();
            continue;
        }
        // Values hold no pointers to themselves, so moving their bytes relocates them.
        std::memcpy(static_cast<void*>(sorted + at++), static_cast<const void*>(&field),
                    sizeof(BindingField));
    }
    StoreOf()->FreeChunk(&fields, FieldArray::Bytes(fields.capacity));
    sortedArray->size = static_cast<std::uint32_t>(kept);
    sortedArray->capacity = static_cast<std::uint32_t>(kept);
    payload_.fields = sortedArray;
}

std::span<const BindingField> BindingProperty::Fields() const noexcept {
    if (Kind() != BindingKind::Structure) return {};
    return {payload_.fields->Items(), payload_.fields->size};
}

bool operator==(const BindingProperty& a, const BindingProperty& b) noexcept {
    // Iterative, like the copy; a failed allocation of the work list reads as "different".
    using Pair = std::pair<const BindingProperty*, const BindingProperty*>;
    std::vector<Pair> pending;
    const BindingProperty* left = &a;
    const BindingProperty* right = &b;
    try {
        for (;;) {
            if (left->Kind() != right->Kind()) return false;
            switch (left->Kind()) {
                case BindingKind::Empty:
                    break;
                case BindingKind::Bool:
                    if (left->payload_.boolean != right->payload_.boolean) return false;
                    break;
                case BindingKind::Signed:
                case BindingKind::Unsigned:
                    if (left->payload_.unsignedValue != right->payload_.unsignedValue) return false;
                    break;
                case BindingKind::Float:
                    if (!(left->payload_.floatValue == right->payload_.floatValue)) return false;
                    break;
                case BindingKind::String:
                    if (left->payload_.string != right->payload_.string &&
                        left->payload_.string->View() != right->payload_.string->View()) {
                        return false;
                    }
                    break;
                case BindingKind::Blob:
                    if (*left->payload_.blob != *right->payload_.blob) return false;
                    break;
                case BindingKind::Enum:
                    if (!(*left->payload_.enumPair == *right->payload_.enumPair)) return false;
                    break;
                case BindingKind::Collection: {
                    const BindingProperty::ElementArray& x = *left->payload_.elements;
                    const BindingProperty::ElementArray& y = *right->payload_.elements;
                    if (x.size != y.size) return false;
                    for (std::size_t i = 0; i < x.size; ++i)
                        pending.emplace_back(&x.Items()[i], &y.Items()[i]);
                    break;
                }
                case BindingKind::Structure: {
                    const BindingProperty::FieldArray& x = *left->payload_.fields;
                    const BindingProperty::FieldArray& y = *right->payload_.fields;
                    if (x.size != y.size) return false;
                    for (std::size_t i = 0; i < x.size; ++i) {
                        if (x.Items()[i].Name() != y.Items()[i].Name()) return false;
                        pending.emplace_back(&x.Items()[i].Value(), &y.Items()[i].Value());
                    }
                    break;
                }
            }
            if (pending.empty()) return true;
            std::tie(left, right) = pending.back();
            pending.pop_back();
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace Zarn::Binding
