#include "platform/morph_cache.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Bumped whenever the table layout or the way tables are built changes.
constexpr uint32_t kFormatVersion = 3;
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

bool readWhole(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) return false;
    bytes = std::move(ss).str();
    return true;
}

// Every array of the table, in file order.
template <class F> void forEachArray(MorphTable& t, F&& f) {
    f(t.formArena);
    f(t.formStart);
    f(t.yoForm);
    f(t.yoText);
    f(t.formLemmaStart);
    f(t.formLemmas);
    f(t.textArena);
    f(t.lemmaText);
    f(t.lemmaNumber);
    f(t.lemmaFormStart);
    f(t.lemmaForms);
    f(t.byNumber);
    f(t.hashSlots);
}

// File layout: magic, byte-order mark, format version, key length and key, then each array of
// forEachArray as its byte length (8 bytes) and its bytes, then a check value over the arrays.
std::string serialize(MorphTable& t, const std::string& key) {
    std::string out;
    auto put = [&](const void* p, size_t n) { out.append(static_cast<const char*>(p), n); };
    put(kMagic, 8);
    put(&kByteOrder, 4);
    put(&kFormatVersion, 4);
    const uint32_t keyLen = uint32_t(key.size());
    put(&keyLen, 4);
    out += key;
    uint64_t check = 0;
    forEachArray(t, [&](auto& v) {
        const uint64_t bytes = v.size() * sizeof(v[0]);
        put(&bytes, 8);
        put(v.data(), bytes);
        check = hash64(v.data(), bytes, check ^ bytes);
    });
    put(&check, 8);
    return out;
}

// Reads the tables back straight into their arrays; false when anything about the file is off.
bool deserialize(const std::string& path, const std::string& key, MorphTable& t) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    struct Closer {
        std::FILE* f;
        ~Closer() { std::fclose(f); }
    } closer{f};
    if (std::fseek(f, 0, SEEK_END) != 0) return false;
    const long end = std::ftell(f);
    if (end < 0 || std::fseek(f, 0, SEEK_SET) != 0) return false;
    uint64_t left = uint64_t(end);
    auto take = [&](void* p, uint64_t n) {
        if (n > left || std::fread(p, 1, size_t(n), f) != n) return false;
        left -= n;
        return true;
    };
    char magic[8];
    uint32_t order, version, keyLen;
    if (!take(magic, 8) || std::memcmp(magic, kMagic, 8) != 0) return false;
    if (!take(&order, 4) || order != kByteOrder) return false;
    if (!take(&version, 4) || version != kFormatVersion) return false;
    if (!take(&keyLen, 4) || keyLen != key.size()) return false;
    std::string fileKey(keyLen, '\0');
    if (!take(fileKey.data(), keyLen) || fileKey != key) return false;
    bool ok = true;
    uint64_t check = 0;
    forEachArray(t, [&](auto& v) {
        uint64_t bytes;
        if (!ok || !take(&bytes, 8) || bytes % sizeof(v[0]) != 0 || bytes > left) {
            ok = false;
            return;
        }
        v.resize(size_t(bytes / sizeof(v[0])));
        ok = take(v.data(), bytes);
        if (ok) check = hash64(v.data(), bytes, check ^ bytes);
    });
    uint64_t stored;
    return ok && take(&stored, 8) && left == 0 && stored == check && t.validate().empty();
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

// Cache files of other keys (an older dictionary or supplement, another checkout) that have not
// been written for a week, and temporary files a stopped writer left, are removed so that the
// folder does not fill up with tables nobody reads.
void removeStale(const std::string& folder, const std::string& keep) {
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("morph-", 0) != 0 || it->path().string() == keep) continue;
        const bool temporary = name.find(".tmp") != std::string::npos;
        if (!temporary && (name.size() < 4 || name.compare(name.size() - 4, 4, ".bin") != 0))
            continue;
        std::error_code tec;
        const auto age = now - fs::last_write_time(it->path(), tec);
        if (!tec && age > (temporary ? std::chrono::hours(1) : std::chrono::hours(24 * 7)))
            fs::remove(it->path(), tec);
    }
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
        if (!readWhole(*p, bytes)) return {};
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
        if (existed && deserialize(path, key, out)) {
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
