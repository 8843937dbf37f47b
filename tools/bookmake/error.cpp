#include "error.h"

#include "platform/text.h"

#include <iostream>

std::string forTerminal(const std::string& text) {
    return isValidUtf8(text) ? text : cp1251ToUtf8(text);
}

void warn(const std::string& file, int line, const std::string& message) {
    std::cerr << "warning: " << forTerminal(BuildError::format(file, line, message)) << "\n";
}
