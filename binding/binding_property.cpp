#include "binding/binding_property.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "binding/binding_store.h"
#include "binding/detail/interned_string.h"

namespace Zarn::Binding {
namespace {

const BindingProperty& SharedEmptyValue() noexcept {
    static const BindingProperty empty;
    return empty;
}

}  // namespace

bool BindingProperty::NeedsStore(const BindingProperty& value) noexcept {
    switch (value.kind_) {
        case BindingKind::String:
            return value.payload_.string->references != 0;
        case BindingKind::Blob:
        case BindingKind::Enum:
        case BindingKind::Collection:
        case BindingKind::Structure:
            return true;
        default:
            return false;
    }
}

namespace {

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

BindingProperty::BindingProperty(BindingStore* store) noexcept : store_(store) {
    if (store_ != nullptr) store_->AddReference();
}

BindingProperty::~BindingProperty() {
    ReleasePayload();
    if (store_ != nullptr) store_->DropReference();
}

BindingProperty::BindingProperty(const BindingProperty& other) { CopyFrom(other); }

BindingProperty& BindingProperty::operator=(const BindingProperty& other) {
    if (this == &other) return *this;
    // Built aside first: `other` may be nested inside this value, or this inside `other`.
    BindingProperty copy(store_);
    copy.CopyFrom(other);
    ReleasePayload();
    payload_ = copy.payload_;
    kind_ = copy.kind_;
    copy.kind_ = BindingKind::Empty;
    if (copy.store_ != store_) std::swap(copy.store_, store_);
    return *this;
}

BindingProperty::BindingProperty(BindingProperty&& other) noexcept
    : payload_(other.payload_), store_(other.store_), kind_(other.kind_) {
    other.kind_ = BindingKind::Empty;
    other.store_ = nullptr;
}

BindingProperty& BindingProperty::operator=(BindingProperty&& other) noexcept {
    if (this == &other) return *this;
    // Detached before the release: `other` may be nested inside this value.
    const Payload payload = other.payload_;
    const BindingKind kind = other.kind_;
    BindingStore* otherStore = other.store_;
    other.kind_ = BindingKind::Empty;
    other.store_ = nullptr;
    ReleasePayload();
    payload_ = payload;
    kind_ = kind;
    // A payload held in another store brings that store along; a scalar keeps this value's
    // store, if it has one.
    if (otherStore != store_ && (store_ == nullptr || NeedsStore(*this))) std::swap(store_, otherStore);
    if (otherStore != nullptr) otherStore->DropReference();
    return *this;
}

BindingStore& BindingProperty::EnsureStore() {
    if (store_ == nullptr) {
        store_ = BindingStore::Create();
        store_->AddReference();
    }
    return *store_;
}

void BindingProperty::Reset() noexcept { ReleasePayload(); }

void BindingProperty::ReleasePayload() noexcept {
    switch (kind_) {
        case BindingKind::String:
            if (payload_.string->references != 0) store_->Release(payload_.string);
            break;
        case BindingKind::Blob:
            payload_.blob->~Blob();
            store_->blobPool_.Free(payload_.blob);
            break;
        case BindingKind::Enum:
            store_->enumPool_.Free(payload_.enumPair);
            break;
        case BindingKind::Collection:
        case BindingKind::Structure:
            ReleaseContainers();
            break;
        default:
            break;
    }
    kind_ = BindingKind::Empty;
    payload_.unsignedValue = 0;
}

void BindingProperty::ReleaseContainerBlock(std::vector<BindingProperty>& pending) noexcept {
    // Nested containers move to `pending` instead of being released from here, so the depth of
    // a tree never turns into depth of the call stack.
    if (kind_ == BindingKind::Collection) {
        ElementVector* elements = payload_.elements;
        for (BindingProperty& element : *elements) {
            if ((element.kind_ == BindingKind::Collection && !element.payload_.elements->empty()) ||
                (element.kind_ == BindingKind::Structure && !element.payload_.fields->empty())) {
                pending.push_back(std::move(element));
            }
        }
        elements->~ElementVector();
        store_->collectionPool_.Free(elements);
    } else {
        FieldVector* fields = payload_.fields;
        for (BindingField& field : *fields) {
            store_->Release(field.name_);
            BindingProperty& value = field.value_;
            if ((value.kind_ == BindingKind::Collection && !value.payload_.elements->empty()) ||
                (value.kind_ == BindingKind::Structure && !value.payload_.fields->empty())) {
                pending.push_back(std::move(value));
            }
        }
        fields->~FieldVector();
        store_->structurePool_.Free(fields);
    }
    kind_ = BindingKind::Empty;
    payload_.unsignedValue = 0;
}

void BindingProperty::ReleaseContainers() noexcept {
    std::vector<BindingProperty> pending;
    ReleaseContainerBlock(pending);
    while (!pending.empty()) {
        BindingProperty next = std::move(pending.back());
        pending.pop_back();
        next.ReleaseContainerBlock(pending);
    }
}

void BindingProperty::CopyFrom(const BindingProperty& other) {
    // Depth-first with an explicit stack of (source, target) pairs. A container's target
    // elements are all created before any is pushed, so the pointers stay valid.
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
        switch (source.kind_) {
            case BindingKind::Empty:
                target.Reset();
                break;
            case BindingKind::Bool:
            case BindingKind::Signed:
            case BindingKind::Unsigned:
            case BindingKind::Float:
                target.ReleasePayload();
                target.payload_ = source.payload_;
                target.kind_ = source.kind_;
                break;
            case BindingKind::String:
                target.SetString(source.payload_.string->View());
                break;
            case BindingKind::Blob:
                target.SetBlob(*source.payload_.blob);
                break;
            case BindingKind::Enum:
                target.SetEnum(source.payload_.enumPair->value, source.payload_.enumPair->typeId);
                break;
            case BindingKind::Collection: {
                target.Reset();
                target.MakeCollection();
                const ElementVector& from = *source.payload_.elements;
                ElementVector& to = *target.payload_.elements;
                to.reserve(from.size());
                for (std::size_t i = 0; i < from.size(); ++i) {
                    to.push_back(BindingProperty(target.store_));
                }
                for (std::size_t i = from.size(); i-- > 0;) jobs.push_back({&from[i], &to[i]});
                break;
            }
            case BindingKind::Structure: {
                target.Reset();
                target.MakeStructure();
                const FieldVector& from = *source.payload_.fields;
                FieldVector& to = *target.payload_.fields;
                to.reserve(from.size());
                for (const BindingField& field : from) {
                    detail::InternedString* name = target.store_->Intern(field.name_->View());
                    to.push_back(BindingField(name, target.store_));
                }
                for (std::size_t i = from.size(); i-- > 0;) jobs.push_back({&from[i].value_, &to[i].value_});
                break;
            }
        }
    }
}

void BindingProperty::SetBool(bool value) {
    ReleasePayload();
    payload_.boolean = value;
    kind_ = BindingKind::Bool;
}

void BindingProperty::SetSigned(std::int64_t value) {
    ReleasePayload();
    payload_.signedValue = value;
    kind_ = BindingKind::Signed;
}

void BindingProperty::SetUnsigned(std::uint64_t value) {
    ReleasePayload();
    payload_.unsignedValue = value;
    kind_ = BindingKind::Unsigned;
}

void BindingProperty::SetFloat(double value) {
    ReleasePayload();
    payload_.floatValue = value;
    kind_ = BindingKind::Float;
}

void BindingProperty::SetString(const char* text) {
    SetString(text == nullptr ? std::string_view() : std::string_view(text));
}

void BindingProperty::SetString(std::string_view text) {
    // Interned before the old payload goes, so setting a value to its own text is safe.
    detail::InternedString* entry = text.empty() ? detail::SharedEmptyString() : EnsureStore().Intern(text);
    ReleasePayload();
    payload_.string = entry;
    kind_ = BindingKind::String;
}

void BindingProperty::SetBlob(const Blob& bytes) { SetBlob(bytes.data(), bytes.size()); }

void BindingProperty::SetBlob(const std::uint8_t* bytes, std::size_t size) {
    Blob copy(bytes, bytes + size);
    SetBlob(std::move(copy));
}

void BindingProperty::SetBlob(Blob&& bytes) {
    ReleasePayload();
    void* block = EnsureStore().blobPool_.Allocate();
    payload_.blob = new (block) Blob(std::move(bytes));
    bytes.clear();
    kind_ = BindingKind::Blob;
}

void BindingProperty::SetEnum(std::int32_t value, std::uint32_t typeId) {
    ReleasePayload();
    void* block = EnsureStore().enumPool_.Allocate();
    payload_.enumPair = new (block) BindingEnum{value, typeId};
    kind_ = BindingKind::Enum;
}

void BindingProperty::MakeCollection() {
    if (kind_ == BindingKind::Collection) return;
    ReleasePayload();
    void* block = EnsureStore().collectionPool_.Allocate();
    payload_.elements = new (block) ElementVector();
    kind_ = BindingKind::Collection;
}

void BindingProperty::MakeStructure() {
    if (kind_ == BindingKind::Structure) return;
    ReleasePayload();
    void* block = EnsureStore().structurePool_.Allocate();
    payload_.fields = new (block) FieldVector();
    kind_ = BindingKind::Structure;
}

std::size_t BindingProperty::Size() const noexcept {
    switch (kind_) {
        case BindingKind::Empty:
            return 0;
        case BindingKind::String:
            return payload_.string->length;
        case BindingKind::Blob:
            return payload_.blob->size();
        case BindingKind::Collection:
            return payload_.elements->size();
        case BindingKind::Structure:
            return payload_.fields->size();
        default:
            return 1;
    }
}

bool BindingProperty::GetBool(bool defaultValue) const noexcept {
    return kind_ == BindingKind::Bool ? payload_.boolean : defaultValue;
}

std::int64_t BindingProperty::GetSigned(std::int64_t defaultValue) const noexcept {
    return kind_ == BindingKind::Signed ? payload_.signedValue : defaultValue;
}

std::uint64_t BindingProperty::GetUnsigned(std::uint64_t defaultValue) const noexcept {
    return kind_ == BindingKind::Unsigned ? payload_.unsignedValue : defaultValue;
}

double BindingProperty::GetFloat(double defaultValue) const noexcept {
    return kind_ == BindingKind::Float ? payload_.floatValue : defaultValue;
}

std::string_view BindingProperty::GetString(std::string_view defaultValue) const noexcept {
    return kind_ == BindingKind::String ? payload_.string->View() : defaultValue;
}

const BindingProperty::Blob& BindingProperty::GetBlob() const noexcept {
    static const Blob empty;
    return GetBlob(empty);
}

const BindingProperty::Blob& BindingProperty::GetBlob(const Blob& defaultValue) const noexcept {
    return kind_ == BindingKind::Blob ? *payload_.blob : defaultValue;
}

BindingEnum BindingProperty::GetEnum(BindingEnum defaultValue) const noexcept {
    return kind_ == BindingKind::Enum ? *payload_.enumPair : defaultValue;
}

bool BindingProperty::AsBool(bool defaultValue) const noexcept {
    switch (kind_) {
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
    switch (kind_) {
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
    switch (kind_) {
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
    switch (kind_) {
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
    if (kind_ == BindingKind::Collection && index < payload_.elements->size()) {
        return (*payload_.elements)[index];
    }
    return SharedEmptyValue();
}

BindingProperty& BindingProperty::WriteElement(std::size_t index) {
    MakeCollection();
    ElementVector& elements = *payload_.elements;
    if (index >= elements.size()) {
        elements.reserve(index + 1);
        while (elements.size() <= index) elements.push_back(BindingProperty(store_));
    }
    return elements[index];
}

BindingProperty& BindingProperty::AppendElement() {
    MakeCollection();
    return payload_.elements->emplace_back(BindingProperty(store_));
}

void BindingProperty::Reserve(std::size_t count) {
    if (kind_ != BindingKind::Collection) return;
    if (count > kMaxCollectionReserve) throw std::length_error("BindingProperty::Reserve: too many elements");
    payload_.elements->reserve(count);
}

std::span<const BindingProperty> BindingProperty::Elements() const noexcept {
    if (kind_ != BindingKind::Collection) return {};
    return {payload_.elements->data(), payload_.elements->size()};
}

std::span<BindingProperty> BindingProperty::Elements() noexcept {
    if (kind_ != BindingKind::Collection) return {};
    return {payload_.elements->data(), payload_.elements->size()};
}

namespace {

// The first field whose name does not sort before `name`.
template <typename Fields>
auto LowerBound(Fields& fields, std::string_view name) noexcept {
    return std::lower_bound(fields.begin(), fields.end(), name,
                            [](const BindingField& field, std::string_view key) {
                                return detail::CompareKeys(field.Name(), key) < 0;
                            });
}

}  // namespace

const BindingProperty& BindingProperty::Field(std::string_view name) const noexcept {
    if (kind_ != BindingKind::Structure) return SharedEmptyValue();
    const FieldVector& fields = *payload_.fields;
    const auto found = LowerBound(fields, name);
    if (found == fields.end() || found->Name() != name) return SharedEmptyValue();
    return found->value_;
}

BindingProperty& BindingProperty::WriteField(std::string_view name) {
    MakeStructure();
    FieldVector& fields = *payload_.fields;
    // Decoders and copies insert names in ascending order: append without searching.
    if (!fields.empty()) {
        const int order = detail::CompareKeys(fields.back().Name(), name);
        if (order == 0) return fields.back().value_;
        if (order > 0) {
            const auto found = LowerBound(fields, name);
            if (found->Name() == name) return found->value_;
            const auto at = found - fields.begin();
            fields.reserve(fields.size() + 1);
            detail::InternedString* entry = store_->Intern(name);
            return fields.insert(fields.begin() + at, BindingField(entry, store_))->value_;
        }
    }
    fields.reserve(fields.size() + 1);
    detail::InternedString* entry = store_->Intern(name);
    return fields.emplace_back(BindingField(entry, store_)).value_;
}

bool BindingProperty::HasField(std::string_view name) const noexcept {
    if (kind_ != BindingKind::Structure) return false;
    const FieldVector& fields = *payload_.fields;
    const auto found = LowerBound(fields, name);
    return found != fields.end() && found->Name() == name;
}

std::span<const BindingField> BindingProperty::Fields() const noexcept {
    if (kind_ != BindingKind::Structure) return {};
    return {payload_.fields->data(), payload_.fields->size()};
}

bool operator==(const BindingProperty& a, const BindingProperty& b) noexcept {
    // Iterative, like the copy; a failed allocation of the work list reads as "different".
    using Pair = std::pair<const BindingProperty*, const BindingProperty*>;
    std::vector<Pair> pending;
    const BindingProperty* left = &a;
    const BindingProperty* right = &b;
    try {
        for (;;) {
            if (left->kind_ != right->kind_) return false;
            switch (left->kind_) {
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
                    const auto& x = *left->payload_.elements;
                    const auto& y = *right->payload_.elements;
                    if (x.size() != y.size()) return false;
                    for (std::size_t i = 0; i < x.size(); ++i) pending.emplace_back(&x[i], &y[i]);
                    break;
                }
                case BindingKind::Structure: {
                    const auto& x = *left->payload_.fields;
                    const auto& y = *right->payload_.fields;
                    if (x.size() != y.size()) return false;
                    for (std::size_t i = 0; i < x.size(); ++i) {
                        if (x[i].Name() != y[i].Name()) return false;
                        pending.emplace_back(&x[i].Value(), &y[i].Value());
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

BindingField::BindingField(detail::InternedString* name, BindingStore* store) noexcept
    : name_(name), value_(store) {}

std::string_view BindingField::Name() const noexcept { return name_->View(); }

}  // namespace Zarn::Binding
