/* Prints the size and member offsets of every record that crosses the host boundary, as this
 * build's compiler lays them out, and fails when a 32-bit build differs from the documented
 * layout. The header's static assertions already stop such a build; this report shows the
 * figures on each target (the 32-bit Linux and Windows builds included), so they can be read
 * side by side. */
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "mox/plugin_abi.h"

typedef struct Member {
    const char* name;
    size_t offset;
    size_t documented; /* offset on 32-bit builds */
} Member;

typedef struct Record {
    const char* name;
    size_t size;
    size_t documented; /* size on 32-bit builds */
    const Member* members;
    size_t memberCount;
} Record;

#define MEMBER(type, member, at) \
    { #member, offsetof(type, member), at }
#define RECORD(type, at, list) \
    { #type, sizeof(type), at, list, sizeof(list) / sizeof(list[0]) }

static const Member flatText[] = {MEMBER(FlatText, data, 0), MEMBER(FlatText, length, 4)};
static const Member flatBytes[] = {MEMBER(FlatBytes, data, 0), MEMBER(FlatBytes, size, 4)};
static const Member flatCollection[] = {MEMBER(FlatCollection, elements, 0),
                                        MEMBER(FlatCollection, count, 4)};
static const Member flatStructure[] = {MEMBER(FlatStructure, entries, 0), MEMBER(FlatStructure, count, 4)};
static const Member flatProperty[] = {MEMBER(FlatBindingProperty, tag, 0),
                                      MEMBER(FlatBindingProperty, payload, 4)};
static const Member flatEntry[] = {MEMBER(FlatStructureEntry, name, 0), MEMBER(FlatStructureEntry, value, 4),
                                   MEMBER(FlatStructureEntry, ownsName, 16)};
static const Member flatError[] = {MEMBER(FlatError, message, 0), MEMBER(FlatError, ownsMessage, 4)};
static const Member version[] = {MEMBER(PluginApiVersion, major, 0), MEMBER(PluginApiVersion, minor, 4),
                                 MEMBER(PluginApiVersion, patch, 8)};
static const Member memoryStats[] = {
    MEMBER(MemoryStats, peakBytes, 0),       MEMBER(MemoryStats, allocationsAtPeak, 8),
    MEMBER(MemoryStats, bytesAllocated, 16), MEMBER(MemoryStats, allocations, 24),
    MEMBER(MemoryStats, bytesFreed, 32),     MEMBER(MemoryStats, frees, 40),
    MEMBER(MemoryStats, reserved, 48)};
static const Member textPair[] = {MEMBER(TextPair, name, 0), MEMBER(TextPair, value, 4)};
static const Member parameter[] = {MEMBER(ApiParameter, name, 0), MEMBER(ApiParameter, value, 4)};
static const Member request[] = {
    MEMBER(ApiRequest, method, 0),         MEMBER(ApiRequest, path, 4),
    MEMBER(ApiRequest, parameters, 8),     MEMBER(ApiRequest, parameterCount, 12),
    MEMBER(ApiRequest, function, 16),      MEMBER(ApiRequest, arguments, 20),
    MEMBER(ApiRequest, argumentCount, 24), MEMBER(ApiRequest, contentType, 28),
    MEMBER(ApiRequest, body, 32),          MEMBER(ApiRequest, bodyLength, 36),
    MEMBER(ApiRequest, caller, 40),        MEMBER(ApiRequest, customMethod, 44)};
static const Member response[] = {MEMBER(ApiResponse, value, 0),
                                  MEMBER(ApiResponse, error.message, 12),
                                  MEMBER(ApiResponse, error.ownsMessage, 16),
                                  MEMBER(ApiResponse, raw, 17),
                                  MEMBER(ApiResponse, form, 18),
                                  MEMBER(ApiResponse, status, 22),
                                  MEMBER(ApiResponse, statusText, 26),
                                  MEMBER(ApiResponse, headers, 30),
                                  MEMBER(ApiResponse, headerCount, 34),
                                  MEMBER(ApiResponse, streamRead, 38),
                                  MEMBER(ApiResponse, streamClose, 42),
                                  MEMBER(ApiResponse, streamLength, 46),
                                  MEMBER(ApiResponse, reserved, 50),
                                  MEMBER(ApiResponse, streamContext, 54),
                                  MEMBER(ApiResponse, release, 58)};
static const Member externalRequest[] = {
    MEMBER(ExternalRequestRecord, method, 0),        MEMBER(ExternalRequestRecord, url, 4),
    MEMBER(ExternalRequestRecord, headers, 8),       MEMBER(ExternalRequestRecord, headerCount, 12),
    MEMBER(ExternalRequestRecord, body, 16),         MEMBER(ExternalRequestRecord, bodyLength, 20),
    MEMBER(ExternalRequestRecord, customMethod, 24), MEMBER(ExternalRequestRecord, timeoutMilliseconds, 28)};
static const Member externalResponse[] = {
    MEMBER(ExternalResponseRecord, failed, 0),  MEMBER(ExternalResponseRecord, status, 4),
    MEMBER(ExternalResponseRecord, headers, 8), MEMBER(ExternalResponseRecord, headerCount, 12),
    MEMBER(ExternalResponseRecord, body, 16),   MEMBER(ExternalResponseRecord, bodyLength, 20)};
static const Member hostEvent[] = {MEMBER(HostEvent, name, 0), MEMBER(HostEvent, payload, 4),
                                   MEMBER(HostEvent, flag, 16), MEMBER(HostEvent, userData, 20)};
static const Member argument[] = {
    MEMBER(ApiArgumentRecord, next, 0),         MEMBER(ApiArgumentRecord, name, 4),
    MEMBER(ApiArgumentRecord, description, 8),  MEMBER(ApiArgumentRecord, kind, 12),
    MEMBER(ApiArgumentRecord, elementKind, 16), MEMBER(ApiArgumentRecord, typeName, 20),
    MEMBER(ApiArgumentRecord, optional, 24)};
static const Member location[] = {MEMBER(ApiArgumentLocation, name, 0), MEMBER(ApiArgumentLocation, code, 4)};
static const Member segment[] = {MEMBER(ApiRouteSegment, next, 0), MEMBER(ApiRouteSegment, pieces, 4),
                                 MEMBER(ApiRouteSegment, pieceCount, 8)};
static const Member function[] = {MEMBER(ApiFunctionRecord, next, 0),
                                  MEMBER(ApiFunctionRecord, reserved, 4),
                                  MEMBER(ApiFunctionRecord, context, 8),
                                  MEMBER(ApiFunctionRecord, name, 12),
                                  MEMBER(ApiFunctionRecord, nameSpace, 16),
                                  MEMBER(ApiFunctionRecord, arguments, 20),
                                  MEMBER(ApiFunctionRecord, argumentCount, 24),
                                  MEMBER(ApiFunctionRecord, resultKind, 28),
                                  MEMBER(ApiFunctionRecord, resultElementKind, 32),
                                  MEMBER(ApiFunctionRecord, resultTypeName, 36),
                                  MEMBER(ApiFunctionRecord, description, 40),
                                  MEMBER(ApiFunctionRecord, help, 44),
                                  MEMBER(ApiFunctionRecord, async, 48),
                                  MEMBER(ApiFunctionRecord, asyncResultTypeName, 49),
                                  MEMBER(ApiFunctionRecord, tags, 53),
                                  MEMBER(ApiFunctionRecord, tagCount, 57),
                                  MEMBER(ApiFunctionRecord, invoker, 61),
                                  MEMBER(ApiFunctionRecord, locations, 65),
                                  MEMBER(ApiFunctionRecord, path, 69),
                                  MEMBER(ApiFunctionRecord, method, 73),
                                  MEMBER(ApiFunctionRecord, detectEncoding, 77),
                                  MEMBER(ApiFunctionRecord, segments, 78),
                                  MEMBER(ApiFunctionRecord, segmentCount, 82),
                                  MEMBER(ApiFunctionRecord, customMethod, 86)};
static const Member member[] = {
    MEMBER(ApiMemberRecord, next, 0),         MEMBER(ApiMemberRecord, name, 4),
    MEMBER(ApiMemberRecord, description, 8),  MEMBER(ApiMemberRecord, kind, 12),
    MEMBER(ApiMemberRecord, elementKind, 16), MEMBER(ApiMemberRecord, typeName, 20),
    MEMBER(ApiMemberRecord, value, 24),       MEMBER(ApiMemberRecord, flags, 28)};
static const Member type[] = {MEMBER(ApiTypeRecord, next, 0),      MEMBER(ApiTypeRecord, name, 4),
                              MEMBER(ApiTypeRecord, nameSpace, 8), MEMBER(ApiTypeRecord, description, 12),
                              MEMBER(ApiTypeRecord, kind, 16),     MEMBER(ApiTypeRecord, typeId, 20),
                              MEMBER(ApiTypeRecord, members, 24),  MEMBER(ApiTypeRecord, memberCount, 28),
                              MEMBER(ApiTypeRecord, tags, 32),     MEMBER(ApiTypeRecord, tagCount, 36)};
static const Member event[] = {MEMBER(ApiEventRecord, next, 0),
                               MEMBER(ApiEventRecord, name, 4),
                               MEMBER(ApiEventRecord, nameSpace, 8),
                               MEMBER(ApiEventRecord, description, 12),
                               MEMBER(ApiEventRecord, payloadTypeName, 16),
                               MEMBER(ApiEventRecord, tags, 20),
                               MEMBER(ApiEventRecord, tagCount, 24)};
static const Member description[] = {
    MEMBER(ApiDescription, functions, 0), MEMBER(ApiDescription, functionCount, 4),
    MEMBER(ApiDescription, types, 8),     MEMBER(ApiDescription, typeCount, 12),
    MEMBER(ApiDescription, events, 16),   MEMBER(ApiDescription, eventCount, 20)};
static const Member services[] = {MEMBER(HostServices, sendRequest, 0),
                                  MEMBER(HostServices, sendExternalRequest, 4),
                                  MEMBER(HostServices, sendEvent, 8),
                                  MEMBER(HostServices, subscribeEvent, 12),
                                  MEMBER(HostServices, unsubscribeEvent, 16),
                                  MEMBER(HostServices, scheduleCallback, 20),
                                  MEMBER(HostServices, yield, 24),
                                  MEMBER(HostServices, beginWait, 28),
                                  MEMBER(HostServices, endWait, 32),
                                  MEMBER(HostServices, log, 36)};
static const Member hostInterface[] = {MEMBER(HostInterface, services, 0), MEMBER(HostInterface, handle, 4)};
static const Member callbacks[] = {MEMBER(PluginCallbacks, initialize, 0),
                                   MEMBER(PluginCallbacks, shutdown, 4),
                                   MEMBER(PluginCallbacks, queryMemoryStats, 8)};
static const Member entryTable[] = {MEMBER(PluginEntryTable, version, 0),
                                    MEMBER(PluginEntryTable, callbacks, 12),
                                    MEMBER(PluginEntryTable, context, 16), MEMBER(PluginEntryTable, name, 20),
                                    MEMBER(PluginEntryTable, api, 24)};

static const Record records[] = {
    RECORD(FlatText, 8, flatText),
    RECORD(FlatBytes, 8, flatBytes),
    RECORD(FlatCollection, 8, flatCollection),
    RECORD(FlatStructure, 8, flatStructure),
    RECORD(FlatBindingProperty, 12, flatProperty),
    RECORD(FlatStructureEntry, 17, flatEntry),
    RECORD(FlatError, 5, flatError),
    RECORD(PluginApiVersion, 12, version),
    RECORD(MemoryStats, 56, memoryStats),
    RECORD(TextPair, 8, textPair),
    RECORD(ApiParameter, 16, parameter),
    RECORD(ApiRequest, 48, request),
    RECORD(ApiResponse, 62, response),
    RECORD(ExternalRequestRecord, 32, externalRequest),
    RECORD(ExternalResponseRecord, 24, externalResponse),
    RECORD(HostEvent, 24, hostEvent),
    RECORD(ApiArgumentRecord, 25, argument),
    RECORD(ApiArgumentLocation, 8, location),
    RECORD(ApiRouteSegment, 12, segment),
    RECORD(ApiFunctionRecord, 90, function),
    RECORD(ApiMemberRecord, 29, member),
    RECORD(ApiTypeRecord, 40, type),
    RECORD(ApiEventRecord, 28, event),
    RECORD(ApiDescription, 24, description),
    RECORD(HostServices, 40, services),
    RECORD(HostInterface, 8, hostInterface),
    RECORD(PluginCallbacks, 12, callbacks),
    RECORD(PluginEntryTable, 28, entryTable),
};

int main(void) {
    const int compare = sizeof(void*) == 4;
    int differences = 0;
    printf("boundary records with %u-byte pointers%s\n", (unsigned)sizeof(void*),
           compare ? ", compared with the documented 32-bit layout" : " (the documented layout is 32-bit)");
    for (size_t r = 0; r < sizeof(records) / sizeof(records[0]); ++r) {
        const Record* record = &records[r];
        const int sizeDiffers = compare && record->size != record->documented;
        differences += sizeDiffers;
        printf("%-24s %3u bytes%s\n", record->name, (unsigned)record->size, sizeDiffers ? "  DIFFERS" : "");
        for (size_t m = 0; m < record->memberCount; ++m) {
            const Member* item = &record->members[m];
            const int offsetDiffers = compare && item->offset != item->documented;
            differences += offsetDiffers;
            printf("    %-22s @%3u%s\n", item->name, (unsigned)item->offset,
                   offsetDiffers ? "  DIFFERS" : "");
        }
    }
    if (differences != 0) printf("%d differences from the documented layout\n", differences);
    return differences == 0 ? 0 : 1;
}
