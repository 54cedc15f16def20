// One registered structure or enumeration, owned by its registry and never removed. Filled in through a
// TypeBuilder while types are registered; read without locking afterwards.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "binding/field_record.h"

namespace Zarn::Binding {

class BindingRegistry;
class StaticType;
class TypeRecord;

struct EnumeratorRecord {
    std::int32_t value = 0;
    std::string name;
    std::string description;
    const TypeRecord* owner = nullptr;
};

class TypeRecord {
public:
    TypeRecord(const BindingRegistry& registry, std::uint32_t nativeSize, std::string name,
               const StaticType& staticType, bool isEnumeration);
    TypeRecord(const TypeRecord&) = delete;
    TypeRecord& operator=(const TypeRecord&) = delete;

    std::uint32_t NativeSize() const { return nativeSize_; }
    bool IsEnumeration() const { return isEnumeration_; }
    const std::string& Name() const { return name_; }
    std::uint32_t TypeId() const { return typeId_; }
    const StaticType& NativeType() const { return *staticType_; }
    const std::string& NameSpace() const { return nameSpace_; }
    const std::string& Description() const { return description_; }
    const std::vector<std::string>& Tags() const { return tags_; }
    // Structures: in registration order, which is the order of conversion and of help.
    const std::vector<FieldRecord>& Fields() const { return fields_; }
    // Enumerations: by name, in byte order.
    const std::map<std::string, EnumeratorRecord, std::less<>>& Values() const { return values_; }
    const BindingRegistry& Registry() const { return *registry_; }

    // The first enumerator, in name order, with this value; null when none has it.
    const EnumeratorRecord* FindValue(std::int32_t value) const;
    const EnumeratorRecord* FindValue(std::string_view name) const;
    // The enumerators in ascending order of value (ties by name).
    std::vector<const EnumeratorRecord*> ValuesByNumber() const;

private:
    friend class TypeBuilder;

    const BindingRegistry* registry_;
    std::uint32_t nativeSize_;
    bool isEnumeration_;
    std::string name_;
    std::uint32_t typeId_;
    const StaticType* staticType_;
    std::string nameSpace_;
    std::string description_;
    std::vector<std::string> tags_;
    std::vector<FieldRecord> fields_;
    std::map<std::string, EnumeratorRecord, std::less<>> values_;
};

}  // namespace Zarn::Binding
