#include "framework/memory_counters.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace Zarn::Framework {
namespace {

TEST(MemoryCountersTest, ThePeakRisesWithBytesInUseAndKeepsTheLiveCountOfThatMoment) {
    using Snapshot = MemoryCounters::Snapshot;
    struct Step {
        enum { Allocate, Free, Reallocate } operation;
        std::size_t size;
        std::size_t newSize;
        Snapshot after;  // peak, live at peak, allocated, allocations, freed, frees
    };
    const Step steps[] = {
        {Step::Allocate, 100, 0, {100, 1, 100, 1, 0, 0}},
        {Step::Allocate, 50, 0, {150, 2, 150, 2, 0, 0}},
        {Step::Free, 100, 0, {150, 2, 150, 2, 100, 1}},
        {Step::Allocate, 60, 0, {150, 2, 210, 3, 100, 1}},  // 110 in use: no new peak
        {Step::Reallocate, 60, 200, {250, 2, 410, 4, 160, 2}},
        {Step::Free, 50, 0, {250, 2, 410, 4, 210, 3}},
    };
    MemoryCounters counters;
    EXPECT_EQ(counters.Read(), Snapshot{});
    for (const Step& step : steps) {
        if (step.operation == Step::Allocate) counters.RecordAllocation(step.size);
        if (step.operation == Step::Free) counters.RecordFree(step.size);
        if (step.operation == Step::Reallocate) counters.RecordReallocation(step.size, step.newSize);
        EXPECT_EQ(counters.Read(), step.after);
    }
}

}  // namespace
}  // namespace Zarn::Framework
