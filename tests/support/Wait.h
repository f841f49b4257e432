#pragma once

#include <functional>

#include <gtest/gtest.h>

// Waiting in tests: events are processed while a condition is polled, and a wait that
// runs out fails the gtest case with the condition's text.
namespace TestWait {

inline constexpr int kDefaultTimeoutMs = 10000;

// Processes events (deferred deletions included) until `done` holds or `timeoutMs`
// passed; answers `done()`.
bool Until(const std::function<bool()> &done, int timeoutMs = kDefaultTimeoutMs);

// Processes events for `ms` milliseconds.
void ProcessFor(int ms);

// Queues a call to the event loop and processes events until it ran: what was queued
// before it (calls, posted events, zero-delay timers) has been delivered by then.
// Answers whether it ran within `timeoutMs`.
bool QueuedBeforeDelivered(int timeoutMs = kDefaultTimeoutMs);

} // namespace TestWait

#define FENLOW_EVENTUALLY_(check, condition, ...)                                                  \
    check(TestWait::Until([&]() -> bool { return static_cast<bool>(condition); }                   \
                          __VA_OPT__(, ) __VA_ARGS__))                                             \
        << "timed out waiting for: " #condition

// ASSERT_EVENTUALLY(condition[, timeoutMs]): waits for `condition`, ends the case if it
// never holds. EXPECT_EVENTUALLY records the failure and goes on.
#define ASSERT_EVENTUALLY(condition, ...) FENLOW_EVENTUALLY_(ASSERT_TRUE, condition, __VA_ARGS__)
#define EXPECT_EVENTUALLY(condition, ...) FENLOW_EVENTUALLY_(EXPECT_TRUE, condition, __VA_ARGS__)
