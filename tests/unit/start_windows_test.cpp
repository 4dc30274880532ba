#include <gtest/gtest.h>

#include "fakes.h"
#include "gateway/messages.h"
#include "gateway/start_windows.h"

namespace {
TEST(StartWindows, AWindowMadeLetsStartUpGoOnWithoutAWord) {
    CallLog log;
    FakeBoxes boxes(log);
    EXPECT_TRUE(WindowReady(boxes, StartWindow::Monitor, true, L""));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(StartWindows, AWindowNotMadeIsToldWithItsReasonAndEndsStartUp) {
    CallLog log;
    FakeBoxes boxes(log);
    EXPECT_FALSE(WindowReady(boxes, StartWindow::Settings, false, L"Not enough memory resources."));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find(L"Settings window"), std::wstring::npos);
    EXPECT_NE(boxes.shown[0].text.find(L"Not enough memory resources."), std::wstring::npos);
    EXPECT_EQ(boxes.shown[0].style, messages::kErrorStyle);
}
}  // namespace
