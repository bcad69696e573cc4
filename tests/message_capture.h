// Installs a message handler for the lifetime of a test and records what
// the library showed; checks the message of an exception.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zvhlr.h"

class MessageCapture {
public:
    MessageCapture() { ZVSetMessageHandler(&MessageCapture::Receive, this); }
    ~MessageCapture() { ZVSetMessageHandler(nullptr, nullptr); }
    const std::vector<std::string>& Texts() const { return texts_; }
    int Beeps() const { return beeps_; }

private:
    static void Receive(int32_t kind, const char* text, void* user) {
        auto* self = static_cast<MessageCapture*>(user);
        if (kind == ZV_MESSAGE_BEEP)
            ++self->beeps_;
        else
            self->texts_.push_back(text);
    }
    std::vector<std::string> texts_;
    int beeps_ = 0;
};

// Runs f, which must throw an E whose Message() is text.
template <class E, class F>
void ExpectThrowMessage(F f, const std::string& text) {
    try {
        f();
        ADD_FAILURE() << "no exception";
    } catch (const E& e) {
        EXPECT_EQ(e.Message(), text);
    }
}
