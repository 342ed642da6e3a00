#include <gtest/gtest.h>

#include <vector>

#include "display/qt/RaiseBudget.h"

namespace driftmere {
namespace {

// Three restorations a second: a burst goes through, then one slot frees as each of the burst's
// restorations turns a second old. Refused attempts (a fight going on) must not count, or the
// budget would never come back while the other program keeps trying.
TEST(RaiseBudget, ABurstGoesThroughThenEachSlotFreesAsItAges) {
    RaiseBudget budget(3, 1000);
    struct Step {
        std::int64_t ms;
        bool allowed;
    };
    const std::vector<Step> steps = {
        {0, true},    {10, true},    {20, true},    {30, false},  {500, false},  {999, false},
        {1000, true}, {1001, false}, {1009, false}, {1010, true}, {1020, true},  {1500, false},
        {2000, true}, {5000, true},  {5000, true},  {5000, true}, {5000, false},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(budget.Take(step.ms), step.allowed) << "at " << step.ms << " ms";
    }
}

}  // namespace
}  // namespace driftmere
