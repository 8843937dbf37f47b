#include "search/highlight.h"

#include "platform/paths.h"
#include "platform/text.h"
#include "platform/words.h"
#include "search/blword.h"
#include "search/proximity.h"

#include <algorithm>

namespace {

struct Hit {
    size_t start;
    size_t end;     // last byte, inclusive
    int32_t term;   // lemma number of a lemma hit
    uint32_t ordinal;
    bool mark;
};

// Whether a hit starting at s stands inside a tag: looking forward from s, a ">" comes before any
// "<" and before the end of the text. Queries come in ascending s, so the scan is remembered:
// while s has not passed the bracket found last, the answer is the same.
class TagTest {
public:
    explicit TagTest(std::string_view text) : m_text(text) {}
    bool inside(size_t s) {
        if (!m_valid || s < m_from || s > m_bracket) {
            m_from = s;
            m_bracket = s;
            while (m_bracket < m_text.size() && m_text[m_bracket] != '<' && m_text[m_bracket] != '>')
                ++m_bracket;
            m_valid = true;
        }
        return m_bracket < m_text.size() && m_text[m_bracket] == '>';
    }

private:
    std::string_view m_text;
    size_t m_from = 0, m_bracket = 0;
    bool m_valid = false;
};

bool isLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || isWordLetter(c);
}

// Lemma hits: every counted word that is a form of a query lemma. Returns false when the page
// does not hold enough of the lemmas close together, in which case nothing is highlighted.
bool findLemmaHits(std::string_view upper, const std::vector<int32_t>& queryLemmas, const Blword& forms,
                   std::vector<Hit>& hits) {
    // Each different lemma with the number of times the query names it.
    std::vector<int32_t> lemmas;
    std::vector<int> times;
    for (int32_t l : queryLemmas) {
        const auto it = std::find(lemmas.begin(), lemmas.end(), l);
        if (it != lemmas.end()) {
            ++times[size_t(it - lemmas.begin())];
        } else {
            lemmas.push_back(l);
            times.push_back(1);
        }
    }
    auto timesOf = [&](int32_t l) { return times[size_t(std::find(lemmas.begin(), lemmas.end(), l) - lemmas.begin())]; };

    std::string key;
    forEachCountedWord(upper, countedTextStart(upper), [&](size_t start, size_t length, uint32_t ordinal) {
        key.assign(upper.substr(start, length));
        for (char& ch : key) ch = char(foldYo(static_cast<unsigned char>(ch)));
        size_t position;
        if (forms.find(key, position) &&
            std::find(lemmas.begin(), lemmas.end(), forms.value(position)) != lemmas.end())
            hits.push_back({start, start + length - 1, forms.value(position), ordinal, true});
    });
    if (lemmas.size() == 1) return true;

    // Group each hit with the following ones that stand close enough for the number of query terms
    // among them, and keep the groups with the most different lemmas. The window counts a lemma as
    // often as the query names it, as search does: for "A B A" a group of A and B gets the window
    // of three terms, so every document search finds shows its group. Without repeated lemmas
    // both counts are the same.
    const int b = int(queryLemmas.size());
    const int threshold = int(lemmas.size()) / 2 + 1;
    const int spanLimit = b <= kMaxQueryTerms - 1 ? proximityWindow(b) : 2 * b;
    std::vector<size_t> groupSize(hits.size());
    std::vector<int> lemmasInGroup(hits.size());
    std::vector<int32_t> seen;
    int best = 1;
    for (size_t m = 0; m < hits.size(); ++m) {
        seen.assign(1, hits[m].term);
        int k = timesOf(hits[m].term);
        groupSize[m] = 1;
        lemmasInGroup[m] = 1;
        for (size_t p = m + 1; p < hits.size(); ++p) {
            if (std::find(seen.begin(), seen.end(), hits[p].term) == seen.end()) {
                seen.push_back(hits[p].term);
                k += timesOf(hits[p].term);
            }
            const uint32_t dist = hits[p].ordinal - hits[m].ordinal;
            if (dist <= uint32_t(proximityWindow(k))) {
                groupSize[m] = p - m + 1;
                lemmasInGroup[m] = int(seen.size());
            } else if (dist > uint32_t(spanLimit)) {
                break;
            }
        }
        best = std::max(best, lemmasInGroup[m]);
        hits[m].mark = false;
    }
    if (best < threshold) return false;
    for (size_t m = 0; m < hits.size(); ++m)
        if (lemmasInGroup[m] == best)
            for (size_t p = m; p < m + groupSize[m]; ++p) hits[p].mark = true;
    return true;
}

// Literal hits: whole-word occurrences outside tags. Only upper-case terms can match, as the
// search runs on the upper-cased page.
void findLiteralHits(std::string_view upper, const std::vector<std::string>& literals,
                     std::vector<Hit>& hits) {
    for (const std::string& term : literals) {
        if (term.empty()) continue;
        TagTest tag(upper);
        for (size_t s = upper.find(term); s != std::string_view::npos; s = upper.find(term, s + 1)) {
            const size_t after = s + term.size();
            if (s > 0 && isLetter(static_cast<unsigned char>(upper[s - 1]))) continue;
            if (after < upper.size() && isLetter(static_cast<unsigned char>(upper[after]))) continue;
            if (tag.inside(s)) continue;
            hits.push_back({s, after - 1, 0, 1, true});
        }
    }
}

// Of overlapping marked hits only the longest stays marked.
void resolveOverlaps(std::vector<Hit>& hits) {
    for (size_t m = 0; m < hits.size(); ++m) {
        if (!hits[m].mark) continue;
        size_t runEnd = hits[m].end;
        size_t keeper = m;
        size_t last = m;
        for (size_t p = m + 1; p < hits.size(); ++p) {
            if (!hits[p].mark) continue;
            if (hits[p].start > runEnd) break;
            runEnd = std::max(runEnd, hits[p].end);
            if (hits[p].end - hits[p].start > hits[keeper].end - hits[keeper].start) keeper = p;
            last = p;
        }
        for (size_t p = m; p <= last; ++p) {
            if (p == keeper || !hits[p].mark) continue;
            if (hits[p].start <= hits[keeper].end && hits[keeper].start <= hits[p].end)
                hits[p].mark = false;
        }
    }
}

} // namespace

Blword buildFormDictionary(const std::vector<int32_t>& lemmas) {
    Blword forms;
    for (int32_t lemma : lemmas) addLemmaForms(forms, lemma);
    return forms;
}

std::vector<HitSpan> findHits(std::string_view page, const HighlightInputs& inputs,
                              const Blword& forms) {
    std::vector<HitSpan> spans;
    if (inputs.empty()) return spans;
    const std::string upper = upperCp1251(page);

    std::vector<Hit> hits;
    if (!inputs.lemmas.empty() && !findLemmaHits(upper, inputs.lemmas, forms, hits)) return spans;
    findLiteralHits(upper, inputs.literals, hits);
    if (hits.empty()) return spans;

    std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.start < b.start; });
    resolveOverlaps(hits);
    for (const Hit& h : hits)
        if (h.mark) spans.push_back({h.start, h.end});
    return spans;
}

std::string markHits(std::string_view page, const std::vector<HitSpan>& hits,
                     std::string_view colourHtml) {
    static constexpr std::string_view kArrowHead = "<a href=\"#word";
    static constexpr std::string_view kLeftTail =
        "\"><img border=0 align=absmiddle height=11 width=16 src='kovrex_left.gif'></a>";
    static constexpr std::string_view kRightTail =
        "\"><img border=0 align=absmiddle height=11 width=16 src='kovrex_right.gif'></a>";
    std::string out;
    out.reserve(page.size() + hits.size() * 260);
    size_t written = 0;
    const size_t l = hits.size();
    for (size_t j = 1; j <= l; ++j) {
        const HitSpan& h = hits[j - 1];
        out.append(page.substr(written, h.start - written));
        if (j > 1) out.append(kArrowHead).append(std::to_string(j - 1)).append(kLeftTail);
        out.append("<a name=\"word").append(std::to_string(j)).append("\"></a><font color=\"#");
        out.append(colourHtml).append("\"><b>");
        out.append(page.substr(h.start, h.end - h.start + 1));
        out.append("</b></font>");
        if (j < l) out.append(kArrowHead).append(std::to_string(j + 1)).append(kRightTail);
        written = h.end + 1;
    }
    out.append(page.substr(written));
    return out;
}

bool highlight(std::string_view page, const HighlightInputs& inputs, const std::string& outPath) {
    // The page is rewritten for every page shown: no flush to disk needed.
    if (inputs.empty()) return writeFileAtomic(outPath, page, Durability::Scratch);
    const Blword forms = buildFormDictionary(inputs.lemmas);
    return writeFileAtomic(outPath, markHits(page, findHits(page, inputs, forms), inputs.colourHtml),
                           Durability::Scratch);
}
