#include "platform/paths.h"

#include "platform/text.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool exists(const std::string& native) {
    struct stat st;
    return !native.empty() && ::stat(native.c_str(), &st) == 0;
}

// Whether a name on disk equals the wanted Windows-1251 name (already lower-cased) ignoring
// case. Names that are UTF-8 go through Windows-1251 (what the reader writes); names that are not
// (raw Windows-1251 bytes from an old archive) are compared as they are. The listing of the
// folder, not this comparison, is what a search costs (measured in bench/platform).
bool sameNameIgnoringCase(std::string_view name, std::string_view wantedLower) {
    // A UTF-8 name is never shorter than its Windows-1251 form, nor more than three times longer.
    if (name.size() < wantedLower.size() || name.size() > 3 * wantedLower.size()) return false;
    return lowerCp1251(isValidUtf8(name) ? utf8ToCp1251(name) : std::string(name)) == wantedLower;
}

// The entry of folder dir whose name equals component1251 ignoring letter case; empty when
// there is none. When several match (a folder holding both "A" and "a"), the smallest name
// wins so the answer does not depend on the order of the folder listing.
std::string findIgnoringCase(const std::string& dir, std::string_view component1251) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    const std::string wanted = lowerCp1251(component1251);
    std::string found;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name(e->d_name);
        if (name == "." || name == "..") continue;
        if (!sameNameIgnoringCase(name, wanted)) continue;
        if (found.empty() || name < found) found = std::string(name);
    }
    ::closedir(d);
    return found;
}

std::string envOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

std::string homeFolder() {
    return envOr("HOME", ".");
}

std::string parentFolder(const std::string& native) {
    const size_t slash = native.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return native.substr(0, slash);
}

bool writeAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

} // namespace

std::string driveRoot() {
    const char* v = std::getenv("EBOOK_DRIVE_ROOT");
    if (v && *v) return v;
    return envOr("XDG_DATA_HOME", homeFolder() + "/.local/share") + "/talmaran/drive";
}

std::string nativePath(std::string_view path1251) {
    // The reader's paths are C strings: a NUL ends one (and must not reach the system halfway).
    path1251 = path1251.substr(0, path1251.find('\0'));
    if (path1251.empty()) return {};
    std::string_view rest = path1251;
    std::string out;
    bool absolute = false;
    if (rest.size() >= 2 && isAsciiLetter(rest[0]) && rest[1] == ':') {
        out = driveRoot() + "/" + char(lowerCp1251(static_cast<unsigned char>(rest[0])));
        rest.remove_prefix(2);
        absolute = true;
    } else if (isSeparator(rest[0])) {
        absolute = true;
    }
    const bool trailingSeparator = isSeparator(path1251.back());

    // Once a component is missing nothing below it can exist: the rest is kept as written.
    bool searching = true;
    bool first = true;
    size_t pos = 0;
    while (pos < rest.size()) {
        while (pos < rest.size() && isSeparator(rest[pos]))
            ++pos;
        size_t end = pos;
        while (end < rest.size() && !isSeparator(rest[end]))
            ++end;
        if (end == pos) break;
        const std::string_view component = rest.substr(pos, end - pos);
        pos = end;
        if (component == ".") continue;

        const std::string prefix = (first && !absolute) ? std::string() : out + "/";
        const std::string folder = (first && !absolute) ? std::string() : (out.empty() ? "/" : out);
        first = false;
        std::string candidate = prefix + cp1251ToUtf8(component);
        if (searching && component != ".." && !exists(candidate)) {
            const std::string onDisk = findIgnoringCase(folder, component);
            if (onDisk.empty())
                searching = false;
            else
                candidate = prefix + onDisk;
        }
        out = std::move(candidate);
    }
    if (out.empty()) return absolute ? "/" : ".";
    if (trailingSeparator && out.back() != '/') out += '/';
    return out;
}

bool isReadable(std::string_view path1251) {
    const std::string native = nativePath(path1251);
    struct stat st;
    if (native.empty() || ::stat(native.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool fileExists(std::string_view path1251) {
    const std::string native = nativePath(path1251);
    struct stat st;
    return !native.empty() && ::stat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool folderExists(std::string_view path1251) {
    const std::string native = nativePath(path1251);
    struct stat st;
    return !native.empty() && ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string readerPath(std::string_view nativeUtf8, bool asFolder) {
    std::string out = utf8ToCp1251(nativeUtf8);
    if (asFolder && (out.empty() || !isSeparator(out.back()))) out += '\\';
    return out;
}

bool readNativeFile(const std::string& nativeUtf8, std::string& bytes) {
    bytes.clear();
    const int fd = ::open(nativeUtf8.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    // Only regular files: a device or a pipe could be endless.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    if (st.st_size > 0) bytes.reserve(size_t(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            bytes.clear();
            return false;
        }
        if (n == 0) break;
        bytes.append(buf, size_t(n));
    }
    ::close(fd);
    return true;
}

bool readFile(std::string_view path1251, std::string& bytes) {
    const std::string native = nativePath(path1251);
    if (native.empty()) {
        bytes.clear();
        return false;
    }
    return readNativeFile(native, bytes);
}

bool writeNativeFileAtomic(const std::string& nativeUtf8, std::string_view bytes,
                           Durability durability) {
    const bool durable = durability == Durability::Durable;
    if (nativeUtf8.empty() || nativeUtf8.back() == '/') return false;
    // Through a symbolic link the file it names is replaced, not the link.
    std::string target = nativeUtf8;
    if (char* real = ::realpath(nativeUtf8.c_str(), nullptr)) {
        target = real;
        std::free(real);
    }
    struct stat old;
    const bool hadOld = ::stat(target.c_str(), &old) == 0;
    if (hadOld && S_ISDIR(old.st_mode)) return false;

    const std::string folder = parentFolder(target);
    const std::string name = target.substr(target.rfind('/') + 1);
    std::string temp = folder + "/." + name + ".tmp-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    // A new file gets the usual permissions, a replaced one keeps its own.
    ::fchmod(fd, hadOld ? (old.st_mode & 07777) : 0644);
    const bool ok = writeAll(fd, bytes) && (!durable || ::fsync(fd) == 0);
    if (::close(fd) != 0 || !ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    if (!durable) return true;
    // Make the rename itself durable.
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool writeFileAtomic(std::string_view path1251, std::string_view bytes, Durability durability) {
    return writeNativeFileAtomic(nativePath(path1251), bytes, durability);
}
