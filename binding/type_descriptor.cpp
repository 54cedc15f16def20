#include "binding/type_descriptor.h"

#include "binding/static_type.h"
#include "binding/type_record.h"

namespace Zarn::Binding {

TypeDescriptor TypeDescriptor::Vector(TypeDescriptor element) {
    TypeDescriptor descriptor(NativeTypeKind::Vector);
    descriptor.element_ = std::make_unique<TypeDescriptor>(std::move(element));
    return descriptor;
}

TypeDescriptor TypeDescriptor::Map(TypeDescriptor element) {
    TypeDescriptor descriptor(NativeTypeKind::Map);
    descriptor.element_ = std::make_unique<TypeDescriptor>(std::move(element));
    return descriptor;
}

TypeDescriptor TypeDescriptor::Enum(const StaticType& type, const TypeRecord* record) {
    TypeDescriptor descriptor(NativeTypeKind::Enum);
    descriptor.type_ = &type;
    descriptor.record_.store(record, std::memory_order_relaxed);
    return descriptor;
}

TypeDescriptor TypeDescriptor::Struct(const StaticType& type, const TypeRecord* record) {
    TypeDescriptor descriptor(NativeTypeKind::Struct);
    descriptor.type_ = &type;
    descriptor.record_.store(record, std::memory_order_relaxed);
    return descriptor;
}

TypeDescriptor::TypeDescriptor(const TypeDescriptor& other)
    : kind_(other.kind_),
      element_(other.element_ ? std::make_unique<TypeDescriptor>(*other.element_) : nullptr),
      type_(other.type_),
      record_(other.Record()) {}

TypeDescriptor& TypeDescriptor::operator=(const TypeDescriptor& other) {
    if (this != &other) *this = TypeDescriptor(other);
    return *this;
}

TypeDescriptor::TypeDescriptor(TypeDescriptor&& other) noexcept
    : kind_(other.kind_), element_(std::move(other.element_)), type_(other.type_), record_(other.Record()) {}

TypeDescriptor& TypeDescriptor::operator=(TypeDescriptor&& other) noexcept {
    kind_ = other.kind_;
    element_ = std::move(other.element_);
    type_ = other.type_;
    record_.store(other.Record(), std::memory_order_release);
    return *this;
}

TypeDescriptor::~TypeDescriptor() = default;

std::string TypeDescriptor::NativeName() const {
    if (kind_ == NativeTypeKind::Enum || kind_ == NativeTypeKind::Struct) {
        if (const TypeRecord* record = Record()) return record->Name();
    }
    return std::string(NativeTypeKindName(kind_));
}

std::string TypeDescriptor::HelpName() const {
    switch (kind_) {
        case NativeTypeKind::Vector:
            return "list[" + (element_ ? element_->HelpName() : std::string()) + "]";
        case NativeTypeKind::Map:
            return "dict[" + (element_ ? element_->HelpName() : std::string()) + "]";
        case NativeTypeKind::Enum:
        case NativeTypeKind::Struct:
            return "L{" + NativeName() + "}";
        default:
            return std::string(NativeTypeKindHelpName(kind_));
    }
}

TypeIdentifier TypeDescriptor::Identifier() const {
    TypeIdentifier identifier{NativeName(), {}};
    if ((kind_ == NativeTypeKind::Vector || kind_ == NativeTypeKind::Map) && element_) {
        identifier.elementType = element_->NativeName();
    }
    return identifier;
}

void TypeDescriptor::AttachRecord(std::uint32_t typeId, const TypeRecord* record) const {
    if (type_ && type_->Id() == typeId && Record() == nullptr)
        record_.store(record, std::memory_order_release);
    if (element_) element_->AttachRecord(typeId, record);
}

}  // namespace Zarn::Binding
