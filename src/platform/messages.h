// Every message box of the reader goes through messageBox. Texts are Windows-1251. Tests install
// a hook that records the message and returns a chosen answer, so nothing blocks on a modal box.
#pragma once

#include <functional>
#include <string>
#include <string_view>

enum class MsgIcon { None, Stop, Information, Warning, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

// Answers, with the values of the Windows dialog results.
enum MsgAnswer { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

struct MessageRecord {
    std::string text;    // Windows-1251
    std::string caption; // Windows-1251
    MsgIcon icon;
    MsgButtons buttons;
};

using MessageHook = std::function<int(const MessageRecord&)>;

int messageBox(std::string_view text1251, std::string_view caption1251, MsgIcon icon,
               MsgButtons buttons = MsgButtons::Ok);

// Replaces the real boxes; an empty hook restores them. Returns the previous hook.
MessageHook setMessageHook(MessageHook hook);
