// Waiting in Qt tests for what a busy machine may deliver late, with one generous bound that
// only ends a hang and never decides a result.
#pragma once

#include <gtest/gtest.h>
#include <QTest>

// How long a window test waits for what a busy machine may deliver late (a window manager's
// frame, an exposure, a paint): long enough never to decide a result, only to end a hang.
constexpr int kGenerousWaitMs = 60000;

// Waits, pumping Qt's events, until the condition holds; a test failure when it never does.
// (QTRY_VERIFY would only leave the test body, unseen by GoogleTest.)
#define EXPECT_EVENTUALLY(condition)                                                            \
    EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, kGenerousWaitMs)) \
        << #condition
#define ASSERT_EVENTUALLY(condition)                                                            \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, kGenerousWaitMs)) \
        << #condition
