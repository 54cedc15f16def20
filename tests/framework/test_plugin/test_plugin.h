// The records the test plugin and the tests share. The tests drive the plugin with commands
// delivered as changes of its command resource and read what it did from the host's transcript
// and from the reports it posts to the host.
#pragma once

#include <cstdint>
#include <string>

namespace Zarn::Framework::Testing {

inline constexpr const char* kTestPluginShortName = "mox-framework-test";
inline constexpr const char* kCommandAddress = "/mox-framework-test/v1/command";
inline constexpr const char* kCommandEvent = "OnJsonApiEvent_mox-framework-test_v1_command";
// Every report is a POST to this path with the parameters "kind" and "detail" (and "id").
inline constexpr const char* kReportPath = "/mox-test-report/v1/report";
inline constexpr const char* kLcdsType = "com.zarngames.test.Item";

// What the plugin's observers and LCDS handler receive.
struct TestItem {
    std::int32_t id = 0;
    std::string name;
};

// action: subscribe, unsubscribe (address); publish (address, id, text); delete (address);
// request, request-text (address); bad-request (address); external (address = url, text = user agent or "");
// await-ready; await; fulfil (text = failure message or ""); break; allocate (id = bytes);
// release; realloc; log (id = level, text); timers; timer-count.
struct TestCommand {
    std::string action;
    std::string address;
    std::string text;
    std::int32_t id = 0;
};

}  // namespace Zarn::Framework::Testing
