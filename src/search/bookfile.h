// A book file opened read-only for reads at given offsets. Every read is checked against the
// file's size, so a damaged offset or length read from another file can never reach outside it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class BookFile {
public:
    BookFile() = default;
    ~BookFile();
    BookFile(const BookFile&) = delete;
    BookFile& operator=(const BookFile&) = delete;

    // path1251: a reader path (Windows-1251, backslashes or slashes). False when it cannot be
    // opened or is not a regular file.
    bool open(std::string_view path1251);
    bool isOpen() const { return m_fd >= 0; }
    uint64_t size() const { return m_size; }

    // Reads exactly length bytes at offset into out; false when the range lies outside the file
    // or the read comes back short.
    bool readAt(uint64_t offset, uint64_t length, std::string& out) const;
    // The same into dest, which has room for length bytes.
    bool readAt(uint64_t offset, uint64_t length, char* dest) const;
    bool readAll(std::string& out) const { return readAt(0, m_size, out); }

private:
    int m_fd = -1;
    uint64_t m_size = 0;
};
