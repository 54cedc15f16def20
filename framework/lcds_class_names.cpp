#include "framework/lcds_class_names.h"

#include <utility>
#include <vector>

#include "binding/field_record.h"
#include "binding/native_type_kind.h"
#include "binding/type_record.h"

namespace Zarn::Framework {

using Binding::BindingKind;
using Binding::BindingProperty;
using Binding::NativeTypeKind;
using Binding::TypeDescriptor;

void LcdsClassNames::Set(std::string_view registeredName, std::uint32_t typeId, std::string_view className) {
    byName_.insert_or_assign(std::string(registeredName), std::string(className));
    byTypeId_.insert_or_assign(typeId, std::string(className));
}

const std::string* LcdsClassNames::FindByName(std::string_view registeredName) const {
    const auto it = byName_.find(registeredName);
    return it != byName_.end() ? &it->second : nullptr;
}

const std::string* LcdsClassNames::FindByTypeId(std::uint32_t typeId) const {
    const auto it = byTypeId_.find(typeId);
    return it != byTypeId_.end() ? &it->second : nullptr;
}

namespace {

bool MayHoldStructures(const TypeDescriptor* type) {
    if (type == nullptr) return false;
    const NativeTypeKind kind = type->Kind();
    return kind == NativeTypeKind::Struct || kind == NativeTypeKind::Vector || kind == NativeTypeKind::Map;
}

}  // namespace

void AddLcdsClassFields(BindingProperty& value, const TypeDescriptor& type,
                        const LcdsClassNames& classNames) {
    if (classNames.Empty()) return;
    struct Pending {
        BindingProperty* value;
        const TypeDescriptor* type;
    };
    std::vector<Pending> stack;
    stack.push_back({&value, &type});
    while (!stack.empty()) {
        const Pending item = stack.back();
        stack.pop_back();
        BindingProperty& current = *item.value;
        switch (item.type->Kind()) {
            case NativeTypeKind::Struct: {
                const Binding::TypeRecord* record = item.type->Record();
                if (record == nullptr || record->IsEnumeration() || current.Kind() != BindingKind::Structure)
                    break;
                // The class field goes in before the children are taken: adding a field may move the
                // structure's fields, and the children are kept by address.
                if (const std::string* className = classNames.FindByName(record->Name()))
                    current.WriteField(kLcdsClassField).SetString(*className);
                for (const Binding::FieldRecord& field : record->Fields()) {
                    if (!MayHoldStructures(&field.Type()) || !current.HasField(field.Key())) continue;
                    stack.push_back({&current.WriteField(field.Key()), &field.Type()});
                }
                break;
            }
            case NativeTypeKind::Vector:
                if (!MayHoldStructures(item.type->Element())) break;
                for (BindingProperty& element : current.Elements())
                    stack.push_back({&element, item.type->Element()});
                break;
            case NativeTypeKind::Map:
                if (!MayHoldStructures(item.type->Element()) || current.Kind() != BindingKind::Structure)
                    break;
                for (const Binding::BindingField& entry : current.Fields())
                    stack.push_back({&current.WriteField(entry.Name()), item.type->Element()});
                break;
            default:
                break;
        }
    }
}

}  // namespace Zarn::Framework
