#include <gtest/gtest.h>

#include <cstddef>

#include "mox/plugin_abi.h"

extern "C" std::size_t HostRecordSizeInC(int record);

namespace {

// The 32-bit build checks every documented size and offset at compile time; this makes sure C and
// C++ agree on the same records in every build.
TEST(PluginAbiLayout, CAndCppSeeTheSameRecords) {
    const std::size_t cpp[] = {
        sizeof(PluginEntryTable),
        sizeof(PluginCallbacks),
        sizeof(HostInterface),
        sizeof(HostServices),
        sizeof(MemoryStats),
        sizeof(HostEvent),
        sizeof(ApiRequest),
        sizeof(ApiResponse),
        sizeof(ApiParameter),
        sizeof(ExternalRequestRecord),
        sizeof(ExternalResponseRecord),
        sizeof(ApiFunctionRecord),
        sizeof(ApiArgumentRecord),
        sizeof(ApiArgumentLocation),
        sizeof(ApiRouteSegment),
        sizeof(ApiTypeRecord),
        sizeof(ApiMemberRecord),
        sizeof(ApiEventRecord),
        sizeof(ApiDescription),
        offsetof(ApiResponse, release),
        offsetof(ApiFunctionRecord, customMethod),
    };
    for (int record = 0; record < static_cast<int>(std::size(cpp)); ++record) {
        EXPECT_EQ(HostRecordSizeInC(record), cpp[record]) << "record " << record;
    }
}

}  // namespace
