#include "platform/fonts.h"

#include "platform/paths.h"

#include <QFontDatabase>
#include <QString>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Copies src to a new file target, never replacing one. The copy is made under a temporary name
// and linked into place, so an interrupted copy never leaves a half font under the real name
// (which would block the font for good: an existing name is never copied again).
bool copyNew(const std::string& src, const std::string& target) {
    std::string bytes;
    if (!readNativeFile(src, bytes)) return false;
    const std::string folder = target.substr(0, target.rfind('/'));
    std::string temp = folder + "/.font-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    ::fchmod(fd, 0644);
    bool ok = true;
    for (size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += size_t(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::link(temp.c_str(), target.c_str()) == 0; // fails when the target exists
    ::unlink(temp.c_str());
    return ok;
}

} // namespace

std::string fontFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data) return std::string(data) + "/fonts";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/fonts";
}

bool installFontFile(const std::string& fontPath1251) {
    const std::string src = nativePath(fontPath1251);
    struct stat st;
    if (src.empty() || ::stat(src.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const std::string folder = fontFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string target = folder + "/" + src.substr(src.rfind('/') + 1);
    if (::access(target.c_str(), F_OK) == 0 || !copyNew(src, target)) return false;
    if (QFontDatabase::addApplicationFont(QString::fromUtf8(target)) >= 0) return true;
    ::unlink(target.c_str());
    return false;
}
