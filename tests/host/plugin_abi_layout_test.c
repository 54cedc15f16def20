/* Compiles the host boundary header as C, so its layout checks hold for C hosts and plugins too,
 * and reports the sizes C sees so that the C++ side can compare. */
#include "mox/plugin_abi.h"

size_t HostRecordSizeInC(int record) {
    switch (record) {
        case 0:
            return sizeof(PluginEntryTable);
        case 1:
            return sizeof(PluginCallbacks);
        case 2:
            return sizeof(HostInterface);
        case 3:
            return sizeof(HostServices);
        case 4:
            return sizeof(MemoryStats);
        case 5:
            return sizeof(HostEvent);
        case 6:
            return sizeof(ApiRequest);
        case 7:
            return sizeof(ApiResponse);
        case 8:
            return sizeof(ApiParameter);
        case 9:
            return sizeof(ExternalRequestRecord);
        case 10:
            return sizeof(ExternalResponseRecord);
        case 11:
            return sizeof(ApiFunctionRecord);
        case 12:
            return sizeof(ApiArgumentRecord);
        case 13:
            return sizeof(ApiArgumentLocation);
        case 14:
            return sizeof(ApiRouteSegment);
        case 15:
            return sizeof(ApiTypeRecord);
        case 16:
            return sizeof(ApiMemberRecord);
        case 17:
            return sizeof(ApiEventRecord);
        case 18:
            return sizeof(ApiDescription);
        case 19:
            return offsetof(ApiResponse, release);
        case 20:
            return offsetof(ApiFunctionRecord, customMethod);
        default:
            return 0;
    }
}
