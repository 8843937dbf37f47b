#include "platform/registry.h"

#include "platform/paths.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/file.h>
#include <unistd.h>
#include <unordered_map>

// File grammar: docs/formats/registry.md.

namespace {

struct Value {
    std::string name; // Windows-1251
    bool isDword = false;
    std::string text;
    uint32_t number = 0;
};

struct Key {
    std::string path; // Windows-1251, components joined by single backslashes
    std::vector<Value> values;
};

// One root as read from its file. Keys keep the order of the file; new ones go last.
class Hive {
  public:
    Key* find(const std::string& path) {
        const auto it = m_index.find(lowerCp1251(path));
        return it == m_index.end() ? nullptr : &m_keys[it->second];
    }
    const Key* find(const std::string& path) const { return const_cast<Hive*>(this)->find(path); }

    Key& add(const std::string& path) {
        if (Key* k = find(path)) return *k;
        m_index.emplace(lowerCp1251(path), m_keys.size());
        m_keys.push_back(Key{path, {}});
        return m_keys.back();
    }

    // The key and every key below it.
    bool remove(const std::string& path) {
        const std::string lowered = lowerCp1251(path);
        const std::string below = lowered + "\\";
        std::vector<Key> kept;
        for (Key& k : m_keys) {
            const std::string l = lowerCp1251(k.path);
            if (l != lowered && (lowered.empty() || l.compare(0, below.size(), below) != 0))
                kept.push_back(std::move(k));
        }
        const bool removed = kept.size() != m_keys.size();
        m_keys = std::move(kept);
        m_index.clear();
        for (size_t i = 0; i < m_keys.size(); ++i)
            m_index.emplace(lowerCp1251(m_keys[i].path), i);
        return removed;
    }

    const std::vector<Key>& keys() const { return m_keys; }

  private:
    std::vector<Key> m_keys;
    std::unordered_map<std::string, size_t> m_index; // lower-cased path -> position
};

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == 0x98;
}

// "a\\\\b\\" -> "a\\b"; empty when the text names the root.
std::string normalizeKey(const std::string& key) {
    std::string out;
    size_t pos = 0;
    while (pos < key.size()) {
        size_t end = key.find('\\', pos);
        if (end == std::string::npos) end = key.size();
        if (end > pos) {
            if (!out.empty()) out += '\\';
            out.append(key, pos, end - pos);
        }
        pos = end + 1;
    }
    return out;
}

bool validKeyName(const std::string& path) {
    for (unsigned char c : path)
        if (isControl(c)) return false;
    return true;
}

// ---- the text form ----

void appendQuoted(std::string& out, const std::string& text1251) {
    static const char hex[] = "0123456789ABCDEF";
    out += '"';
    size_t run = 0; // start of the pending run of plain bytes
    auto flush = [&](size_t end) {
        out += cp1251ToUtf8(std::string_view(text1251).substr(run, end - run));
    };
    for (size_t i = 0; i < text1251.size(); ++i) {
        const unsigned char c = text1251[i];
        const char* esc = c == '\\'   ? "\\\\"
                          : c == '"'  ? "\\\""
                          : c == '\n' ? "\\n"
                          : c == '\r' ? "\\r"
                          : c == '\t' ? "\\t"
                                      : nullptr;
        if (!esc && !isControl(c)) continue;
        flush(i);
        run = i + 1;
        if (esc) {
            out += esc;
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    flush(text1251.size());
    out += '"';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted text starting at line[pos] == '"'; pos ends after the closing quote.
bool parseQuoted(std::string_view line, size_t& pos, std::string& out1251) {
    if (pos >= line.size() || line[pos] != '"') return false;
    ++pos;
    out1251.clear();
    size_t run = pos;
    auto flush = [&](size_t end) {
        bool ok = true;
        out1251 += utf8ToCp1251(line.substr(run, end - run), &ok);
        return ok;
    };
    while (pos < line.size()) {
        const char c = line[pos];
        if (c == '"') {
            if (!flush(pos)) return false;
            ++pos;
            return true;
        }
        if (c != '\\') {
            // Control bytes are always written escaped; a raw one means damage (a tab is let
            // through for hand-edited files).
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) return false;
            ++pos;
            continue;
        }
        if (!flush(pos) || pos + 1 >= line.size()) return false;
        const char e = line[pos + 1];
        pos += 2;
        switch (e) {
        case '\\':
            out1251 += '\\';
            break;
        case '"':
            out1251 += '"';
            break;
        case 'n':
            out1251 += '\n';
            break;
        case 'r':
            out1251 += '\r';
            break;
        case 't':
            out1251 += '\t';
            break;
        case 'x': {
            if (pos + 2 > line.size()) return false;
            const int hi = hexDigit(line[pos]), lo = hexDigit(line[pos + 1]);
            if (hi < 0 || lo < 0) return false;
            out1251 += char(hi * 16 + lo);
            pos += 2;
            break;
        }
        default:
            return false;
        }
        run = pos;
    }
    return false; // no closing quote
}

bool parseValueLine(std::string_view line, Value& v) {
    size_t pos = 0;
    if (!parseQuoted(line, pos, v.name) || pos >= line.size() || line[pos] != '=') return false;
    ++pos;
    if (pos < line.size() && line[pos] == '"') {
        v.isDword = false;
        return parseQuoted(line, pos, v.text) && pos == line.size();
    }
    constexpr std::string_view prefix = "dword:";
    if (line.substr(pos, prefix.size()) != prefix) return false;
    pos += prefix.size();
    const size_t digits = line.size() - pos;
    if (digits < 1 || digits > 8) return false;
    uint32_t n = 0;
    for (; pos < line.size(); ++pos) {
        const int d = hexDigit(line[pos]);
        if (d < 0) return false;
        n = n * 16 + uint32_t(d);
    }
    v.isDword = true;
    v.number = n;
    return true;
}

// Damage never stops the reading: a line that does not parse is skipped, and the values under a
// damaged key line are dropped rather than given to the key before it.
Hive parseHive(std::string_view bytes) {
    Hive hive;
    Key* current = nullptr;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            current = nullptr;
            bool ok = line.size() >= 2 && line.back() == ']';
            std::string path;
            if (ok) path = normalizeKey(utf8ToCp1251(line.substr(1, line.size() - 2), &ok));
            if (ok && validKeyName(path)) current = &hive.add(path);
            continue;
        }
        Value v;
        if (!current || !parseValueLine(line, v)) continue;
        const std::string lowered = lowerCp1251(v.name);
        bool seen = false;
        for (const Value& old : current->values)
            seen = seen || lowerCp1251(old.name) == lowered;
        if (!seen) current->values.push_back(std::move(v));
    }
    return hive;
}

std::string serializeHive(const Hive& hive) {
    std::string out =
        "; Registry root of the reader. UTF-8; values: \"name\"=\"text\" or \"name\"=dword:hex.\n";
    // Sorted by path, so a key comes right after its parent whatever order it was made in.
    std::vector<const Key*> sorted;
    for (const Key& k : hive.keys())
        sorted.push_back(&k);
    std::sort(sorted.begin(), sorted.end(), [](const Key* a, const Key* b) {
        return lowerCp1251(a->path) < lowerCp1251(b->path);
    });
    for (const Key* key : sorted) {
        const Key& k = *key;
        out += "\n[";
        out += cp1251ToUtf8(k.path);
        out += "]\n";
        for (const Value& v : k.values) {
            appendQuoted(out, v.name);
            out += '=';
            if (v.isDword) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "dword:%08x", unsigned(v.number));
                out += buf;
            } else {
                appendQuoted(out, v.text);
            }
            out += '\n';
        }
    }
    return out;
}

Hive readHive(RegRoot root) {
    std::string bytes;
    readNativeFile(registryFile(root), bytes);
    return parseHive(bytes);
}

// Applies one change under the root's lock: the file is read again inside the lock so a change
// made meanwhile by another process is kept. change returns false when there is nothing to
// write (and the call then fails).
bool modifyHive(RegRoot root, const std::function<bool(Hive&)>& change) {
    const std::string file = registryFile(root);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    const std::string lockName = file + ".lock";
    const int lock = ::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0) return false;
    while (::flock(lock, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(lock);
            return false;
        }
    }
    std::string bytes;
    readNativeFile(file, bytes);
    Hive hive = parseHive(bytes);
    bool ok = change(hive);
    if (ok) {
        // Writing a value it already has (most of the appearance at every close) costs nothing.
        const std::string out = serializeHive(hive);
        ok = out == bytes || writeNativeFileAtomic(file, out);
    }
    ::close(lock); // releases the lock
    return ok;
}

Key& addWithParents(Hive& hive, const std::string& path) {
    size_t pos = 0;
    while ((pos = path.find('\\', pos)) != std::string::npos)
        hive.add(path.substr(0, pos++));
    return hive.add(path);
}

const Value* findValue(const Key& key, const std::string& name) {
    const std::string lowered = lowerCp1251(name);
    for (const Value& v : key.values)
        if (lowerCp1251(v.name) == lowered) return &v;
    return nullptr;
}

bool keyExistsIn(const Hive& hive, const std::string& path) {
    if (path.empty() || hive.find(path)) return true;
    // A key may exist only through its sub-keys in a hand-edited file.
    const std::string below = lowerCp1251(path) + "\\";
    for (const Key& k : hive.keys())
        if (lowerCp1251(k.path).compare(0, below.size(), below) == 0) return true;
    return false;
}

std::string envOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

} // namespace

std::string registryFile(RegRoot root) {
    const char* name = root == RegRoot::LocalMachine ? "machine.reg" : "user.reg";
    if (const char* dir = std::getenv("EBOOK_REGISTRY_DIR"); dir && *dir)
        return std::string(dir) + "/" + name;
    const std::string home = envOr("HOME", ".");
    const std::string base = root == RegRoot::LocalMachine
                                 ? envOr("XDG_DATA_HOME", home + "/.local/share")
                                 : envOr("XDG_CONFIG_HOME", home + "/.config");
    return base + "/talmaran/" + name;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    CloseKey();
    const std::string path = normalizeKey(key);
    if (!validKeyName(path)) return false;
    const Hive hive = readHive(RootKey);
    if (const Key* k = hive.find(path)) {
        m_path = k->path;
    } else if (keyExistsIn(hive, path)) {
        m_path = path;
    } else {
        if (!canCreate) return false;
        if (!modifyHive(RootKey, [&](Hive& h) {
                addWithParents(h, path);
                return true;
            }))
            return false;
        m_path = path;
    }
    m_open = true;
    return true;
}

void TRegistry::CloseKey() {
    m_path.clear();
    m_open = false;
}

bool TRegistry::KeyExists(const std::string& key) const {
    const std::string path = normalizeKey(key);
    return validKeyName(path) && keyExistsIn(readHive(RootKey), path);
}

bool TRegistry::ValueExists(const std::string& name) const {
    if (!m_open) return false;
    const Hive hive = readHive(RootKey);
    const Key* k = hive.find(m_path);
    return k && findValue(*k, name);
}

std::vector<std::string> TRegistry::GetValueNames() const {
    std::vector<std::string> names;
    if (!m_open) return names;
    const Hive hive = readHive(RootKey);
    if (const Key* k = hive.find(m_path))
        for (const Value& v : k->values)
            names.push_back(v.name);
    return names;
}

std::vector<std::string> TRegistry::GetKeyNames() const {
    std::vector<std::string> names;
    if (!m_open) return names;
    const std::string prefix = m_path.empty() ? std::string() : lowerCp1251(m_path) + "\\";
    std::vector<std::string> lowered;
    const Hive hive = readHive(RootKey);
    for (const Key& k : hive.keys()) {
        const std::string l = lowerCp1251(k.path);
        if (k.path.empty() || l.compare(0, prefix.size(), prefix) != 0 || l.size() == prefix.size())
            continue;
        const size_t end = k.path.find('\\', prefix.size());
        const std::string child = k.path.substr(
            prefix.size(), end == std::string::npos ? std::string::npos : end - prefix.size());
        const std::string lc = lowerCp1251(child);
        bool seen = false;
        for (const std::string& s : lowered)
            seen = seen || s == lc;
        if (seen) continue;
        lowered.push_back(lc);
        names.push_back(child);
    }
    return names;
}

std::string TRegistry::ReadString(const std::string& name) const {
    if (!m_open) return {};
    const Hive hive = readHive(RootKey);
    const Key* k = hive.find(m_path);
    const Value* v = k ? findValue(*k, name) : nullptr;
    return v && !v->isDword ? v->text : std::string();
}

std::optional<int32_t> TRegistry::ReadInteger(const std::string& name) const {
    if (!m_open) return std::nullopt;
    const Hive hive = readHive(RootKey);
    const Key* k = hive.find(m_path);
    const Value* v = k ? findValue(*k, name) : nullptr;
    if (!v || !v->isDword) return std::nullopt;
    return static_cast<int32_t>(v->number);
}

namespace {

// Sets one value of the key, creating the key again if another process deleted it meanwhile.
bool writeValue(RegRoot root, const std::string& path, Value value) {
    return modifyHive(root, [&](Hive& h) {
        Key& k = addWithParents(h, path);
        for (Value& v : k.values) {
            if (lowerCp1251(v.name) == lowerCp1251(value.name)) {
                value.name = v.name; // the first spelling of the name stays
                v = std::move(value);
                return true;
            }
        }
        k.values.push_back(std::move(value));
        return true;
    });
}

} // namespace

bool TRegistry::WriteString(const std::string& name, const std::string& value) {
    if (!m_open) return false;
    Value v;
    v.name = name;
    v.text = value;
    return writeValue(RootKey, m_path, std::move(v));
}

bool TRegistry::WriteInteger(const std::string& name, int32_t value) {
    if (!m_open) return false;
    Value v;
    v.name = name;
    v.isDword = true;
    v.number = static_cast<uint32_t>(value);
    return writeValue(RootKey, m_path, std::move(v));
}

bool TRegistry::DeleteValue(const std::string& name) {
    if (!m_open) return false;
    return modifyHive(RootKey, [&](Hive& h) {
        Key* k = h.find(m_path);
        if (!k) return false;
        const std::string lowered = lowerCp1251(name);
        for (auto it = k->values.begin(); it != k->values.end(); ++it) {
            if (lowerCp1251(it->name) == lowered) {
                k->values.erase(it);
                return true;
            }
        }
        return false;
    });
}

bool TRegistry::DeleteKey(const std::string& key) {
    const std::string path = normalizeKey(key);
    if (path.empty() || !validKeyName(path)) return false; // the root itself stays
    return modifyHive(RootKey, [&](Hive& h) { return h.remove(path); });
}
