// Records message boxes in window tests and answers them.
#pragma once

#include "platform/messages.h"

#include <deque>
#include <vector>

// While it lives, every message box is recorded and answered with the next queued answer (IDOK
// when the queue is empty). The previous hook comes back when it goes.
class MessageRecorder {
public:
    explicit MessageRecorder(std::deque<int> answers = {});
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<MessageRecord> messages;
    std::deque<int> answers;

private:
    MessageHook m_previous;
};

// The default hook of the GUI test main: a box nobody expected fails the test and answers Cancel.
void installUnexpectedMessageHook();
