#pragma once

#include "support/Printers.h"

#include <QTest>
#include <gtest/gtest.h>

// Waits for a condition while the event loop turns, five seconds at most, then checks it with
// GoogleTest. QtTest's QTRY_* macros report to QtTest, which a GoogleTest program never reads: a
// failed one only returns from the test, which then passes.
#define ASSERT_EVENTUALLY(condition)                                                               \
    do {                                                                                           \
        (void)QTest::qWaitFor([&] { return bool(condition); });                                    \
        ASSERT_TRUE(condition);                                                                    \
    } while (false)

#define ASSERT_EVENTUALLY_EQ(actual, expected)                                                     \
    do {                                                                                           \
        (void)QTest::qWaitFor([&] { return (actual) == (expected); });                             \
        ASSERT_EQ(actual, expected);                                                               \
    } while (false)
