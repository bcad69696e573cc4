#include "runtime/message.h"

#include <gtest/gtest.h>

#include "message_capture.h"

namespace zv {
namespace {

TEST(MessageSink, HandlerReceivesTextsAndBeepsAndTheDefaultWritesToStderr) {
    long before = BeepCount();
    {
        MessageCapture capture;
        ShowMessage("eins");
        Beep();
        EXPECT_EQ(capture.Texts(), std::vector<std::string>{"eins"});
        EXPECT_EQ(capture.Beeps(), 1);
    }
    testing::internal::CaptureStderr();
    ShowMessage("hallo");
    Beep();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "zvhlr: hallo\n");
    EXPECT_EQ(BeepCount(), before + 2);
}

}  // namespace
}  // namespace zv
