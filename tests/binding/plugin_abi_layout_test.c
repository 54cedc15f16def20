/* Compiles the host boundary header as C, so its layout checks hold for C hosts too, and reports
 * the sizes C sees so that the C++ tests can compare. */
#include "mox/plugin_abi.h"

size_t FlatBindingPropertySizeInC(void) { return sizeof(FlatBindingProperty); }

size_t FlatStructureEntrySizeInC(void) { return sizeof(FlatStructureEntry); }
