// The native types, API functions and events of one module. Types are registered by name while the module
// initialises (the first registration of a name wins) and are then found by name or by type id; help and
// introspection read name-ordered snapshots. Every index is guarded by the registry's own lock, so any
// thread may look things up; the records themselves never change after registration and are read without
// it. Type records live as long as the registry.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "binding/enumerator_names.h"
#include "binding/event_record.h"
#include "binding/fnv1a.h"
#include "binding/function_record.h"
#include "binding/type_builder.h"
#include "binding/type_record.h"
#include "platform/mutex.h"

namespace Zarn::Binding {

class StaticType;

class BindingRegistry final : public EnumeratorNames {
public:
    BindingRegistry();
    ~BindingRegistry();
    BindingRegistry(const BindingRegistry&) = delete;
    BindingRegistry& operator=(const BindingRegistry&) = delete;

    // Creates the record of a new name and indexes it by name and, unless the type's id is
    // kUnindexedTypeId, by id; for a name already taken returns a builder that ignores every call.
    TypeBuilder BeginRegistration(std::uint32_t nativeSize, std::string_view name, const StaticType& type,
                                  bool isEnumeration);

    const TypeRecord* FindById(std::uint32_t typeId) const;
    const TypeRecord* FindByName(std::string_view name) const;
    // The name of the first enumerator, in name order, of that enumeration with that value; null when the
    // registry has no such type or value. Valid as long as the registry.
    const char* EnumeratorName(std::uint32_t typeId, std::int32_t value) const override;
    // Gives a descriptor made outside the registry (a conversion target) the records of the
    // enumerations and structures it names, where they are registered.
    void AttachRecords(const TypeDescriptor& descriptor) const;

    // The first function or event of a name wins; false when the name was taken.
    bool AddFunction(FunctionRecord function);
    bool AddEvent(EventRecord event);
    void RemoveEvents();
    std::shared_ptr<const FunctionRecord> FindFunction(std::string_view name) const;
    std::shared_ptr<const EventRecord> FindEvent(std::string_view name) const;

    // Copies taken under the lock, in name order.
    std::vector<const TypeRecord*> TypesSnapshot() const;
    std::vector<std::shared_ptr<const FunctionRecord>> FunctionsSnapshot() const;
    std::vector<std::shared_ptr<const EventRecord>> EventsSnapshot() const;

    // Set once the built-in types and events have been registered.
    bool BuiltinsRegistered() const;
    void SetBuiltinsRegistered();

private:
    friend class TypeBuilder;

    const TypeRecord* FindByIdLocked(std::uint32_t typeId) const;
    void AttachRecordsLocked(const TypeDescriptor& descriptor) const;
    void AttachEverywhere(const TypeRecord& record) const;

    mutable Platform::Mutex mutex_;
    std::map<std::string, std::unique_ptr<TypeRecord>, std::less<>> typesByName_;
    std::unordered_map<std::uint32_t, const TypeRecord*, Fnv1aIdHash> typesById_;
    std::map<std::string, std::shared_ptr<const FunctionRecord>, std::less<>> functionsByName_;
    std::map<std::string, std::shared_ptr<const EventRecord>, std::less<>> eventsByName_;
    bool builtinsRegistered_ = false;
};

}  // namespace Zarn::Binding
