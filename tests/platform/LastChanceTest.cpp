#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/LastChance.h"

namespace brisklow {
namespace {

// Runs `body` behind the barrier, noting what reached the handler.
template <typename Body>
int Guarded(Body body, std::vector<CaughtError>& caught) {
    return LastChance(
        body,
        [&](const CaughtError& error) {
            caught.push_back(error);
            return -1;
        },
        -2);
}

TEST(LastChanceTest, HandsTheBodysResultThroughWhenNothingIsThrown) {
    std::vector<CaughtError> caught;
    EXPECT_EQ(Guarded([] { return 7; }, caught), 7);
    EXPECT_TRUE(caught.empty());
}

TEST(LastChanceTest, AnExceptionReachesTheHandlerWithItsMessageAndKind) {
    struct Case {
        const char* name;
        std::function<int()> body;
        bool outOfMemory;
        std::string message;
    };
    const Case cases[] = {
        {"runtime error", []() -> int { throw std::runtime_error("the list refused a row"); },
         false, "the list refused a row"},
        {"allocation failure", []() -> int { throw std::bad_alloc(); }, true,
         std::bad_alloc().what()},
        {"not a std::exception", []() -> int { throw 42; }, false, kUnknownErrorText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<CaughtError> caught;
        EXPECT_EQ(Guarded(c.body, caught), -1);
        ASSERT_EQ(caught.size(), 1u);
        EXPECT_EQ(caught[0].outOfMemory, c.outOfMemory);
        EXPECT_EQ(caught[0].message, c.message);
    }
}

TEST(LastChanceTest, AHandlerThatThrowsTooLeavesTheLastResort) {
    // Held in std::function: a body that the compiler sees always throwing would make the store
    // of its result unreachable code, which Visual Studio's warnings reject.
    const std::function<int()> body = []() -> int { throw std::runtime_error("first"); };
    const std::function<int(const CaughtError&)> handler = [](const CaughtError&) -> int {
        throw std::logic_error("second");
    };
    const int result = LastChance(body, handler, -2);
    EXPECT_EQ(result, -2);
}

}  // namespace
}  // namespace brisklow
