// Outcome of a reading operation: ok, or a short message (Windows-1251) the window shows.
#pragma once

#include <string>

struct ReadStatus {
    bool ok = true;
    std::string message; // Windows-1251; empty when ok

    static ReadStatus success() { return {}; }
    static ReadStatus failure(std::string message1251) { return {false, std::move(message1251)}; }
    explicit operator bool() const { return ok; }
};
