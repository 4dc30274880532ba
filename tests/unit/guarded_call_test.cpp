#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "fakes.h"
#include "gateway/guarded_call.h"

namespace {
class GuardedCallTest : public ::testing::Test {
protected:
    CallLog log;
    FakeBoxes boxes{log};
};

TEST_F(GuardedCallTest, AHandlerThatReturnsIsAnsweredWithoutABox) {
    EXPECT_EQ(CallGuarded(boxes, -1L, [] { return 42L; }), 42L);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(GuardedCallTest, WhatWasThrownIsShownInACriticalSystemModalBoxAndTheFallbackAnswered) {
    EXPECT_EQ(CallGuarded(boxes, 7L, []() -> long { throw std::runtime_error("no font for the panes"); }), 7L);
    EXPECT_EQ(CallGuarded(boxes, 0L, []() -> long { throw std::bad_alloc(); }), 0L);
    EXPECT_EQ(CallGuarded(boxes, 0L, []() -> long { throw 42; }), 0L);
    ASSERT_EQ(boxes.shown.size(), 3u);
    EXPECT_EQ(boxes.shown[0].text, L"Unexpected error: no font for the panes\r\n\r\nVantary Gateway keeps running.");
    EXPECT_NE(boxes.shown[1].text.find(L"bad_alloc"), std::wstring::npos) << Narrow(boxes.shown[1].text);
    EXPECT_EQ(boxes.shown[2].text, L"Unexpected error: an unknown exception\r\n\r\nVantary Gateway keeps running.");
    for (const ShownBox& box : boxes.shown) EXPECT_EQ(box.style, 0x1010u);
}

TEST_F(GuardedCallTest, AFailureWhileTheBoxWaitsIsNotStackedOnIt) {
    int nested = 0;
    boxes.whileWaiting = [&] {
        boxes.whileWaiting = nullptr;
        nested = CallGuarded(boxes, 5, []() -> int { throw std::logic_error("again, on the next paint"); });
    };
    EXPECT_EQ(CallGuarded(boxes, 0, []() -> int { throw std::logic_error("paint"); }), 0);
    EXPECT_EQ(nested, 5);
    EXPECT_EQ(boxes.shown.size(), 1u);
    // Once the box is gone, the next failure is reported again.
    CallGuarded(boxes, 0, []() -> int { throw std::logic_error("later"); });
    EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST_F(GuardedCallTest, ABoxThatCannotBeShownStillLetsTheProgramGoOn) {
    struct FailingBoxes : MessageBoxes {
        int Show(const std::wstring&, unsigned) override { throw std::bad_alloc(); }
    } failing;
    EXPECT_EQ(CallGuarded(failing, 3, []() -> int { throw std::runtime_error("first"); }), 3);
    // Nothing was left half-done: a later failure still reaches a working box.
    CallGuarded(boxes, 0, []() -> int { throw std::runtime_error("second"); });
    EXPECT_EQ(boxes.shown.size(), 1u);
}
}  // namespace
