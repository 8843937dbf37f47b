// How bookmake reports problems in its input: an error stops the build and names the file and
// line; a warning is printed and the build goes on.
#pragma once

#include <stdexcept>
#include <string>

class BuildError : public std::runtime_error {
public:
    BuildError(std::string file, int line, const std::string& message)
        : std::runtime_error(format(file, line, message)), m_file(std::move(file)), m_line(line) {}

    const std::string& file() const { return m_file; }
    int line() const { return m_line; }

    // "file:line: message", or "file: message" without a line.
    static std::string format(const std::string& file, int line, const std::string& message) {
        std::string s = file;
        if (line > 0) s += ":" + std::to_string(line);
        return s + ": " + message;
    }

private:
    std::string m_file;
    int m_line;
};

// Prints "warning: file:line: message" on stderr.
void warn(const std::string& file, int line, const std::string& message);

// Messages mix native (UTF-8) paths with Windows-1251 names from the sources: UTF-8 for the
// terminal either way.
std::string forTerminal(const std::string& text);
