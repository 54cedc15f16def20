#include "binding/flat_binding_property.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "binding/detail/interned_string.h"
#include "binding/enumerator_names.h"

namespace Zarn::Binding {
namespace {

constexpr std::uint32_t kMaxFlatCount = std::numeric_limits<std::uint32_t>::max();

const char kTooLarge[] =
    "Couldn't convert value to its flat form because it holds a text, blob or container of more than "
    "4294967295 items.";
const char kOutOfMemory[] = "Couldn't convert value to its flat form because memory ran out.";

// A malloc'd NUL-terminated copy of `length` bytes, or null when memory ran out.
char* CopyText(const char* text, std::size_t length) noexcept {
    auto* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy == nullptr) return nullptr;
    if (length != 0) std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

// Writes an owned text (tag 6) of the bytes up to the first NUL; false when memory ran out.
bool WriteOwnedText(FlatBindingProperty& out, std::string_view text) noexcept {
    const void* nul = text.empty() ? nullptr : std::memchr(text.data(), '\0', text.size());
    const std::size_t length = nul == nullptr ? text.size() : static_cast<const char*>(nul) - text.data();
    char* copy = CopyText(text.data(), length);
    if (copy == nullptr) return false;
    out.payload.text.data = copy;
    out.payload.text.length = static_cast<std::uint32_t>(length);
    out.tag = kFlatKindOwnedString;
    return true;
}

std::string IncompatibleMessage(std::string_view name, std::string_view because) {
    std::string message = "Couldn't assign value to '";
    message.append(name);
    message.append("' of type object because ");
    message.append(because);
    return message;
}

}  // namespace

const char* FlatKindName(std::uint32_t tag) noexcept {
    static const char* const kNames[] = {"",       "bool", "signed", "unsigned",   "float",    "string",
                                         "string", "blob", "blob",   "collection", "structure"};
    return tag < sizeof(kNames) / sizeof(kNames[0]) ? kNames[tag] : "";
}

BindingResult ToFlat(const BindingProperty& value, FlatBindingProperty& out, const EnumeratorNames* names) {
    ReleaseFlat(out);
    // Depth-first with an explicit stack; arrays are zeroed before they are filled, so a record
    // is releasable at every step and a failure only has to release `out`.
    struct Job {
        const BindingProperty* source;
        FlatBindingProperty* target;
    };
    std::vector<Job> jobs;
    const char* failure = nullptr;
    try {
        jobs.push_back({&value, &out});
        while (!jobs.empty() && failure == nullptr) {
            const Job job = jobs.back();
            jobs.pop_back();
            const BindingProperty& source = *job.source;
            FlatBindingProperty& target = *job.target;
            switch (source.Kind()) {
                case BindingKind::Empty:
                    target.tag = kFlatKindEmpty;
                    break;
                case BindingKind::Bool:
                    target.payload.boolean = source.GetBool() ? 1 : 0;
                    target.tag = kFlatKindBool;
                    break;
                case BindingKind::Signed:
                    target.payload.signedValue = source.GetSigned();
                    target.tag = kFlatKindSigned;
                    break;
                case BindingKind::Unsigned:
                    target.payload.unsignedValue = source.GetUnsigned();
                    target.tag = kFlatKindUnsigned;
                    break;
                case BindingKind::Float:
                    target.payload.floatValue = source.GetFloat();
                    target.tag = kFlatKindFloat;
                    break;
                case BindingKind::String: {
                    const std::string_view text = source.GetString();
                    if (text.size() > kMaxFlatCount &&
                        std::memchr(text.data(), '\0', kMaxFlatCount) == nullptr) {
                        failure = kTooLarge;
                    } else if (!WriteOwnedText(target, text)) {
                        failure = kOutOfMemory;
                    }
                    break;
                }
                case BindingKind::Blob: {
                    const BindingProperty::Blob& bytes = source.GetBlob();
                    if (bytes.size() > kMaxFlatCount) {
                        failure = kTooLarge;
                        break;
                    }
                    std::uint8_t* copy = nullptr;
                    if (!bytes.empty()) {
                        copy = static_cast<std::uint8_t*>(std::malloc(bytes.size()));
                        if (copy == nullptr) {
                            failure = kOutOfMemory;
                            break;
                        }
                        std::memcpy(copy, bytes.data(), bytes.size());
                    }
                    target.payload.bytes.data = copy;
                    target.payload.bytes.size = static_cast<std::uint32_t>(bytes.size());
                    target.tag = kFlatKindOwnedBlob;
                    break;
                }
                case BindingKind::Enum: {
                    const BindingEnum enumerator = source.GetEnum();
                    const char* name = names != nullptr
                                           ? names->EnumeratorName(enumerator.typeId, enumerator.value)
                                           : nullptr;
                    if (name != nullptr) {
                        if (!WriteOwnedText(target, name)) failure = kOutOfMemory;
                    } else {
                        target.payload.signedValue = enumerator.value;
                        target.tag = kFlatKindSigned;
                    }
                    break;
                }
                case BindingKind::Collection: {
                    const std::span<const BindingProperty> elements = source.Elements();
                    if (elements.size() > kMaxFlatCount) {
                        failure = kTooLarge;
                        break;
                    }
                    FlatBindingProperty* array = nullptr;
                    if (!elements.empty()) {
                        array = static_cast<FlatBindingProperty*>(
                            std::calloc(elements.size(), sizeof(FlatBindingProperty)));
                        if (array == nullptr) {
                            failure = kOutOfMemory;
                            break;
                        }
                    }
                    target.payload.collection.elements = array;
                    target.payload.collection.count = static_cast<std::uint32_t>(elements.size());
                    target.tag = kFlatKindCollection;
                    for (std::size_t i = elements.size(); i-- > 0;) jobs.push_back({&elements[i], &array[i]});
                    break;
                }
                case BindingKind::Structure: {
                    const std::span<const BindingField> fields = source.Fields();
                    if (fields.size() > kMaxFlatCount) {
                        failure = kTooLarge;
                        break;
                    }
                    FlatStructureEntry* entries = nullptr;
                    if (!fields.empty()) {
                        entries = static_cast<FlatStructureEntry*>(
                            std::calloc(fields.size(), sizeof(FlatStructureEntry)));
                        if (entries == nullptr) {
                            failure = kOutOfMemory;
                            break;
                        }
                    }
                    target.payload.structure.entries = entries;
                    target.payload.structure.count = static_cast<std::uint32_t>(fields.size());
                    target.tag = kFlatKindStructure;
                    for (std::size_t i = 0; i < fields.size() && failure == nullptr; ++i) {
                        const std::string_view name = fields[i].Name();
                        const void* nul = std::memchr(name.data(), '\0', name.size());
                        const std::size_t length =
                            nul == nullptr ? name.size() : static_cast<const char*>(nul) - name.data();
                        char* copy = CopyText(name.data(), length);
                        if (copy == nullptr) {
                            failure = kOutOfMemory;
                            break;
                        }
                        entries[i].name = copy;
                        entries[i].ownsName = 1;
                    }
                    for (std::size_t i = fields.size(); i-- > 0 && failure == nullptr;) {
                        jobs.push_back({&fields[i].Value(), &entries[i].value});
                    }
                    break;
                }
            }
        }
    } catch (const std::bad_alloc&) {
        failure = kOutOfMemory;
    }
    if (failure == nullptr) return BindingResult::MakeSuccess();
    ReleaseFlat(out);
    return BindingResult::MakeFailure(failure);
}

BindingResult FromFlat(const FlatBindingProperty& flat, BindingProperty& target, std::string_view name) {
    struct Job {
        const FlatBindingProperty* source;
        BindingProperty* target;
        std::size_t depth;  // containers enclosing `source`
    };
    std::vector<Job> jobs;
    try {
        jobs.push_back({&flat, &target, 0});
        while (!jobs.empty()) {
            const Job job = jobs.back();
            jobs.pop_back();
            const FlatBindingProperty& source = *job.source;
            BindingProperty& value = *job.target;
            const FlatPayload& payload = source.payload;
            switch (source.tag) {
                case kFlatKindEmpty:
                    value.Reset();
                    break;
                case kFlatKindBool:
                    value.SetBool(payload.boolean != 0);
                    break;
                case kFlatKindSigned:
                    value.SetSigned(payload.signedValue);
                    break;
                case kFlatKindUnsigned:
                    value.SetUnsigned(payload.unsignedValue);
                    break;
                case kFlatKindFloat:
                    value.SetFloat(payload.floatValue);
                    break;
                case kFlatKindString:
                    // A borrowed text carries no length; null reads as the empty text.
                    value.SetString(payload.text.data);
                    break;
                case kFlatKindOwnedString:
                    if (payload.text.data == nullptr && payload.text.length != 0) {
                        return BindingResult::MakeFailure(IncompatibleMessage(
                            name, "the input 'string' has a null pointer with a non-zero length."));
                    }
                    value.SetString(payload.text.data);
                    break;
                case kFlatKindBlob:
                case kFlatKindOwnedBlob:
                    if (payload.bytes.data == nullptr && payload.bytes.size != 0) {
                        return BindingResult::MakeFailure(IncompatibleMessage(
                            name, "the input 'blob' has a null pointer with a non-zero size."));
                    }
                    value.SetBlob(payload.bytes.data, payload.bytes.size);
                    break;
                case kFlatKindCollection:
                case kFlatKindStructure: {
                    const bool isCollection = source.tag == kFlatKindCollection;
                    const std::uint32_t count =
                        isCollection ? payload.collection.count : payload.structure.count;
                    const bool nullArray = isCollection ? payload.collection.elements == nullptr
                                                        : payload.structure.entries == nullptr;
                    if (nullArray && count != 0) {
                        return BindingResult::MakeFailure(IncompatibleMessage(
                            name, isCollection
                                      ? "the input 'collection' has a null pointer with a non-zero count."
                                      : "the input 'structure' has a null pointer with a non-zero count."));
                    }
                    if (job.depth >= kMaxNestingDepth) {
                        return BindingResult::MakeFailure(
                            IncompatibleMessage(name, "the input is nested deeper than " +
                                                          std::to_string(kMaxNestingDepth) + " levels."));
                    }
                    // A fresh container: nothing of the target's earlier content survives.
                    value.Reset();
                    if (isCollection) {
                        value.MakeCollection();
                        if (count > kMaxCollectionReserve) {
                            return BindingResult::MakeFailure(
                                IncompatibleMessage(name, "the input 'collection' has too many elements."));
                        }
                        value.Reserve(count);
                        if (count != 0) value.WriteElement(count - 1);
                        const std::span<BindingProperty> elements = value.Elements();
                        for (std::uint32_t i = count; i-- > 0;) {
                            jobs.push_back({&payload.collection.elements[i], &elements[i], job.depth + 1});
                        }
                    } else {
                        value.MakeStructure();
                        const FlatStructureEntry* entries = payload.structure.entries;
                        // All fields first, appended and put in key order once (entries may come
                        // in any order without costing more than O(n log n)); their addresses are
                        // taken after. Entries in strictly ascending order (as the plugin writes
                        // them) keep their index.
                        bool inOrder = true;
                        for (std::uint32_t i = 0; i < count; ++i) {
                            if (entries[i].name == nullptr) {
                                return BindingResult::MakeFailure(IncompatibleMessage(
                                    name, "the input 'structure' has a field without a name."));
                            }
                            const std::string_view fieldName(entries[i].name);
                            inOrder = inOrder &&
                                      (i == 0 || detail::CompareKeys(entries[i - 1].name, fieldName) < 0);
                            value.AppendFieldUnsorted(fieldName);
                        }
                        value.SortFields();
                        // Pushed last to first, so a later entry of a repeated name wins.
                        const std::span<const BindingField> fields = value.Fields();
                        for (std::uint32_t i = count; i-- > 0;) {
                            const BindingProperty& field =
                                inOrder ? fields[i].Value() : std::as_const(value).Field(entries[i].name);
                            jobs.push_back(
                                {&entries[i].value, &const_cast<BindingProperty&>(field), job.depth + 1});
                        }
                    }
                    break;
                }
                default: {
                    std::string message = "the input is of an incompatible type '";
                    message.append(FlatKindName(source.tag));
                    message.append("'.");
                    return BindingResult::MakeFailure(IncompatibleMessage(name, message));
                }
            }
        }
    } catch (const std::bad_alloc&) {
        return BindingResult::MakeFailure(IncompatibleMessage(name, "memory ran out."));
    }
    return BindingResult::MakeSuccess();
}

bool FromFlat(const FlatBindingProperty& flat, BindingProperty& target, std::string_view name,
              FlatError& error) {
    BindingResult result = FromFlat(flat, target, name);
    if (result.Succeeded()) return true;
    ReleaseFlatError(error);
    const std::string_view message = result.Message();
    error.message = CopyText(message.data(), message.size());
    error.ownsMessage = error.message != nullptr ? 1 : 0;
    return false;
}

void ReleaseFlat(FlatBindingProperty& flat) noexcept {
    // Children are copied into a work list before their array is freed, so nesting depth never
    // becomes call depth.
    std::vector<FlatBindingProperty> pending;
    FlatBindingProperty current = flat;
    std::memset(&flat, 0, sizeof(flat));
    for (;;) {
        switch (current.tag) {
            case kFlatKindOwnedString:
                std::free(const_cast<char*>(current.payload.text.data));
                break;
            case kFlatKindOwnedBlob:
                std::free(const_cast<std::uint8_t*>(current.payload.bytes.data));
                break;
            case kFlatKindCollection: {
                FlatBindingProperty* elements = current.payload.collection.elements;
                for (std::uint32_t i = 0; elements != nullptr && i < current.payload.collection.count; ++i) {
                    const std::uint32_t tag = elements[i].tag;
                    if (tag == kFlatKindOwnedString || tag == kFlatKindOwnedBlob ||
                        tag == kFlatKindCollection || tag == kFlatKindStructure) {
                        pending.push_back(elements[i]);
                    }
                }
                std::free(elements);
                break;
            }
            case kFlatKindStructure: {
                FlatStructureEntry* entries = current.payload.structure.entries;
                for (std::uint32_t i = 0; entries != nullptr && i < current.payload.structure.count; ++i) {
                    if (entries[i].ownsName != 0) std::free(const_cast<char*>(entries[i].name));
                    const std::uint32_t tag = entries[i].value.tag;
                    if (tag == kFlatKindOwnedString || tag == kFlatKindOwnedBlob ||
                        tag == kFlatKindCollection || tag == kFlatKindStructure) {
                        pending.push_back(entries[i].value);
                    }
                }
                std::free(entries);
                break;
            }
            default:
                break;
        }
        if (pending.empty()) return;
        current = pending.back();
        pending.pop_back();
    }
}

void ReleaseFlatError(FlatError& error) noexcept {
    if (error.ownsMessage != 0) std::free(const_cast<char*>(error.message));
    error.message = nullptr;
    error.ownsMessage = 0;
}

}  // namespace Zarn::Binding
