// What a field, argument or conversion target is: a native kind plus, for vectors and maps, the element's
// descriptor and, for enumerations and structures, the native type whose registered record describes it.
// The registry attaches that record when the field is added or, if the type is registered later, when it
// is; a descriptor whose type never gets registered keeps no record ("enum" / "struct").
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "binding/native_type_kind.h"

namespace Zarn::Binding {

class StaticType;
class TypeRecord;

// The pair help reports for a type: its native name, and for vectors and maps the element's.
struct TypeIdentifier {
    std::string type;
    std::string elementType;

    bool operator==(const TypeIdentifier&) const = default;
};

class TypeDescriptor {
public:
    TypeDescriptor() = default;
    // A kind that needs no element or record (bool ... blob, object, callback).
    explicit TypeDescriptor(NativeTypeKind kind) : kind_(kind) {}
    static TypeDescriptor Vector(TypeDescriptor element);
    static TypeDescriptor Map(TypeDescriptor element);
    static TypeDescriptor Enum(const StaticType& type, const TypeRecord* record = nullptr);
    static TypeDescriptor Struct(const StaticType& type, const TypeRecord* record = nullptr);

    TypeDescriptor(const TypeDescriptor& other);
    TypeDescriptor& operator=(const TypeDescriptor& other);
    TypeDescriptor(TypeDescriptor&& other) noexcept;
    TypeDescriptor& operator=(TypeDescriptor&& other) noexcept;
    ~TypeDescriptor();

    NativeTypeKind Kind() const { return kind_; }
    // Vectors and maps: the element; otherwise null.
    const TypeDescriptor* Element() const { return element_.get(); }
    // Enumerations and structures: the native type; otherwise null.
    const StaticType* Type() const { return type_; }
    const TypeRecord* Record() const { return record_.load(std::memory_order_acquire); }

    // "int32", "vector", the record's name, or "enum" / "struct" without a record.
    std::string NativeName() const;
    // "int32", "list[int64]", "dict[string]", "L{Name}".
    std::string HelpName() const;
    TypeIdentifier Identifier() const;

private:
    friend class BindingRegistry;

    // Records are attached once, while types are registered; readers on other threads see either none
    // or the final one.
    void AttachRecord(std::uint32_t typeId, const TypeRecord* record) const;

    NativeTypeKind kind_ = NativeTypeKind::None;
    std::unique_ptr<TypeDescriptor> element_;
    const StaticType* type_ = nullptr;
    mutable std::atomic<const TypeRecord*> record_{nullptr};
};

}  // namespace Zarn::Binding
