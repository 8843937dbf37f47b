#include "platform/morph_cache.h"
#include "platform/paths.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Bumped whenever the table layout or the way tables are built changes.
constexpr uint32_t kFormatVersion = 4;
constexpr char kMagic[8] = {'E', 'B', 'M', 'O', 'R', 'P', 'H', '\x1A'};
constexpr uint32_t kByteOrder = 0x01020304;

uint64_t hash64(const void* data, size_t size, uint64_t h = 1469598103934665603ull) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    // Four independent lanes of eight bytes: the check runs over tens of megabytes on every
    // load, and the lanes keep the multiplier busy.
    uint64_t lane[4] = {h, h ^ 0x9E3779B97F4A7C15ull, h ^ 0xC2B2AE3D27D4EB4Full,
                        h ^ 0x165667B19E3779F9ull};
    size_t i = 0;
    for (; i + 32 <= size; i += 32)
        for (int k = 0; k < 4; ++k) {
            uint64_t v;
            std::memcpy(&v, p + i + 8 * k, 8);
            lane[k] = (lane[k] ^ v) * 0x100000001B3ull;
            lane[k] ^= lane[k] >> 29;
        }
    h = lane[0] ^ (lane[1] * 3) ^ (lane[2] * 5) ^ (lane[3] * 7);
    for (; i < size; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
    return h;
}

std::string hex(uint64_t v) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

size_t align8(size_t n) { return (n + 7) & ~size_t(7); }

// File layout: magic, byte-order mark, format version, key length and key, then each array of
// forEachMorphArray as its byte length (8 bytes) and its bytes, then a check value over the
// arrays. The key and every array are padded with zeros to a multiple of 8 bytes, so that each
// array of a mapped file is aligned for its element type.
std::string serialize(const MorphTable& t, const std::string& key) {
    std::string out;
    auto put = [&](const void* p, size_t n) { out.append(static_cast<const char*>(p), n); };
    auto pad = [&] { out.resize(align8(out.size()), '\0'); };
    put(kMagic, 8);
    put(&kByteOrder, 4);
    put(&kFormatVersion, 4);
    const uint32_t keyLen = uint32_t(key.size());
    put(&keyLen, 4);
    out += key;
    pad();
    uint64_t check = 0;
    forEachMorphArray(t, [&](const auto& v) {
        const uint64_t bytes = v.size() * sizeof(v[0]);
        put(&bytes, 8);
        put(v.data(), bytes);
        pad();
        check = hash64(v.data(), bytes, check ^ bytes);
    });
    put(&check, 8);
    return out;
}

// The views of the tables in a file image at base (8-byte aligned, size bytes, kept alive by
// owner); false when anything about the image is off.
bool parse(const char* base, size_t size, std::shared_ptr<const void> owner, const std::string& key,
           MorphTable& t) {
    size_t pos = 0;
    auto take = [&](void* p, size_t n) {
        if (size - pos < n) return false;
        std::memcpy(p, base + pos, n);
        pos += n;
        return true;
    };
    auto skipPadding = [&] {
        if (align8(pos) > size) return false;
        pos = align8(pos);
        return true;
    };
    char magic[8];
    uint32_t order, version, keyLen;
    if (!take(magic, 8) || std::memcmp(magic, kMagic, 8) != 0) return false;
    if (!take(&order, 4) || order != kByteOrder) return false;
    if (!take(&version, 4) || version != kFormatVersion) return false;
    if (!take(&keyLen, 4) || keyLen != key.size() || size - pos < keyLen ||
        std::memcmp(base + pos, key.data(), keyLen) != 0)
        return false;
    pos += keyLen;
    bool ok = skipPadding();
    uint64_t check = 0;
    forEachMorphArray(t, [&](auto& view) {
        using View = std::remove_reference_t<decltype(view)>;
        using Element = std::remove_cv_t<typename View::value_type>;
        uint64_t bytes;
        if (!ok || !take(&bytes, 8) || bytes % sizeof(Element) != 0 || bytes > size - pos) {
            ok = false;
            return;
        }
        view = View(reinterpret_cast<const Element*>(base + pos), size_t(bytes / sizeof(Element)));
        check = hash64(base + pos, size_t(bytes), check ^ bytes);
        pos += size_t(bytes);
        ok = skipPadding();
    });
    uint64_t stored;
    if (!ok || !take(&stored, 8) || pos != size || stored != check) return false;
    t.storage = std::move(owner);
    return t.validate().empty();
}

// Maps the cache file (read-only, private: the writer only ever replaces the file by renaming,
// so a mapping never sees it change), or reads it into memory where it cannot be mapped.
bool readCache(const std::string& path, const std::string& key, MorphTable& t) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_size < 32) {
        ::close(fd);
        return false;
    }
    const size_t size = size_t(st.st_size);
    void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (p != MAP_FAILED) {
        ::close(fd);
        std::shared_ptr<const void> owner(p, [size](const void* q) {
            ::munmap(const_cast<void*>(q), size);
        });
        return parse(static_cast<const char*>(p), size, std::move(owner), key, t);
    }
    std::shared_ptr<uint64_t[]> buffer(new uint64_t[size / 8 + 1]);
    char* dst = reinterpret_cast<char*>(buffer.get());
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, dst + got, size - got);
        if (n <= 0) break;
        got += size_t(n);
    }
    ::close(fd);
    return got == size && parse(dst, size, std::shared_ptr<const void>(buffer, dst), key, t);
}

bool writeAtomic(const std::string& path, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    const std::string tmp = path + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(tmp, ec);
            return false;
        }
    }
    fs::rename(tmp, path, ec);
    if (ec) fs::remove(tmp, ec);
    return !ec;
}

// Cache files of other keys (an older dictionary or supplement, another checkout) are removed
// when they have not been written for a week or when three newer ones exist, and temporary files
// a stopped writer left after an hour, so that the folder does not fill up with tables nobody
// reads (each is some 50 MB).
void removeStale(const std::string& folder, const std::string& keep) {
    constexpr size_t kKeepOthers = 3;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    std::vector<std::pair<fs::file_time_type, fs::path>> others;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("morph-", 0) != 0 || it->path().string() == keep) continue;
        const bool temporary = name.find(".tmp") != std::string::npos;
        if (!temporary && (name.size() < 4 || name.compare(name.size() - 4, 4, ".bin") != 0))
            continue;
        std::error_code tec;
        const auto written = fs::last_write_time(it->path(), tec);
        if (tec) continue;
        if (temporary) {
            if (now - written > std::chrono::hours(1)) fs::remove(it->path(), tec);
        } else if (now - written > std::chrono::hours(24 * 7)) {
            fs::remove(it->path(), tec);
        } else {
            others.emplace_back(written, it->path());
        }
    }
    std::sort(others.begin(), others.end(), [](const auto& a, const auto& b) {
        return a.first > b.first;
    });
    for (size_t i = kKeepOthers; i < others.size(); ++i) fs::remove(others[i].second, ec);
}

} // namespace

std::string morphCacheFolder() {
    if (const char* x = std::getenv("XDG_CACHE_HOME"); x && *x) return std::string(x) + "/talmaran";
    if (const char* h = std::getenv("HOME"); h && *h) return std::string(h) + "/.cache/talmaran";
    return {};
}

std::string morphCacheKey(const MorphSources& src) {
    std::string key = "v";
    key.append(std::to_string(kFormatVersion));
    for (const std::string* p : {&src.affPath, &src.dicPath, &src.supplementPath, &src.overridesPath})
        key.append("|").append(*p);
    for (const std::string* p : {&src.affPath, &src.dicPath}) {
        std::error_code ec;
        const auto size = fs::file_size(*p, ec);
        if (ec) return {};
        const auto time = fs::last_write_time(*p, ec);
        if (ec) return {};
        key.append("|").append(std::to_string(size)).append(":");
        key.append(std::to_string(time.time_since_epoch().count()));
    }
    for (const std::string* p : {&src.supplementPath, &src.overridesPath}) {
        std::string bytes;
        if (!readNativeFile(*p, bytes)) return {};
        key.append("|").append(hex(hash64(bytes.data(), bytes.size())));
    }
    return key;
}

std::string morphCachePath(const std::string& cacheFolder, const std::string& key) {
    return cacheFolder + "/morph-" + hex(hash64(key.data(), key.size())) + ".bin";
}

std::string loadMorphTableCached(const MorphSources& src, const std::string& cacheFolder,
                                 MorphTable& out, MorphCacheOutcome* outcome) {
    const std::string key = morphCacheKey(src);
    const std::string path = key.empty() || cacheFolder.empty() ? std::string()
                                                                : morphCachePath(cacheFolder, key);
    bool existed = false;
    if (!path.empty()) {
        std::error_code ec;
        existed = fs::exists(path, ec);
        MorphTable read;
        if (existed && readCache(path, key, read)) {
            out = std::move(read);
            if (outcome) *outcome = MorphCacheOutcome::Read;
            return {};
        }
    }
    out = MorphTable();
    if (std::string e = loadMorphTable(src, out); !e.empty()) return e;
    if (outcome) *outcome = existed ? MorphCacheOutcome::Rebuilt : MorphCacheOutcome::Built;
    if (!path.empty() && writeAtomic(path, serialize(out, key))) removeStale(cacheFolder, path);
    return {};
}
