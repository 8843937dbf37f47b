// The shell's "open" action and starting programs. Texts are Windows-1251 paths or URLs.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct ShellCall {
    enum Kind { Open, Start } kind;
    std::string target;            // document, URL or program
    std::vector<std::string> args; // Start only
    std::string workDir;
};

using ShellHook = std::function<bool(const ShellCall&)>;

// Opens a document or URL with the desktop's handler; false when nothing could open it.
bool shellOpen(std::string_view target1251, std::string_view workDir1251);
// Starts a program (detached) with arguments and a working folder; false when it did not start.
bool startProgram(std::string_view program1251, const std::vector<std::string>& args1251,
                  std::string_view workDir1251);

// Replaces the real calls (tests); an empty hook restores them. Returns the previous hook.
ShellHook setShellHook(ShellHook hook);
