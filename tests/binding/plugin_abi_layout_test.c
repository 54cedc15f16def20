/* Compiles the host boundary header as C, so its layout checks hold for C hosts too. */
#include "mox/plugin_abi.h"

size_t FlatBindingPropertySizeInC(void) { return sizeof(FlatBindingProperty); }
