#include "binding/binding_registry.h"

#include <mutex>

#include "binding/static_type.h"

namespace Zarn::Binding {

BindingRegistry::BindingRegistry() : typesById_(8) { typesById_.max_load_factor(1.0f); }

BindingRegistry::~BindingRegistry() = default;

TypeBuilder BindingRegistry::BeginRegistration(std::uint32_t nativeSize, std::string_view name,
                                               const StaticType& type, bool isEnumeration) {
    std::lock_guard lock(mutex_);
    if (typesByName_.find(name) != typesByName_.end()) return TypeBuilder(*this, nullptr);
    auto record = std::make_unique<TypeRecord>(*this, nativeSize, std::string(name), type, isEnumeration);
    TypeRecord* created = record.get();
    typesByName_.emplace(std::string(name), std::move(record));
    // A type registered under a second name stays found by id as the first.
    if (type.Id() != kUnindexedTypeId && typesById_.emplace(type.Id(), created).second) {
        AttachEverywhere(*created);
    }
    return TypeBuilder(*this, created);
}

const TypeRecord* BindingRegistry::FindById(std::uint32_t typeId) const {
    std::lock_guard lock(mutex_);
    return FindByIdLocked(typeId);
}

const TypeRecord* BindingRegistry::FindByIdLocked(std::uint32_t typeId) const {
    const auto found = typesById_.find(typeId);
    return found == typesById_.end() ? nullptr : found->second;
}

const TypeRecord* BindingRegistry::FindByName(std::string_view name) const {
    std::lock_guard lock(mutex_);
    const auto found = typesByName_.find(name);
    return found == typesByName_.end() ? nullptr : found->second.get();
}

const char* BindingRegistry::EnumeratorName(std::uint32_t typeId, std::int32_t value) const {
    const TypeRecord* record = FindById(typeId);
    if (record == nullptr || !record->IsEnumeration()) return nullptr;
    const EnumeratorRecord* enumerator = record->FindValue(value);
    return enumerator == nullptr ? nullptr : enumerator->name.c_str();
}

bool BindingRegistry::AddFunction(FunctionRecord function) {
    std::lock_guard lock(mutex_);
    if (functionsByName_.find(function.name) != functionsByName_.end()) return false;
    for (const ArgumentRecord& argument : function.arguments) AttachRecordsLocked(argument.type);
    AttachRecordsLocked(function.returns);
    AttachRecordsLocked(function.asyncResult);
    std::string name = function.name;
    functionsByName_.emplace(std::move(name), std::make_shared<const FunctionRecord>(std::move(function)));
    return true;
}

bool BindingRegistry::AddEvent(EventRecord event) {
    std::lock_guard lock(mutex_);
    if (eventsByName_.find(event.name) != eventsByName_.end()) return false;
    AttachRecordsLocked(event.payload);
    std::string name = event.name;
    eventsByName_.emplace(std::move(name), std::make_shared<const EventRecord>(std::move(event)));
    return true;
}

void BindingRegistry::RemoveEvents() {
    std::lock_guard lock(mutex_);
    eventsByName_.clear();
}

std::shared_ptr<const FunctionRecord> BindingRegistry::FindFunction(std::string_view name) const {
    std::lock_guard lock(mutex_);
    const auto found = functionsByName_.find(name);
    return found == functionsByName_.end() ? nullptr : found->second;
}

std::shared_ptr<const EventRecord> BindingRegistry::FindEvent(std::string_view name) const {
    std::lock_guard lock(mutex_);
    const auto found = eventsByName_.find(name);
    return found == eventsByName_.end() ? nullptr : found->second;
}

std::vector<const TypeRecord*> BindingRegistry::TypesSnapshot() const {
    std::lock_guard lock(mutex_);
    std::vector<const TypeRecord*> snapshot;
    snapshot.reserve(typesByName_.size());
    for (const auto& entry : typesByName_) snapshot.push_back(entry.second.get());
    return snapshot;
}

std::vector<std::shared_ptr<const FunctionRecord>> BindingRegistry::FunctionsSnapshot() const {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<const FunctionRecord>> snapshot;
    snapshot.reserve(functionsByName_.size());
    for (const auto& entry : functionsByName_) snapshot.push_back(entry.second);
    return snapshot;
}

std::vector<std::shared_ptr<const EventRecord>> BindingRegistry::EventsSnapshot() const {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<const EventRecord>> snapshot;
    snapshot.reserve(eventsByName_.size());
    for (const auto& entry : eventsByName_) snapshot.push_back(entry.second);
    return snapshot;
}

bool BindingRegistry::BuiltinsRegistered() const {
    std::lock_guard lock(mutex_);
    return builtinsRegistered_;
}

void BindingRegistry::SetBuiltinsRegistered() {
    std::lock_guard lock(mutex_);
    builtinsRegistered_ = true;
}

void BindingRegistry::AttachRecords(const TypeDescriptor& descriptor) const {
    std::lock_guard lock(mutex_);
    AttachRecordsLocked(descriptor);
}

void BindingRegistry::AttachRecordsLocked(const TypeDescriptor& descriptor) const {
    for (const TypeDescriptor* part = &descriptor; part != nullptr; part = part->Element()) {
        if (part->Type() == nullptr || part->Record() != nullptr) continue;
        if (const TypeRecord* record = FindByIdLocked(part->Type()->Id())) {
            part->AttachRecord(record->TypeId(), record);
        }
    }
}

// A field, argument or payload may name a type before that type is registered (structures are
// registered before the enumerations they use); it gets its record here.
void BindingRegistry::AttachEverywhere(const TypeRecord& record) const {
    for (const auto& entry : typesByName_) {
        for (const FieldRecord& field : entry.second->Fields()) {
            field.Type().AttachRecord(record.TypeId(), &record);
            if (field.SecondType()) field.SecondType()->AttachRecord(record.TypeId(), &record);
        }
    }
    for (const auto& entry : functionsByName_) {
        for (const ArgumentRecord& argument : entry.second->arguments) {
            argument.type.AttachRecord(record.TypeId(), &record);
        }
        entry.second->returns.AttachRecord(record.TypeId(), &record);
        entry.second->asyncResult.AttachRecord(record.TypeId(), &record);
    }
    for (const auto& entry : eventsByName_) entry.second->payload.AttachRecord(record.TypeId(), &record);
}

}  // namespace Zarn::Binding
