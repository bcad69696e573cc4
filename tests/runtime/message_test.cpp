#include "runtime/message.h"

#include <gtest/gtest.h>

#include "message_capture.h"

namespace zv {
namespace {

TEST(MessageSink, HandlerReceivesTextsAndBeeps) {
    long before = BeepCount();
    MessageCapture capture;
    ShowMessage("eins");
    Beep();
    ShowMessage("zwei");
    ASSERT_EQ(capture.Texts().size(), 2u);
    EXPECT_EQ(capture.Texts()[0], "eins");
    EXPECT_EQ(capture.Texts()[1], "zwei");
    EXPECT_EQ(capture.Beeps(), 1);
    EXPECT_EQ(BeepCount(), before + 1);
}

TEST(MessageSink, DefaultWritesOneLineToStderr) {
    ZVSetMessageHandler(nullptr, nullptr);
    testing::internal::CaptureStderr();
    ShowMessage("hallo");
    Beep();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "zvhlr: hallo\n");
}

}  // namespace
}  // namespace zv
