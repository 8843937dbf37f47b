// One term's postings: the block as the postings file stores it, and the normalised list the
// evaluator walks.
//
// Stored block: records in ascending document order. A record starts with a little-endian
// uint32 whose low 24 bits are the document number. Top byte 0x00..0xFE: it is the count n and n
// uint16 positions follow. Top byte 0xFF: a uint16 count n follows, then n uint16 positions.
//
// Normalised list: per record int32 document, int32 record length (8 + 2n), n uint16 positions,
// all little-endian, records back to back; its size is the block's plus 4 per short and 2 per
// long record.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

inline uint32_t loadU32(const char* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v; // the reader runs on little-endian machines only, as the files are little-endian
}
inline uint16_t loadU16(const char* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline void storeU32(char* p, uint32_t v) { std::memcpy(p, &v, 4); }

inline constexpr size_t kRecordHeader = 8; // document and record length in the normalised list

// A normalised list (or any postings buffer). Its bytes are not cleared when it is made: every
// byte is written right after. Buffers are kept for the next query when the list goes: a fresh
// buffer of megabytes costs a page fault per page, more than decoding and evaluating it.
class PostingList {
public:
    PostingList() = default;
    ~PostingList() { release(); }
    PostingList(const PostingList&) = delete;
    PostingList& operator=(const PostingList&) = delete;

    void allocate(size_t size);
    // Shortens the list to size bytes (at most its size).
    void resize(size_t size) { m_size = size < m_size ? size : m_size; }
    void assign(std::string_view bytes) {
        allocate(bytes.size());
        if (m_size) std::memcpy(m_data, bytes.data(), m_size);
    }
    void clear() {
        m_size = 0;
        m_ascending = false;
    }
    char* data() { return m_data; }
    const char* data() const { return m_data; }
    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    std::string_view view() const { return {m_data, m_size}; }
    // Whether the records' documents strictly ascend, as in every sound list; the evaluator's
    // shortcuts rely on it and fall back to the plain walk for a list where they do not.
    bool ascending() const { return m_ascending; }
    void setAscending(bool a) { m_ascending = a; }

private:
    void release();
    char* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
    bool m_ascending = false;
};

// Converts a stored block into out. False, with out empty, when the block is damaged: a record
// runs past the end of the block, or a record has no positions (a document that holds the term
// holds it somewhere; with none the evaluator's cursor would have nothing to stand on).
bool normalisePostings(std::string_view block, PostingList& out);

// True when list is a well-formed normalised list (every record length even, at least one
// position, inside the buffer). Lists made elsewhere are checked with it before they are walked.
bool isNormalisedList(std::string_view list);

// True when the documents of a well-formed normalised list strictly ascend.
bool documentsAscend(std::string_view list);
