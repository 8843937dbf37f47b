#include "search/doctable.h"

#include "search/postings.h"

bool DocumentTable::open(std::string_view basePath1251) {
    m_records.clear();
    const std::string base(basePath1251);
    BookFile records;
    if (!records.open(base + "files.dat") || !records.readAll(m_records)) return false;
    return m_strings.open(base + "files.ind");
}

bool DocumentTable::entry(int32_t document, DocumentEntry& out) const {
    out = {};
    if (document < 1 || size_t(document) >= recordCount()) return false;
    const char* r = m_records.data() + size_t(document) * kRecordSize;
    const int32_t offset = int32_t(loadU32(r));
    const size_t nameLength = static_cast<unsigned char>(r[4]);
    const size_t titleLength = static_cast<unsigned char>(r[5]);
    std::string bytes;
    if (offset < 0 || !m_strings.readAt(uint64_t(offset), nameLength + titleLength, bytes))
        return false;
    out.pageName = bytes.substr(0, nameLength);
    out.title = bytes.substr(nameLength);
    return true;
}
