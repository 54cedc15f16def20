// The death-test style of the suites whose processes run threads. "threadsafe" starts the test
// program again for each death test, which a 32-bit run under qemu-i386 cannot do (the kernel
// refuses to start the program: the reason it is emulated), so there the child is forked
// ("fast"). CTest tells the programs through MOX_TEST_EMULATED=1 (cmake/GoogleTest.cmake).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace Zarn::Testing {

inline void UseThreadSafeDeathTestsWherePossible() {
    const char* emulated = std::getenv("MOX_TEST_EMULATED");
    GTEST_FLAG_SET(death_test_style,
                   emulated != nullptr && std::string_view(emulated) == "1" ? "fast" : "threadsafe");
}

}  // namespace Zarn::Testing
