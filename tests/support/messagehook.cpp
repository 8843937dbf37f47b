#include "support/messagehook.h"

#include "platform/text.h"

#include <gtest/gtest.h>

MessageRecorder::MessageRecorder(std::deque<int> queued) : answers(std::move(queued)) {
    m_previous = setMessageHook([this](const MessageRecord& m) {
        messages.push_back(m);
        if (answers.empty()) return int(IDOK);
        const int a = answers.front();
        answers.pop_front();
        return a;
    });
}

MessageRecorder::~MessageRecorder() { setMessageHook(m_previous); }

void installUnexpectedMessageHook() {
    setMessageHook([](const MessageRecord& m) {
        ADD_FAILURE() << "unexpected message box: " << cp1251ToUtf8(m.caption) << ": "
                      << cp1251ToUtf8(m.text);
        return int(IDCANCEL);
    });
}
