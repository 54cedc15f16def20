// The two resource-subscription operations at the root of every module. The base does nothing;
// HostModule counts subscriptions per host event name and subscribes at the host.
#pragma once

#include <string_view>

namespace Zarn::Framework {

class EventSubscriber {
public:
    virtual void Subscribe(std::string_view /*address*/) {}
    virtual void Unsubscribe(std::string_view /*address*/) {}

protected:
    ~EventSubscriber() = default;
};

}  // namespace Zarn::Framework
