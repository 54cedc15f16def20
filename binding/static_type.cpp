#include "binding/static_type.h"

#include <cstdio>
#include <mutex>
#include <unordered_set>

#include "binding/fnv1a.h"
#include "platform/mutex.h"

namespace Zarn::Binding {
namespace {

// Ids handed out by Of<T>(), so a hash clash moves on instead of sharing an id.
class ClaimedIds {
public:
    ClaimedIds() : ids_(detail::kFixedTypeIds.begin(), detail::kFixedTypeIds.end()) {
        ids_.insert(0);
        ids_.insert(kUnindexedTypeId);
    }

    std::uint32_t ClaimFrom(std::uint32_t candidate) {
        std::lock_guard lock(mutex_);
        while (!ids_.insert(candidate).second) candidate = Fnv1a32OfId(candidate);
        return candidate;
    }

private:
    Platform::Mutex mutex_;
    std::unordered_set<std::uint32_t> ids_;
};

ClaimedIds& Claimed() {
    // Never destroyed: descriptors may be made while other statics are torn down.
    static ClaimedIds* const claimed = new ClaimedIds;
    return *claimed;
}

}  // namespace

StaticType::StaticType(std::uint32_t id) : id_(id) {
    std::snprintf(idName_, sizeof idName_, "#%08X", static_cast<unsigned>(id));
    name_ = idName_;
}

StaticType::StaticType(std::uint32_t id, std::string_view typeSpelling) : id_(id) {
    std::snprintf(idName_, sizeof idName_, "#%08X", static_cast<unsigned>(id));
    signature_.append("const char *__cdecl StaticType::Name<").append(typeSpelling).append(">(void)");
    name_ = signature_.c_str();
}

const StaticType* StaticType::Make(std::uint32_t fixedId, std::string_view spelling) {
    if (fixedId != 0) return new StaticType(fixedId);
    return new StaticType(Claimed().ClaimFrom(Fnv1a32(spelling)), spelling);
}

}  // namespace Zarn::Binding
