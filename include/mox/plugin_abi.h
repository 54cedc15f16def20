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

#ifdef __cplusplus
}
#endif

#endif /* MOX_PLUGIN_ABI_H */
