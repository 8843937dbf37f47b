// Index files written byte by byte from the file format, for tests: postings blocks, term tables
// and document tables.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct Posting {
    uint32_t document;
    std::vector<uint16_t> positions;
    bool forceLong = false; // a long record even when a short one would do
};

inline void putU32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
}
inline void putU16(std::string& s, uint16_t v) {
    s.push_back(char(v & 0xFF));
    s.push_back(char(v >> 8));
}

// One stored postings block.
inline std::string encodeBlock(const std::vector<Posting>& postings) {
    std::string b;
    for (const Posting& p : postings) {
        const size_t n = p.positions.size();
        if (n <= 254 && !p.forceLong) {
            putU32(b, (uint32_t(n) << 24) | (p.document & 0xFFFFFF));
        } else {
            putU32(b, 0xFF000000u | (p.document & 0xFFFFFF));
            putU16(b, uint16_t(n));
        }
        for (uint16_t pos : p.positions) putU16(b, pos);
    }
    return b;
}

// The normalised list the reader should make of the postings.
inline std::string normalisedList(const std::vector<Posting>& postings) {
    std::string l;
    for (const Posting& p : postings) {
        putU32(l, p.document & 0xFFFFFF);
        putU32(l, uint32_t(8 + 2 * p.positions.size()));
        for (uint16_t pos : p.positions) putU16(l, pos);
    }
    return l;
}

inline std::string termEntry(int32_t key, int32_t offset, int32_t length) {
    std::string e;
    putU32(e, uint32_t(key));
    putU32(e, uint32_t(offset));
    putU32(e, uint32_t(length));
    return e;
}

struct IndexFiles {
    std::string dat;
    std::string ind;
};

// A well-formed index of the given terms (keys in signed order, as a map keeps them).
inline IndexFiles buildIndex(const std::map<int32_t, std::vector<Posting>>& terms) {
    IndexFiles f;
    for (const auto& [key, postings] : terms) {
        const std::string block = encodeBlock(postings);
        f.dat += termEntry(key, int32_t(f.ind.size()), int32_t(block.size()));
        f.ind += block;
    }
    return f;
}

struct DocumentRecord {
    std::string name;
    std::string title;
};

// files.dat and files.ind for documents 1..n (record 0 points at nothing).
inline IndexFiles buildDocumentTable(const std::vector<DocumentRecord>& docs) {
    IndexFiles f;
    f.dat.append(6, '\0');
    for (const DocumentRecord& d : docs) {
        putU32(f.dat, uint32_t(f.ind.size()));
        f.dat.push_back(char(d.name.size()));
        f.dat.push_back(char(d.title.size()));
        f.ind += d.name + d.title;
    }
    return f;
}
