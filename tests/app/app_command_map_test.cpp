#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "commands/command_map.h"
#include "commands/command_router.h"
#include "tests/app/app_test_support.h"

namespace kalvor::commands {
namespace {

using testing::RecordingTarget;

TEST(CommandRouterTest, FirstTargetOnTheRouteThatHoldsTheCommandHandlesIt) {
    std::vector<std::string> log;
    RecordingTarget view("view", {1, 2}, log);
    RecordingTarget document("document", {2, 3}, log);
    RecordingTarget frame("frame", {3, 4}, log);
    RecordingTarget application("application", {1, 4, 5}, log);
    const CommandRouter router{&view, &document, &frame, &application};

    for (const unsigned id : {1U, 2U, 3U, 4U, 5U, 6U}) {
        EXPECT_EQ(router.Execute(id), id != 6) << id;
        EXPECT_EQ(router.IsEnabled(id), id != 6) << id;
    }
    EXPECT_EQ(log, (std::vector<std::string>{"view:1", "view:2", "document:3", "frame:4",
                                             "application:5"}));
}

class Counter {
  public:
    void OnOne() { calls.push_back(1); }
    void OnRange(unsigned id) { calls.push_back(id); }

    std::vector<unsigned> calls;
};

constexpr std::array kCounterEntries{
    OnCommandEntry<Counter>(1, &Counter::OnOne),
    OnCommandRangeEntry<Counter>(10, 12, &Counter::OnRange),
};
constexpr CommandMap<Counter> kCounterMap(kCounterEntries);

TEST(CommandMapTest, DispatchesSingleIdentifiersAndRangesWithTheIdentifier) {
    Counter counter;
    for (const unsigned id : {1U, 9U, 10U, 12U, 13U}) {
        EXPECT_EQ(kCounterMap.Dispatch(counter, id), kCounterMap.Has(id)) << id;
    }
    EXPECT_EQ(counter.calls, (std::vector<unsigned>{1, 10, 12}));
}

}  // namespace
}  // namespace kalvor::commands
