#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/x11/RaiseBudget.h"

namespace driftmere {
namespace {

// Three a second: a burst goes through, then a slot frees as each turns a second old. Refused
// attempts must not count, or the budget never comes back while another program keeps fighting.
TEST(RaiseBudget, ABurstGoesThroughThenEachSlotFreesAsItAges) {
    RaiseBudget budget(3, 1000);
    const std::vector<std::pair<std::int64_t, bool>> steps = {
        {0, true},    {10, true},    {20, true},    {30, false},  {500, false}, {999, false},
        {1000, true}, {1001, false}, {1009, false}, {1010, true}, {1020, true}, {1500, false},
        {2000, true}, {5000, true},  {5000, true},  {5000, true}, {5000, false}};
    for (const auto& [ms, allowed] : steps) EXPECT_EQ(budget.Take(ms), allowed) << "at " << ms;
}

}  // namespace
}  // namespace driftmere
