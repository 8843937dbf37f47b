#include "search/bookfile.h"

#include "platform/paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

BookFile::~BookFile() {
    if (m_fd >= 0) ::close(m_fd);
}

bool BookFile::open(std::string_view path1251) {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
        m_size = 0;
    }
    const std::string native = nativePath(path1251);
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_size = uint64_t(st.st_size);
    return true;
}

bool BookFile::readAt(uint64_t offset, uint64_t length, std::string& out) const {
    out.clear();
    if (m_fd < 0 || offset > m_size || length > m_size - offset) return false;
    out.resize(length);
    if (readAt(offset, length, out.data())) return true;
    out.clear();
    return false;
}

bool BookFile::readAt(uint64_t offset, uint64_t length, char* dest) const {
    if (m_fd < 0 || offset > m_size || length > m_size - offset) return false;
    uint64_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(m_fd, dest + done, length - done, off_t(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += uint64_t(got);
    }
    return true;
}
