#include "search/postings.h"

#include <bit>
#include <vector>

static_assert(std::endian::native == std::endian::little, "index files are little-endian");

namespace {

// Buffers kept between queries, at most kKeptBytes in all.
constexpr size_t kKeptBytes = size_t(64) << 20;
struct KeptBuffers {
    std::vector<std::pair<size_t, char*>> buffers; // capacity, bytes
    size_t bytes = 0;
    ~KeptBuffers() {
        for (auto& b : buffers) delete[] b.second;
    }
};
thread_local KeptBuffers t_kept;

} // namespace

void PostingList::allocate(size_t size) {
    m_size = size;
    if (size <= m_capacity) return;
    release();
    m_size = size;
    // The smallest kept buffer that is large enough, else a new one.
    auto& kept = t_kept.buffers;
    auto best = kept.end();
    for (auto it = kept.begin(); it != kept.end(); ++it)
        if (it->first >= size && (best == kept.end() || it->first < best->first)) best = it;
    if (best != kept.end()) {
        m_capacity = best->first;
        m_data = best->second;
        t_kept.bytes -= best->first;
        kept.erase(best);
        return;
    }
    m_data = new char[size];
    m_capacity = size;
}

void PostingList::release() {
    if (m_data) {
        if (t_kept.bytes + m_capacity <= kKeptBytes) {
            t_kept.buffers.push_back({m_capacity, m_data});
            t_kept.bytes += m_capacity;
        } else {
            delete[] m_data;
        }
    }
    m_data = nullptr;
    m_size = m_capacity = 0;
}

bool normalisePostings(std::string_view block, PostingList& out) {
    out.clear();
    const char* const b = block.data();
    const size_t len = block.size();

    // One pass into a buffer large enough for any block of this size: a record of n positions
    // takes at least 4 + 2n bytes stored and 8 + 2n normalised, at most 5/3 of its stored size.
    // The list's size is then the exact sum of its records.
    // 16 more bytes let short position runs be copied in one fixed-size move.
    out.allocate(len + (len * 2 + 2) / 3 + 16);
    char* const start = out.data();
    char* o = start;
    bool ascending = true;
    uint32_t lastDoc = 0;
    for (size_t off = 0; off < len;) {
        if (len - off < 4) {
            out.clear();
            return false;
        }
        const uint32_t word = loadU32(b + off);
        const uint32_t doc = word & 0xFFFFFF;
        if (o != start && doc <= lastDoc) ascending = false;
        lastDoc = doc;
        size_t n, head;
        if ((word >> 24) == 0xFF) {
            if (len - off < 6) {
                out.clear();
                return false;
            }
            n = loadU16(b + off + 4);
            head = 6;
        } else {
            n = word >> 24;
            head = 4;
        }
        if (n == 0 || (len - off - head) / 2 < n) {
            out.clear();
            return false;
        }
        storeU32(o, doc);
        storeU32(o + 4, uint32_t(kRecordHeader + 2 * n));
        if (2 * n <= 16 && len - off - head >= 16)
            std::memcpy(o + kRecordHeader, b + off + head, 16); // the excess is overwritten or past the list
        else
            std::memcpy(o + kRecordHeader, b + off + head, 2 * n);
        o += kRecordHeader + 2 * n;
        off += head + 2 * n;
    }
    out.resize(size_t(o - start));
    out.setAscending(ascending);
    return true;
}

bool isNormalisedList(std::string_view list) {
    for (size_t off = 0; off < list.size();) {
        if (list.size() - off < kRecordHeader + 2) return false;
        const uint32_t recLen = loadU32(list.data() + off + 4);
        if (recLen < kRecordHeader + 2 || recLen % 2 != 0 || recLen > list.size() - off)
            return false;
        off += recLen;
    }
    return true;
}

bool documentsAscend(std::string_view list) {
    for (size_t off = 0; off < list.size();) {
        const size_t next = off + loadU32(list.data() + off + 4);
        if (next < list.size() && loadU32(list.data() + next) <= loadU32(list.data() + off)) return false;
        off = next;
    }
    return true;
}
