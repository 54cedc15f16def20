/* The records and function tables that cross the boundary between the plugin and its host.
 *
 * Plain C, usable from C and C++. Every record is packed (no padding); words that hold pointers
 * are pointer-sized, every other word has a fixed width. On a 32-bit build each record has
 * exactly its documented size and field offsets, checked below at compile time; a 64-bit build
 * widens only the pointers. Members are never reordered.
 *
 * Ownership follows the records: what the plugin hands out is released through the release
 * operation that travels with it; what the host lends is borrowed and copied before it is kept.
 * Every buffer the plugin hands out as owned is allocated with malloc and freed with free, by the
 * plugin's own release operations only (the host never frees it itself). */
#ifndef MOX_PLUGIN_ABI_H
#define MOX_PLUGIN_ABI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define MOX_ABI_STATIC_ASSERT(condition, message) static_assert(condition, message)
extern "C" {
#else
#define MOX_ABI_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

/* Every function pointer of the boundary uses the C calling convention: on 32-bit Windows the
 * caller removes the arguments; elsewhere the platform's C convention already does. */
#if defined(_WIN32) && !defined(_WIN64)
#define MOX_CDECL __cdecl
#else
#define MOX_CDECL
#endif

/* The only symbol the plugin library exports. */
#define MOX_PLUGIN_ENTRY_SYMBOL "load_mox_end_of_game"

#pragma pack(push, 1)

/* Values.
 *
 * A FlatBindingProperty is one value: a 32-bit tag, then an 8-byte payload whose meaning the tag
 * gives. 12 bytes on 32-bit builds (tag 4 + payload 8); 16 bytes on 64-bit builds, where the
 * payload is max(8, pointer 8 + count 4) = 12 bytes. The tags: */
enum FlatKind {
    kFlatKindEmpty = 0,       /* no payload; also stands for null */
    kFlatKindBool = 1,        /* boolean: 0 or 1 */
    kFlatKindSigned = 2,      /* signedValue */
    kFlatKindUnsigned = 3,    /* unsignedValue */
    kFlatKindFloat = 4,       /* floatValue */
    kFlatKindString = 5,      /* text.data, NUL-terminated, borrowed; text.length unused */
    kFlatKindOwnedString = 6, /* text.data, NUL-terminated, and text.length; owned */
    kFlatKindBlob = 7,        /* bytes.data and bytes.size; borrowed */
    kFlatKindOwnedBlob = 8,   /* bytes.data and bytes.size; owned */
    kFlatKindCollection = 9,  /* collection: elements and count; owned with every element */
    kFlatKindStructure = 10   /* structure: entries and count; owned with every entry */
};
/* Any other tag is invalid: the plugin refuses it when reading. The plugin only reads tags 5 and
 * 7 (it never frees them); it always writes 6 and 8. */

struct FlatBindingProperty;
struct FlatStructureEntry;

/* Tags 5 and 6. The text ends with a NUL byte; a text the plugin writes stops at the value's
 * first NUL byte and `length` counts the bytes before the terminating NUL. */
typedef struct FlatText {
    const char* data;
    uint32_t length;
} FlatText;

/* Tags 7 and 8. `data` may be null only when `size` is 0. */
typedef struct FlatBytes {
    const uint8_t* data;
    uint32_t size;
} FlatBytes;

/* Tag 9: `count` consecutive records, the elements in order. */
typedef struct FlatCollection {
    struct FlatBindingProperty* elements;
    uint32_t count;
} FlatCollection;

/* Tag 10: `count` consecutive entries, in ascending unsigned byte order of their names when the
 * plugin writes them. */
typedef struct FlatStructure {
    struct FlatStructureEntry* entries;
    uint32_t count;
} FlatStructure;

typedef union FlatPayload {
    uint8_t boolean;
    int64_t signedValue;
    uint64_t unsignedValue;
    double floatValue;
    FlatText text;
    FlatBytes bytes;
    FlatCollection collection;
    FlatStructure structure;
} FlatPayload;

/* The record's holder owns what the tag says it owns (table above) and releases it through the
 * release operation of whoever produced it, which frees the buffers and zeroes the record. */
typedef struct FlatBindingProperty {
    uint32_t tag; /* a FlatKind */
    FlatPayload payload;
} FlatBindingProperty;

/* One field of a structure: 17 bytes on 32-bit builds, 25 on 64-bit builds. */
typedef struct FlatStructureEntry {
    const char* name;          /* NUL-terminated field name */
    FlatBindingProperty value; /* owned by the entry */
    uint8_t ownsName;          /* 1 when the entry owns `name` (the plugin always writes 1) */
} FlatStructureEntry;

/* Where a conversion from the flat form reports its failure: the same two words the host's
 * response record uses for its error text. */
typedef struct FlatError {
    const char* message; /* NUL-terminated; null while there is no error */
    uint8_t ownsMessage; /* 1 when the record owns `message` (the plugin always writes 1) */
} FlatError;

/* Threads, for everything below: the host calls into the plugin (the entry, the callbacks,
 * subscription and timer callbacks, invokers, stream and release functions) on one thread of its
 * choosing and never on two threads at once; the plugin calls the host's services only on that
 * thread and only from inside one of those calls. A service may call back into the plugin before
 * it returns (`yield` does; `sendRequest` may reach one of the plugin's own functions). */

/* Method codes of requests, routes and invocations. Any other value is treated as kApiMethodNone,
 * whose name is empty. */
enum ApiMethod {
    kApiMethodNone = 0,
    kApiMethodDelete = 1,  /* "DELETE" */
    kApiMethodGet = 2,     /* "GET" */
    kApiMethodHead = 3,    /* "HEAD" */
    kApiMethodOptions = 4, /* "OPTIONS" */
    kApiMethodPatch = 5,   /* "PATCH" */
    kApiMethodPost = 6,    /* "POST" */
    kApiMethodPut = 7,     /* "PUT" */
    kApiMethodCustom = 8   /* the name travels separately (ApiRequest.customMethod) */
};

/* The opaque value by which the host knows a plugin; pointer-sized so that a host may use an
 * address. Given by the host in HostInterface.handle and passed back unchanged. */
typedef uintptr_t PluginHandle;

/* An interface version: major, minor, patch. */
typedef struct PluginApiVersion {
    uint32_t major;
    uint32_t minor;
    uint32_t patch;
} PluginApiVersion;

/* The plugin's allocation counters, filled by PluginCallbacks.queryMemoryStats. Bytes are the
 * usable sizes the system allocator reports. */
typedef struct MemoryStats {
    uint64_t peakBytes;         /* highest bytes in use (allocated minus freed) seen so far */
    uint64_t allocationsAtPeak; /* live allocations when peakBytes was last raised */
    uint64_t bytesAllocated;    /* total */
    uint64_t allocations;       /* total */
    uint64_t bytesFreed;        /* total */
    uint64_t frees;             /* total */
    uint64_t reserved;          /* always 0 */
} MemoryStats;

/* A pair of NUL-terminated texts: a header (name, value) or a text argument (name, value). Who owns
 * the texts is said by the record that holds the array. */
typedef struct TextPair {
    const char* name;
    const char* value;
} TextPair;

/* One named parameter of a request: 16 bytes on 32-bit builds. */
typedef struct ApiParameter {
    const char* name;          /* NUL-terminated */
    FlatBindingProperty value; /* owned as the flat value's tag says, by the request's sender */
} ApiParameter;

struct ApiResponse;
struct ApiFunctionRecord;

/* Reads the next chunk of a streamed response into `buffer`. On entry `*size` is the buffer's
 * capacity; on return it holds the number of bytes delivered (possibly 0) and `*more` is 1 when
 * more data may follow, 0 at the end. Returns 1 on success, 0 on a read error (the stream is then
 * over). Called by the response's holder, before the response is released. */
typedef uint8_t(MOX_CDECL* StreamReadFunction)(void* context, uint8_t* buffer, uint32_t* size, uint8_t* more);
/* Ends the reading of a stream early or after its end; no read may follow. Optional (may be null);
 * the context itself stays valid until the response is released. */
typedef void(MOX_CDECL* StreamCloseFunction)(void* context);

/* Frees everything the response record owns (value, error text, status text, headers and their
 * texts, stream context) and zeroes the record. Called once by the response's holder when it has
 * copied what it needs; calling it on a zeroed record does nothing. */
typedef void(MOX_CDECL* ApiResponseRelease)(struct ApiResponse* response);

/* A local API request, 48 bytes on 32-bit builds. The same record carries the plugin's outgoing
 * requests (sendRequest: the plugin owns the record and everything it points to for the duration
 * of the call; the host copies what it keeps) and the host's invocations of a plugin function
 * (ApiFunctionRecord.invoker: the host owns it for the duration of the call; the plugin copies
 * what it keeps). The sender zero-fills it before use. */
typedef struct ApiRequest {
    uint32_t method;                /* an ApiMethod */
    const char* path;               /* NUL-terminated, e.g. "/mox-x/v1/items/42" */
    const ApiParameter* parameters; /* `parameterCount` entries; may be null when 0 */
    uint32_t parameterCount;
    const struct ApiFunctionRecord* function; /* invocations: the called function's record (the
                                               * invoker reaches its context through it);
                                               * outgoing requests: null */
    const TextPair* arguments;                /* arguments given as text (the query); may be null
                                               * when `argumentCount` is 0 */
    uint32_t argumentCount;
    const char* contentType;  /* the body's content type, or null */
    const uint8_t* body;      /* the body, or null when there is none */
    uint32_t bodyLength;      /* bytes of `body`; 0 with a non-null body means the
                               * body is a NUL-terminated text */
    PluginHandle caller;      /* the sending plugin's handle; 0 when the host
                               * itself invokes */
    const char* customMethod; /* NUL-terminated; read only when `method` is 8 */
} ApiRequest;

/* Form codes of a response: how the value is meant to be written for the final reader. */
enum ApiResponseForm {
    kApiResponseFormDefault = 0, /* the host's choice (JSON for a web client) */
    kApiResponseFormJson = 1,
    kApiResponseFormMessagePack = 2,
    kApiResponseFormYaml = 3
};

/* The answer to a local request or an invocation, 62 bytes on 32-bit builds. The caller passes a
 * zeroed record; the side that answers fills it with memory it owns and stores its own release
 * function in `release`. The caller owns the filled record from then on and calls `release` once,
 * on the same thread, when it has copied what it needs (after reading and closing any stream). */
typedef struct ApiResponse {
    FlatBindingProperty value; /* the result; tag 0 when there is none */
    FlatError error;           /* the error text, null on success; ownsMessage 1 when owned */
    uint8_t raw;               /* 1 when the value is a text or blob to be passed on unchanged
                                * (its content type among the headers) instead of encoded */
    uint32_t form;             /* an ApiResponseForm; any other value is written as 0 */
    uint32_t status;           /* HTTP-style status; 0 when the answering side set none */
    const char* statusText;    /* NUL-terminated, owned; the empty text when there is none (a
                                * reader also takes null for it) */
    TextPair* headers;         /* `headerCount` (name, value) pairs; the array and every text owned */
    uint32_t headerCount;
    StreamReadFunction streamRead;   /* null when the response is not streamed */
    StreamCloseFunction streamClose; /* may be null */
    uint32_t streamLength;           /* expected stream length in bytes: a capacity hint */
    uint32_t reserved;               /* 0 */
    void* streamContext;             /* owned; passed to the two stream functions */
    ApiResponseRelease release;      /* the filler's release function; null while the record is empty */
} ApiResponse;

/* An external (HTTP) request carried out by the host, 32 bytes on 32-bit builds. Owned by the
 * plugin for the duration of sendExternalRequest; the host copies what it keeps. */
typedef struct ExternalRequestRecord {
    uint32_t method;         /* an ApiMethod */
    const char* url;         /* NUL-terminated absolute URL */
    const TextPair* headers; /* `headerCount` pairs, in the order to send them; null when 0 */
    uint32_t headerCount;
    const uint8_t* body; /* `bodyLength` bytes; may be null when 0 */
    uint32_t bodyLength;
    const char* customMethod;     /* NUL-terminated method name, read only when `method` is 8 */
    uint32_t timeoutMilliseconds; /* 0: the host's default */
} ExternalRequestRecord;

/* The host's answer to an external request, 24 bytes on 32-bit builds. Filled by the host with
 * memory it owns; valid until the plugin's next call of any host service or until the plugin's
 * current callback returns, whichever comes first: the plugin copies what it keeps. */
typedef struct ExternalResponseRecord {
    uint32_t failed;         /* non-zero when the request could not be made (no connection) */
    uint32_t status;         /* HTTP status; 0 when failed */
    const TextPair* headers; /* `headerCount` pairs as received; null when 0 */
    uint32_t headerCount;
    const uint8_t* body; /* the body, or, when `failed`, the message's characters */
    uint32_t bodyLength; /* bytes of `body` (of the message when `failed`, no NUL counted) */
} ExternalResponseRecord;

/* An event, 24 bytes on 32-bit builds. For sendEvent the plugin owns the record and its payload
 * for the duration of the call (the host copies the payload before keeping it). For a delivery
 * the host owns both for the duration of the subscription callback. */
typedef struct HostEvent {
    const char* name; /* NUL-terminated event name */
    FlatBindingProperty payload;
    uint32_t flag;  /* the sender's flag word (0 for resource events) */
    void* userData; /* delivery: the subscriber's user data; ignored by sendEvent */
} HostEvent;

/* Called by the host, on its thread, once per delivery of an event the plugin subscribed to. */
typedef void(MOX_CDECL* HostEventCallback)(const HostEvent* event);

/* Called by the host, on its thread, once when a scheduled callback is due. */
typedef void(MOX_CDECL* TimerCallback)(void* userData);

/* Calls one of the plugin's API functions: fills `response` (releasing what it held first and
 * storing the plugin's release function) for `request`. Called by the host on its thread; the
 * host then owns the response and releases it through its release function. */
typedef void(MOX_CDECL* ApiFunctionInvoker)(struct ApiResponse* response, const ApiRequest* request);

/* One argument of a function, 25 bytes on 32-bit builds. */
typedef struct ApiArgumentRecord {
    const struct ApiArgumentRecord* next; /* the next argument, null in the last */
    const char* name;
    const char* description; /* the empty text when there is none */
    uint32_t kind;           /* the argument's NativeTypeKind */
    uint32_t elementKind;    /* vectors and maps: the element's kind; otherwise 0 */
    const char* typeName;    /* registered name of the enumeration or structure
                              * (of the element for vectors and maps); else "" */
    uint8_t optional;        /* 1 when the argument may be left out */
} ApiArgumentRecord;

/* Where an argument is taken from. The first three are the route's placeholder kinds. */
enum ApiArgumentLocationCode {
    kApiLocationPathSegment = 1, /* a {name} placeholder of the path */
    kApiLocationRestOfPath = 2,  /* a {+name} placeholder */
    kApiLocationFragment = 3,    /* a {#name} placeholder */
    kApiLocationQuery = 4,       /* a text argument or a request parameter */
    kApiLocationBody = 5         /* the request's body */
};

/* One argument's location, 8 bytes on 32-bit builds; a function has one per argument, in the
 * order of its arguments. */
typedef struct ApiArgumentLocation {
    const char* name; /* the argument's name */
    uint32_t code;    /* an ApiArgumentLocationCode */
} ApiArgumentLocation;

/* One "/"-separated segment of a route's path template, 12 bytes on 32-bit builds: its pieces in
 * order, literal text as written and each placeholder as written with its braces ("items",
 * "{id}", "{+rest}", "by-", "{name}"). A host may match paths with them without a regular
 * expression. */
typedef struct ApiRouteSegment {
    const struct ApiRouteSegment* next; /* the next segment, null in the last */
    const char* const* pieces;
    uint32_t pieceCount;
} ApiRouteSegment;

/* One API function of the plugin, reached by one route: 90 bytes on 32-bit builds. The record,
 * its arrays and texts are owned by the plugin, written once during the entry, read-only
 * afterwards and valid until shutdown. Texts are NUL-terminated and never null (the empty text
 * stands for none); arrays may be null when their count is 0. */
typedef struct ApiFunctionRecord {
    const struct ApiFunctionRecord* next; /* the next record of the array, null in the last */
    const void* reserved;                 /* null */
    void* context;                        /* the plugin's, for the invoker only */
    const char* name;                     /* e.g. "GetMoxEndOfGameV1ReportedPlayers" */
    const char* nameSpace;
    const ApiArgumentRecord* arguments; /* `argumentCount` consecutive records */
    uint32_t argumentCount;
    uint32_t resultKind;        /* NativeTypeKind of the result; 0: no result */
    uint32_t resultElementKind; /* vectors and maps: the element's kind; otherwise 0 */
    const char* resultTypeName; /* "" unless the kind is 15, 16, 17 or 19 */
    const char* description;
    const char* help;
    uint8_t async;                   /* 1 when the function completes later */
    const char* asyncResultTypeName; /* async functions: the result's type name; else "" */
    const char* const* tags;         /* `tagCount` texts */
    uint32_t tagCount;
    ApiFunctionInvoker invoker;           /* never null */
    const ApiArgumentLocation* locations; /* `argumentCount` entries, parallel to `arguments` */
    const char* path;                     /* the route's path template */
    uint32_t method;                      /* the route's ApiMethod; 0 accepts every method */
    uint8_t detectEncoding;               /* 1 when text arguments without a content type are
                                           * tried as MessagePack, JSON, then YAML; 0 keeps them
                                           * as text */
    const ApiRouteSegment* segments;      /* `segmentCount` consecutive entries */
    uint32_t segmentCount;
    const char* customMethod; /* the method's name when `method` is 8; else "" */
} ApiFunctionRecord;

/* One member of a registered type: a field of a structure or a value of an enumeration. 29 bytes
 * on 32-bit builds. */
typedef struct ApiMemberRecord {
    const struct ApiMemberRecord* next; /* the next member, null in the last */
    const char* name;                   /* field key or enumerator name */
    const char* description;
    uint32_t kind;        /* fields: the NativeTypeKind; enumerators: 0 */
    uint32_t elementKind; /* fields of vectors and maps: the element's kind; else 0 */
    const char* typeName; /* fields: registered name of the enumeration or structure
                           * (of the element for vectors and maps); else "" */
    int32_t value;        /* enumerators: the value; fields: 0 */
    uint8_t flags;        /* fields: bit 0 omitted when default, bit 1 required */
} ApiMemberRecord;

/* One registered type, 40 bytes on 32-bit builds. Ownership and lifetime as ApiFunctionRecord. */
typedef struct ApiTypeRecord {
    const struct ApiTypeRecord* next; /* the next record of the array, null in the last */
    const char* name;
    const char* nameSpace;
    const char* description;
    uint32_t kind;                  /* 16 enumeration, 17 structure (NativeTypeKind) */
    uint32_t typeId;                /* the registry's 32-bit type id */
    const ApiMemberRecord* members; /* fields in registration order, or enumerators in
                                     * ascending order of value */
    uint32_t memberCount;
    const char* const* tags;
    uint32_t tagCount;
} ApiTypeRecord;

/* One registered event, 28 bytes on 32-bit builds. Ownership and lifetime as ApiFunctionRecord. */
typedef struct ApiEventRecord {
    const struct ApiEventRecord* next; /* the next record of the array, null in the last */
    const char* name;
    const char* nameSpace;
    const char* description;
    const char* payloadTypeName; /* registered type name of the payload, or the kind's name
                                  * ("string", "object", ...) for other payloads */
    const char* const* tags;
    uint32_t tagCount;
} ApiEventRecord;

/* What the plugin offers, six words: three packed arrays whose records also link to the next one,
 * so that they can be walked as arrays or as lists. Owned by the plugin, built once during the
 * entry, valid until shutdown. */
typedef struct ApiDescription {
    const ApiFunctionRecord* functions;
    uint32_t functionCount;
    const ApiTypeRecord* types;
    uint32_t typeCount;
    const ApiEventRecord* events;
    uint32_t eventCount;
} ApiDescription;

struct HostServices;

/* The host's ten services, in slot order. The table and the functions are the host's and stay
 * valid until the host has called `shutdown`; each receives the table itself first. Texts are
 * NUL-terminated and owned by the caller for the duration of the call. Called by the plugin on
 * the host's thread, only after `initialize` has been called and not after `shutdown` returned. */
typedef struct HostServices {
    /* Routes a local request to the plugin (or host part) owning its path and fills `response`
     * (zeroed by the plugin) with memory the host owns and the host's release function. */
    void(MOX_CDECL* sendRequest)(const struct HostServices* services, ApiResponse* response,
                                 const ApiRequest* request);
    /* Carries out an external request and fills `response` (see ExternalResponseRecord). */
    void(MOX_CDECL* sendExternalRequest)(const struct HostServices* services,
                                         ExternalResponseRecord* response,
                                         const ExternalRequestRecord* request);
    /* Publishes an event to the subscribers of its exact name; the host copies the payload. */
    void(MOX_CDECL* sendEvent)(const struct HostServices* services, const HostEvent* event);
    /* Delivers every later event of that exact name to `callback` with `userData` in the record.
     * `flag`: 0 for resource events, 1 for LCDS and service-proxy events. */
    void(MOX_CDECL* subscribeEvent)(const struct HostServices* services, const char* name,
                                    PluginHandle handle, HostEventCallback callback, void* userData,
                                    uint32_t flag);
    /* Ends the deliveries of that name to that plugin. */
    void(MOX_CDECL* unsubscribeEvent)(const struct HostServices* services, const char* name,
                                      PluginHandle handle);
    /* Calls `callback(userData)` once, on a later turn of the host, when `delaySeconds` have
     * passed (0 or less: on the next turn). `flag` is 0. */
    void(MOX_CDECL* scheduleCallback)(const struct HostServices* services, const char* label,
                                      TimerCallback callback, void* userData, double delaySeconds,
                                      uint32_t flag);
    /* Runs one turn of the host's pending work (it may call into the plugin) and returns. */
    void(MOX_CDECL* yield)(const struct HostServices* services);
    /* Announces that the plugin waits, under a label, until the matching endWait. `word` is 0. */
    void(MOX_CDECL* beginWait)(const struct HostServices* services, const char* label, uint32_t word);
    /* Ends the innermost wait announced with beginWait. */
    void(MOX_CDECL* endWait)(const struct HostServices* services);
    /* Writes one log line of the plugin: `level` 0 okay, 1 warning, 2 error, 3 always. Returns 1
     * when the line was taken; the plugin ignores the result. */
    uint8_t(MOX_CDECL* log)(const struct HostServices* services, uint32_t level, const char* text);
} HostServices;

/* What the host passes to `initialize`. Owned by the host; must stay valid, unchanged, until
 * `shutdown` has returned (the plugin keeps its address and reads `services` on every call). */
typedef struct HostInterface {
    const HostServices* services;
    PluginHandle handle;
} HostInterface;

/* The plugin's three callbacks, owned by the plugin and valid until `shutdown`. Called by the host
 * on its thread: `initialize` once after the entry, `queryMemoryStats` any time between the entry
 * and `shutdown`, `shutdown` once, last, never while another call into the plugin is running. */
typedef struct PluginCallbacks {
    /* Connects the plugin to the host and starts it; returns 1 when started, 0 otherwise. */
    uint8_t(MOX_CDECL* initialize)(void* context, const HostInterface* host);
    /* Finalizes and destroys the plugin; `context` and every record of the plugin are invalid
     * afterwards. */
    void(MOX_CDECL* shutdown)(void* context);
    /* Fills the 56 bytes of `stats`. */
    void(MOX_CDECL* queryMemoryStats)(void* context, MemoryStats* stats);
} PluginCallbacks;

/* The only argument of the entry function. Owned by the host; the entry reads `version` (the
 * host's) and, when it accepts the host, writes every member (the plugin's version over the
 * host's). The pointers written stay valid until `shutdown`. */
typedef struct PluginEntryTable {
    PluginApiVersion version;         /* in: the host's; out: the plugin's */
    const PluginCallbacks* callbacks; /* out */
    void* context;                    /* out: first argument of every callback */
    const char* name;                 /* out: the plugin's short name */
    const ApiDescription* api;        /* out */
} PluginEntryTable;

/* The entry function, exported as MOX_PLUGIN_ENTRY_SYMBOL. Called once by the host on its thread.
 * It ends the process when the host's version is incompatible. */
typedef void(MOX_CDECL* PluginEntryFunction)(PluginEntryTable* table);

#pragma pack(pop)

MOX_ABI_STATIC_ASSERT(offsetof(FlatBindingProperty, tag) == 0, "FlatBindingProperty.tag offset");
MOX_ABI_STATIC_ASSERT(offsetof(FlatBindingProperty, payload) == 4, "FlatBindingProperty.payload offset");
MOX_ABI_STATIC_ASSERT(offsetof(FlatText, length) == sizeof(void*), "FlatText.length offset");
MOX_ABI_STATIC_ASSERT(offsetof(FlatBytes, size) == sizeof(void*), "FlatBytes.size offset");
MOX_ABI_STATIC_ASSERT(offsetof(FlatCollection, count) == sizeof(void*), "FlatCollection.count offset");
MOX_ABI_STATIC_ASSERT(offsetof(FlatStructure, count) == sizeof(void*), "FlatStructure.count offset");
MOX_ABI_STATIC_ASSERT(offsetof(FlatStructureEntry, value) == sizeof(void*),
                      "FlatStructureEntry.value offset");
MOX_ABI_STATIC_ASSERT(offsetof(FlatStructureEntry, ownsName) == sizeof(void*) + sizeof(FlatBindingProperty),
                      "FlatStructureEntry.ownsName offset");
MOX_ABI_STATIC_ASSERT(offsetof(FlatError, ownsMessage) == sizeof(void*), "FlatError.ownsMessage offset");
#if UINTPTR_MAX == 0xFFFFFFFFu
MOX_ABI_STATIC_ASSERT(sizeof(FlatBindingProperty) == 12, "FlatBindingProperty is 12 bytes on 32-bit builds");
MOX_ABI_STATIC_ASSERT(sizeof(FlatStructureEntry) == 17, "FlatStructureEntry is 17 bytes on 32-bit builds");
MOX_ABI_STATIC_ASSERT(sizeof(FlatError) == 5, "FlatError is 5 bytes on 32-bit builds");
#else
MOX_ABI_STATIC_ASSERT(sizeof(FlatBindingProperty) == 16, "FlatBindingProperty is 16 bytes on 64-bit builds");
MOX_ABI_STATIC_ASSERT(sizeof(FlatStructureEntry) == 25, "FlatStructureEntry is 25 bytes on 64-bit builds");
MOX_ABI_STATIC_ASSERT(sizeof(FlatError) == 9, "FlatError is 9 bytes on 64-bit builds");
#endif

#if UINTPTR_MAX == 0xFFFFFFFFu
#define MOX_ABI_OFFSET(type, member, offset) \
    MOX_ABI_STATIC_ASSERT(offsetof(type, member) == (offset), #type "." #member " offset")
#define MOX_ABI_SIZE(type, size) MOX_ABI_STATIC_ASSERT(sizeof(type) == (size), #type " size")
MOX_ABI_SIZE(PluginApiVersion, 12);
MOX_ABI_SIZE(MemoryStats, 56);
MOX_ABI_SIZE(TextPair, 8);
MOX_ABI_SIZE(ApiParameter, 16);
MOX_ABI_OFFSET(ApiParameter, value, 4);
MOX_ABI_SIZE(ApiRequest, 48);
MOX_ABI_OFFSET(ApiRequest, method, 0);
MOX_ABI_OFFSET(ApiRequest, path, 4);
MOX_ABI_OFFSET(ApiRequest, parameters, 8);
MOX_ABI_OFFSET(ApiRequest, parameterCount, 12);
MOX_ABI_OFFSET(ApiRequest, function, 16);
MOX_ABI_OFFSET(ApiRequest, arguments, 20);
MOX_ABI_OFFSET(ApiRequest, argumentCount, 24);
MOX_ABI_OFFSET(ApiRequest, contentType, 28);
MOX_ABI_OFFSET(ApiRequest, body, 32);
MOX_ABI_OFFSET(ApiRequest, bodyLength, 36);
MOX_ABI_OFFSET(ApiRequest, caller, 40);
MOX_ABI_OFFSET(ApiRequest, customMethod, 44);
MOX_ABI_SIZE(ApiResponse, 62);
MOX_ABI_OFFSET(ApiResponse, value, 0);
MOX_ABI_OFFSET(ApiResponse, error.message, 12);
MOX_ABI_OFFSET(ApiResponse, error.ownsMessage, 16);
MOX_ABI_OFFSET(ApiResponse, raw, 17);
MOX_ABI_OFFSET(ApiResponse, form, 18);
MOX_ABI_OFFSET(ApiResponse, status, 22);
MOX_ABI_OFFSET(ApiResponse, statusText, 26);
MOX_ABI_OFFSET(ApiResponse, headers, 30);
MOX_ABI_OFFSET(ApiResponse, headerCount, 34);
MOX_ABI_OFFSET(ApiResponse, streamRead, 38);
MOX_ABI_OFFSET(ApiResponse, streamClose, 42);
MOX_ABI_OFFSET(ApiResponse, streamLength, 46);
MOX_ABI_OFFSET(ApiResponse, reserved, 50);
MOX_ABI_OFFSET(ApiResponse, streamContext, 54);
MOX_ABI_OFFSET(ApiResponse, release, 58);
MOX_ABI_SIZE(ExternalRequestRecord, 32);
MOX_ABI_OFFSET(ExternalRequestRecord, url, 4);
MOX_ABI_OFFSET(ExternalRequestRecord, headers, 8);
MOX_ABI_OFFSET(ExternalRequestRecord, headerCount, 12);
MOX_ABI_OFFSET(ExternalRequestRecord, body, 16);
MOX_ABI_OFFSET(ExternalRequestRecord, bodyLength, 20);
MOX_ABI_OFFSET(ExternalRequestRecord, customMethod, 24);
MOX_ABI_OFFSET(ExternalRequestRecord, timeoutMilliseconds, 28);
MOX_ABI_SIZE(ExternalResponseRecord, 24);
MOX_ABI_OFFSET(ExternalResponseRecord, status, 4);
MOX_ABI_OFFSET(ExternalResponseRecord, headers, 8);
MOX_ABI_OFFSET(ExternalResponseRecord, headerCount, 12);
MOX_ABI_OFFSET(ExternalResponseRecord, body, 16);
MOX_ABI_OFFSET(ExternalResponseRecord, bodyLength, 20);
MOX_ABI_SIZE(HostEvent, 24);
MOX_ABI_OFFSET(HostEvent, name, 0);
MOX_ABI_OFFSET(HostEvent, payload, 4);
MOX_ABI_OFFSET(HostEvent, flag, 16);
MOX_ABI_OFFSET(HostEvent, userData, 20);
MOX_ABI_SIZE(ApiArgumentRecord, 25);
MOX_ABI_OFFSET(ApiArgumentRecord, name, 4);
MOX_ABI_OFFSET(ApiArgumentRecord, description, 8);
MOX_ABI_OFFSET(ApiArgumentRecord, kind, 12);
MOX_ABI_OFFSET(ApiArgumentRecord, elementKind, 16);
MOX_ABI_OFFSET(ApiArgumentRecord, typeName, 20);
MOX_ABI_OFFSET(ApiArgumentRecord, optional, 24);
MOX_ABI_SIZE(ApiArgumentLocation, 8);
MOX_ABI_OFFSET(ApiArgumentLocation, code, 4);
MOX_ABI_SIZE(ApiRouteSegment, 12);
MOX_ABI_OFFSET(ApiRouteSegment, pieces, 4);
MOX_ABI_OFFSET(ApiRouteSegment, pieceCount, 8);
MOX_ABI_SIZE(ApiFunctionRecord, 90);
MOX_ABI_OFFSET(ApiFunctionRecord, next, 0);
MOX_ABI_OFFSET(ApiFunctionRecord, reserved, 4);
MOX_ABI_OFFSET(ApiFunctionRecord, context, 8);
MOX_ABI_OFFSET(ApiFunctionRecord, name, 12);
MOX_ABI_OFFSET(ApiFunctionRecord, nameSpace, 16);
MOX_ABI_OFFSET(ApiFunctionRecord, arguments, 20);
MOX_ABI_OFFSET(ApiFunctionRecord, argumentCount, 24);
MOX_ABI_OFFSET(ApiFunctionRecord, resultKind, 28);
MOX_ABI_OFFSET(ApiFunctionRecord, resultElementKind, 32);
MOX_ABI_OFFSET(ApiFunctionRecord, resultTypeName, 36);
MOX_ABI_OFFSET(ApiFunctionRecord, description, 40);
MOX_ABI_OFFSET(ApiFunctionRecord, help, 44);
MOX_ABI_OFFSET(ApiFunctionRecord, async, 48);
MOX_ABI_OFFSET(ApiFunctionRecord, asyncResultTypeName, 49);
MOX_ABI_OFFSET(ApiFunctionRecord, tags, 53);
MOX_ABI_OFFSET(ApiFunctionRecord, tagCount, 57);
MOX_ABI_OFFSET(ApiFunctionRecord, invoker, 61);
MOX_ABI_OFFSET(ApiFunctionRecord, locations, 65);
MOX_ABI_OFFSET(ApiFunctionRecord, path, 69);
MOX_ABI_OFFSET(ApiFunctionRecord, method, 73);
MOX_ABI_OFFSET(ApiFunctionRecord, detectEncoding, 77);
MOX_ABI_OFFSET(ApiFunctionRecord, segments, 78);
MOX_ABI_OFFSET(ApiFunctionRecord, segmentCount, 82);
MOX_ABI_OFFSET(ApiFunctionRecord, customMethod, 86);
MOX_ABI_SIZE(ApiMemberRecord, 29);
MOX_ABI_OFFSET(ApiMemberRecord, value, 24);
MOX_ABI_OFFSET(ApiMemberRecord, flags, 28);
MOX_ABI_SIZE(ApiTypeRecord, 40);
MOX_ABI_OFFSET(ApiTypeRecord, kind, 16);
MOX_ABI_OFFSET(ApiTypeRecord, typeId, 20);
MOX_ABI_OFFSET(ApiTypeRecord, members, 24);
MOX_ABI_OFFSET(ApiTypeRecord, memberCount, 28);
MOX_ABI_OFFSET(ApiTypeRecord, tags, 32);
MOX_ABI_OFFSET(ApiTypeRecord, tagCount, 36);
MOX_ABI_SIZE(ApiEventRecord, 28);
MOX_ABI_OFFSET(ApiEventRecord, payloadTypeName, 16);
MOX_ABI_OFFSET(ApiEventRecord, tags, 20);
MOX_ABI_OFFSET(ApiEventRecord, tagCount, 24);
MOX_ABI_SIZE(ApiDescription, 24);
MOX_ABI_OFFSET(ApiDescription, types, 8);
MOX_ABI_OFFSET(ApiDescription, events, 16);
MOX_ABI_OFFSET(ApiDescription, eventCount, 20);
MOX_ABI_SIZE(HostServices, 40);
MOX_ABI_OFFSET(HostServices, sendRequest, 0);
MOX_ABI_OFFSET(HostServices, sendExternalRequest, 4);
MOX_ABI_OFFSET(HostServices, sendEvent, 8);
MOX_ABI_OFFSET(HostServices, subscribeEvent, 12);
MOX_ABI_OFFSET(HostServices, unsubscribeEvent, 16);
MOX_ABI_OFFSET(HostServices, scheduleCallback, 20);
MOX_ABI_OFFSET(HostServices, yield, 24);
MOX_ABI_OFFSET(HostServices, beginWait, 28);
MOX_ABI_OFFSET(HostServices, endWait, 32);
MOX_ABI_OFFSET(HostServices, log, 36);
MOX_ABI_SIZE(HostInterface, 8);
MOX_ABI_OFFSET(HostInterface, handle, 4);
MOX_ABI_SIZE(PluginCallbacks, 12);
MOX_ABI_OFFSET(PluginCallbacks, shutdown, 4);
MOX_ABI_OFFSET(PluginCallbacks, queryMemoryStats, 8);
MOX_ABI_SIZE(PluginEntryTable, 28);
MOX_ABI_OFFSET(PluginEntryTable, callbacks, 12);
MOX_ABI_OFFSET(PluginEntryTable, context, 16);
MOX_ABI_OFFSET(PluginEntryTable, name, 20);
MOX_ABI_OFFSET(PluginEntryTable, api, 24);
#undef MOX_ABI_OFFSET
#undef MOX_ABI_SIZE
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
/* 64-bit builds: the same members with 8-byte pointers. */
MOX_ABI_STATIC_ASSERT(sizeof(MemoryStats) == 56, "MemoryStats size");
MOX_ABI_STATIC_ASSERT(sizeof(TextPair) == 16, "TextPair size");
MOX_ABI_STATIC_ASSERT(sizeof(ApiParameter) == 24, "ApiParameter size");
MOX_ABI_STATIC_ASSERT(sizeof(ApiRequest) == 80, "ApiRequest size");
MOX_ABI_STATIC_ASSERT(sizeof(ApiResponse) == 94, "ApiResponse size");
MOX_ABI_STATIC_ASSERT(offsetof(ApiResponse, release) == 86, "ApiResponse.release offset");
MOX_ABI_STATIC_ASSERT(sizeof(ExternalRequestRecord) == 48, "ExternalRequestRecord size");
MOX_ABI_STATIC_ASSERT(sizeof(ExternalResponseRecord) == 32, "ExternalResponseRecord size");
MOX_ABI_STATIC_ASSERT(sizeof(HostEvent) == 36, "HostEvent size");
MOX_ABI_STATIC_ASSERT(sizeof(ApiArgumentRecord) == 41, "ApiArgumentRecord size");
MOX_ABI_STATIC_ASSERT(sizeof(ApiArgumentLocation) == 12, "ApiArgumentLocation size");
MOX_ABI_STATIC_ASSERT(sizeof(ApiRouteSegment) == 20, "ApiRouteSegment size");
MOX_ABI_STATIC_ASSERT(sizeof(ApiFunctionRecord) == 154, "ApiFunctionRecord size");
MOX_ABI_STATIC_ASSERT(sizeof(ApiMemberRecord) == 45, "ApiMemberRecord size");
MOX_ABI_STATIC_ASSERT(sizeof(ApiTypeRecord) == 64, "ApiTypeRecord size");
MOX_ABI_STATIC_ASSERT(sizeof(ApiEventRecord) == 52, "ApiEventRecord size");
MOX_ABI_STATIC_ASSERT(sizeof(ApiDescription) == 36, "ApiDescription size");
MOX_ABI_STATIC_ASSERT(sizeof(HostServices) == 80, "HostServices size");
MOX_ABI_STATIC_ASSERT(sizeof(HostInterface) == 16, "HostInterface size");
MOX_ABI_STATIC_ASSERT(sizeof(PluginCallbacks) == 24, "PluginCallbacks size");
MOX_ABI_STATIC_ASSERT(sizeof(PluginEntryTable) == 44, "PluginEntryTable size");
#endif

#ifdef __cplusplus
}
#endif

#endif /* MOX_PLUGIN_ABI_H */
