#include "reading/history.h"

void ReadingHistory::reset() {
    m_entries.clear();
    m_position = -1;
}

bool ReadingHistory::prepareRecord(int32_t scroll, bool same) {
    if (m_position >= 0) m_entries[static_cast<std::size_t>(m_position)].scroll = scroll;
    if (m_position >= 0 && same) return false;
    if (m_position >= kMaxEntries - 1) {
        m_entries.erase(m_entries.begin());
        --m_position;
    }
    ++m_position;
    m_entries.resize(static_cast<std::size_t>(m_position)); // forward entries go
    return true;
}

bool ReadingHistory::recordContentsPage(int32_t start, int32_t end, const std::string& anchor,
                                        int32_t currentEntry, int32_t scroll) {
    bool same = false;
    if (m_position >= 0) {
        const HistoryEntry& e = m_entries[static_cast<std::size_t>(m_position)];
        same = !e.isPageFile() && e.start == start && e.end == end && e.anchor == anchor;
    }
    if (!prepareRecord(scroll, same)) return false;
    HistoryEntry e;
    e.start = start;
    e.end = end;
    e.anchor = anchor;
    e.contentsEntry = currentEntry;
    m_entries.push_back(std::move(e));
    return true;
}

bool ReadingHistory::recordPageFile(const std::string& name, const std::string& anchor,
                                    int32_t scroll) {
    bool same = false;
    if (m_position >= 0) {
        const HistoryEntry& e = m_entries[static_cast<std::size_t>(m_position)];
        same = e.pageName == name && e.anchor == anchor;
    }
    if (!prepareRecord(scroll, same)) return false;
    HistoryEntry e;
    e.pageName = name;
    e.anchor = anchor;
    m_entries.push_back(std::move(e));
    return true;
}

const HistoryEntry* ReadingHistory::back(int32_t scroll) {
    if (m_position < 1) return nullptr;
    m_entries[static_cast<std::size_t>(m_position)].scroll = scroll;
    --m_position;
    return &m_entries[static_cast<std::size_t>(m_position)];
}

const HistoryEntry* ReadingHistory::forward(int32_t scroll) {
    if (m_position >= count() - 1) return nullptr;
    m_entries[static_cast<std::size_t>(m_position)].scroll = scroll;
    ++m_position;
    return &m_entries[static_cast<std::size_t>(m_position)];
}
