#include "framework/api_description_store.h"

#include "binding/binding_registry.h"
#include "binding/type_descriptor.h"
#include "binding/type_record.h"

namespace Zarn::Framework {

using Binding::NativeTypeKind;

void ApiDescriptionStore::Build(const Binding::BindingRegistry& registry, const ApiFunctionRecord* functions,
                                std::uint32_t functionCount) {
    texts_.clear();
    tagLists_.clear();
    memberLists_.clear();
    types_.clear();
    events_.clear();

    for (const Binding::TypeRecord* type : registry.TypesSnapshot()) {
        std::vector<ApiMemberRecord>& members = memberLists_.emplace_back();
        if (type->IsEnumeration()) {
            for (const Binding::EnumeratorRecord* value : type->ValuesByNumber()) {
                members.push_back(
                    {nullptr, Keep(value->name), Keep(value->description), 0, 0, Keep(""), value->value, 0});
            }
        } else {
            for (const Binding::FieldRecord& field : type->Fields()) {
                const Binding::TypeDescriptor& fieldType = field.Type();
                const Binding::TypeDescriptor* element = fieldType.Element();
                members.push_back({nullptr, Keep(field.Key()), Keep(field.Description()),
                                   static_cast<std::uint32_t>(fieldType.Kind()),
                                   element ? static_cast<std::uint32_t>(element->Kind()) : 0u,
                                   TypeNameOf(fieldType), 0, static_cast<std::uint8_t>(field.Flags())});
            }
        }
        for (std::size_t i = 0; i + 1 < members.size(); ++i) members[i].next = &members[i + 1];
        types_.push_back({nullptr, Keep(type->Name()), Keep(type->NameSpace()), Keep(type->Description()),
                          static_cast<std::uint32_t>(type->IsEnumeration() ? NativeTypeKind::Enum
                                                                           : NativeTypeKind::Struct),
                          type->TypeId(), members.empty() ? nullptr : members.data(),
                          static_cast<std::uint32_t>(members.size()), KeepTags(type->Tags()),
                          static_cast<std::uint32_t>(type->Tags().size())});
    }
    for (const auto& event : registry.EventsSnapshot()) {
        const Binding::TypeDescriptor& payload = event->payload;
        const std::string payloadName =
            payload.Kind() == NativeTypeKind::Enum || payload.Kind() == NativeTypeKind::Struct
                ? payload.NativeName()
                : std::string(Binding::NativeTypeKindName(payload.Kind()));
        events_.push_back({nullptr, Keep(event->name), Keep(event->nameSpace), Keep(event->description),
                           Keep(payloadName), KeepTags(event->tags),
                           static_cast<std::uint32_t>(event->tags.size())});
    }
    for (std::size_t i = 0; i + 1 < types_.size(); ++i) types_[i].next = &types_[i + 1];
    for (std::size_t i = 0; i + 1 < events_.size(); ++i) events_[i].next = &events_[i + 1];

    description_.functions = functionCount != 0 ? functions : nullptr;
    description_.functionCount = functionCount;
    description_.types = types_.empty() ? nullptr : types_.data();
    description_.typeCount = static_cast<std::uint32_t>(types_.size());
    description_.events = events_.empty() ? nullptr : events_.data();
    description_.eventCount = static_cast<std::uint32_t>(events_.size());
}

const char* ApiDescriptionStore::Keep(std::string_view text) { return texts_.emplace_back(text).c_str(); }

const char* const* ApiDescriptionStore::KeepTags(const std::vector<std::string>& tags) {
    if (tags.empty()) return nullptr;
    std::vector<const char*>& list = tagLists_.emplace_back();
    for (const std::string& tag : tags) list.push_back(Keep(tag));
    return list.data();
}

const char* ApiDescriptionStore::TypeNameOf(const Binding::TypeDescriptor& type) {
    const Binding::TypeDescriptor* named = type.Element() ? type.Element() : &type;
    if (named->Kind() != NativeTypeKind::Enum && named->Kind() != NativeTypeKind::Struct) return Keep("");
    return Keep(named->NativeName());
}

}  // namespace Zarn::Framework
