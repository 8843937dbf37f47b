#include "platform/morph_table.h"

#include "platform/text.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

uint32_t morphKeyHash(std::string_view key) {
    uint32_t h = 2166136261u;
    for (unsigned char c : key) {
        h ^= c;
        h *= 16777619u;
    }
    return h ^ (h >> 15);
}

uint32_t MorphTable::find(std::string_view key) const {
    if (hashSlots.empty()) return kNone;
    const size_t mask = hashSlots.size() - 1;
    for (size_t i = morphKeyHash(key) & mask;; i = (i + 1) & mask) {
        const uint32_t v = hashSlots[i];
        if (v == 0) return kNone;
        if (formKey(v - 1) == key) return v - 1;
    }
}

MorphTable MorphTable::of(std::shared_ptr<const MorphArrays> a) {
    MorphTable t;
    t.formArena = a->formArena;
    t.formStart = a->formStart;
    t.yoForm = a->yoForm;
    t.yoText = a->yoText;
    t.formLemmaStart = a->formLemmaStart;
    t.formLemmas = a->formLemmas;
    t.textArena = a->textArena;
    t.lemmaText = a->lemmaText;
    t.lemmaNumber = a->lemmaNumber;
    t.lemmaFormStart = a->lemmaFormStart;
    t.lemmaForms = a->lemmaForms;
    t.byNumber = a->byNumber;
    t.hashSlots = a->hashSlots;
    t.storage = std::move(a);
    return t;
}

std::span<const uint32_t> MorphTable::yoSpellings(uint32_t form) const {
    const auto range = std::equal_range(yoForm.begin(), yoForm.end(), form);
    return std::span<const uint32_t>(yoText).subspan(size_t(range.first - yoForm.begin()),
                                                     size_t(range.second - range.first));
}

std::span<const uint32_t> MorphTable::lemmasNumbered(int32_t number) const {
    auto lo = std::lower_bound(byNumber.begin(), byNumber.end(), number,
                               [&](uint32_t id, int32_t n) { return lemmaNumber[id] < n; });
    auto hi = lo;
    while (hi != byNumber.end() && lemmaNumber[*hi] == number) ++hi;
    return std::span<const uint32_t>(byNumber).subspan(size_t(lo - byNumber.begin()),
                                                       size_t(hi - lo));
}

namespace {

std::string checkCsr(std::span<const uint32_t> start, size_t count, size_t targetSize,
                     const char* what) {
    if (start.size() != count + 1 || start.front() != 0 || start.back() != targetSize)
        return std::string(what) + ": bad index size";
    for (size_t i = 0; i < count; ++i)
        if (start[i] > start[i + 1]) return std::string(what) + ": index not ascending";
    return {};
}

} // namespace

std::string MorphTable::validate() const {
    if (formStart.empty()) return "no forms";
    const size_t forms = formCount(), lemmas = lemmaCount();
    if (std::string e = checkCsr(formStart, forms, formArena.size(), "form keys"); !e.empty())
        return e;
    for (size_t i = 0; i < forms; ++i)
        if (formStart[i + 1] - formStart[i] > 255) return "form key too long";
    if (textArena.empty() || textArena.back() != '\0') return "text arena not terminated";
    if (yoForm.size() != yoText.size()) return "bad spelling table";
    for (size_t i = 0; i < yoForm.size(); ++i) {
        if (yoForm[i] >= forms || (i > 0 && yoForm[i - 1] > yoForm[i]))
            return "spelling form id out of range or order";
        if (yoText[i] >= textArena.size()) return "spelling offset out of range";
    }
    if (std::string e = checkCsr(formLemmaStart, forms, formLemmas.size(), "form lemmas");
        !e.empty())
        return e;
    for (size_t i = 0; i < forms; ++i)
        if (formLemmaStart[i] == formLemmaStart[i + 1]) return "form without lemma";
    for (uint32_t id : formLemmas)
        if (id >= lemmas) return "lemma id out of range";
    if (lemmaNumber.size() != lemmas) return "bad lemma number table";
    for (uint32_t off : lemmaText)
        if (off >= textArena.size()) return "lemma text offset out of range";
    for (int32_t n : lemmaNumber)
        if (n <= 0) return "lemma number out of range";
    if (std::string e = checkCsr(lemmaFormStart, lemmas, lemmaForms.size(), "lemma forms");
        !e.empty())
        return e;
    for (uint32_t id : lemmaForms)
        if (id >= forms) return "form id out of range";
    if (byNumber.size() != lemmas) return "bad number index";
    for (size_t i = 0; i < byNumber.size(); ++i) {
        if (byNumber[i] >= lemmas) return "number index out of range";
        if (i > 0 && lemmaNumber[byNumber[i - 1]] > lemmaNumber[byNumber[i]])
            return "number index not sorted";
    }
    if (hashSlots.size() < forms + 1 || (hashSlots.size() & (hashSlots.size() - 1)) != 0)
        return "bad hash table size";
    // Exactly one slot per form leaves empty slots, which end every probe.
    size_t used = 0;
    for (uint32_t v : hashSlots) {
        if (v > forms) return "hash slot out of range";
        used += v != 0;
    }
    if (used != forms) return "hash slots do not match the forms";
    return {};
}

namespace {

// Interns keys into a growing arena with an open-addressing table.
class Interner {
public:
    explicit Interner(size_t expected) {
        size_t n = 16;
        while (n < expected * 2) n *= 2;
        m_hashSlots.assign(n, 0);
        m_start.push_back(0);
    }
    // Returns (id, inserted).
    std::pair<uint32_t, bool> add(std::string_view key) {
        if ((size() + 1) * 2 > m_hashSlots.size()) grow();
        size_t i = slotOf(key);
        if (m_hashSlots[i] != 0) return {m_hashSlots[i] - 1, false};
        m_arena.append(key);
        m_start.push_back(uint32_t(m_arena.size()));
        m_hashSlots[i] = uint32_t(size());
        return {uint32_t(size() - 1), true};
    }
    uint32_t find(std::string_view key) const {
        const uint32_t v = m_hashSlots[slotOf(key)];
        return v == 0 ? MorphTable::kNone : v - 1;
    }
    size_t size() const { return m_start.size() - 1; }
    std::string_view key(uint32_t id) const {
        return std::string_view(m_arena).substr(m_start[id], m_start[id + 1] - m_start[id]);
    }
    std::string& arena() { return m_arena; }
    MorphArray<uint32_t>& starts() { return m_start; }

private:
    size_t slotOf(std::string_view key) const {
        const size_t mask = m_hashSlots.size() - 1;
        for (size_t i = morphKeyHash(key) & mask;; i = (i + 1) & mask)
            if (m_hashSlots[i] == 0 || this->key(m_hashSlots[i] - 1) == key) return i;
    }
    void grow() {
        std::vector<uint32_t> old;
        old.swap(m_hashSlots);
        m_hashSlots.assign(old.size() * 2, 0);
        for (uint32_t v : old)
            if (v != 0) m_hashSlots[slotOf(key(v - 1))] = v;
    }

    std::string m_arena;
    MorphArray<uint32_t> m_start;
    std::vector<uint32_t> m_hashSlots;
};

// One reading of a form. Lower prio ranks first: supplement lexemes (by their order in the
// file); the lemma the form is itself; the other lemmas of common words; then proper names
// (capitalised entries), their own headword first. Readings of one tier are ordered by the
// size of the lemma's paradigm, larger first, then by the lemma's bytes: one order over all
// lemmas, so that two lemmas sharing many forms (ОСНОВНОЙ, ОСНОВНЫЙ) do not split them.
struct Candidate {
    uint32_t form;
    uint32_t lemma;
    uint32_t prio;
};

constexpr uint32_t kPrioHeadword = 0x40000000u;
constexpr uint32_t kPrioOther = 0x50000000u;
constexpr uint32_t kPrioNameHeadword = 0x60000000u;
constexpr uint32_t kPrioNameOther = 0x70000000u;

bool isCapital(unsigned char c) { return (c >= 0xC0 && c <= 0xDF) || c == 0xA8; }

class Builder {
public:
    // The tables are sized from the dictionary's size (about one form per two bytes of it), so
    // that they rarely grow while it is read.
    Builder(const AffixSet& aff, MorphArrays& out, size_t dicBytes)
        : m_aff(aff), m_out(out), m_forms(dicBytes / 2), m_lemmas(dicBytes / 16) {
        m_out.textArena.push_back('\0'); // offset 0 is the empty text
    }

    uint32_t lemmaOf(std::string_view word) {
        const std::string upper = upperCp1251(word);
        const auto [id, inserted] = m_lemmas.add(morphKey(upper));
        if (inserted) m_out.lemmaText.push_back(addText(upper));
        return id;
    }

    uint32_t formOf(std::string_view word) {
        const std::string upper = upperCp1251(word);
        const uint32_t id = m_forms.add(morphKey(upper)).first;
        if (upper.find('\xA8') != std::string::npos && m_yoSeen.insert(upper).second)
            m_yo.push_back({id, addText(upper)});
        return id;
    }

    void add(uint32_t form, uint32_t lemma, uint32_t prio) {
        m_cands.push_back({form, lemma, prio});
    }

    // A dictionary-format entry: all its forms belong to the entry's lemma.
    void addEntry(std::string_view word, std::string_view flags) {
        if (m_aff.forbidden(flags)) return;
        const uint32_t lemma = lemmaOf(word);
        const std::string lemmaKey(m_lemmas.key(lemma));
        const bool name = isCapital(static_cast<unsigned char>(word[0]));
        m_aff.expand(word, flags, [&](std::string_view f) {
            if (f.empty() || f.size() > 255) return;
            const uint32_t form = formOf(f);
            const bool headword = m_forms.key(form) == lemmaKey;
            add(form, lemma,
                name ? (headword ? kPrioNameHeadword : kPrioNameOther)
                     : (headword ? kPrioHeadword : kPrioOther));
            if (m_paradigm.size() <= lemma) m_paradigm.resize(lemma + 1, 0);
            ++m_paradigm[lemma];
        });
    }

    std::string addLexemes(const Supplement& s) {
        // Joins first collect every dictionary reading of the joined lemma.
        std::unordered_map<uint32_t, std::vector<std::pair<uint32_t, uint32_t>>> joins;
        for (size_t rank = 0; rank < s.lexemes.size(); ++rank) {
            const SupplementLexeme& lx = s.lexemes[rank];
            const uint32_t lemma = lemmaOf(lx.lemma);
            add(formOf(lx.lemma), lemma, uint32_t(rank));
            for (const std::string& f : lx.forms) add(formOf(f), lemma, uint32_t(rank));
            for (const std::string& j : lx.joins) {
                const uint32_t joined = m_lemmas.find(morphKey(j));
                if (joined == MorphTable::kNone || joined >= m_entryLemmas)
                    return "supplement line " + std::to_string(lx.line) + ": \"" +
                           cp1251ToUtf8(j) + "\" is not a dictionary lemma";
                joins[joined].push_back({lemma, uint32_t(rank)});
            }
        }
        const size_t n = m_cands.size();
        for (size_t i = 0; i < n; ++i) {
            const Candidate c = m_cands[i];
            if (c.prio < kPrioHeadword) continue;
            const auto it = joins.find(c.lemma);
            if (it == joins.end()) continue;
            for (const auto& [lemma, rank] : it->second) add(c.form, lemma, rank);
        }
        return {};
    }

    // Lemmas made so far come from dictionary-format entries; the supplement's lexemes may
    // only join those.
    void markEntries() { m_entryLemmas = m_lemmas.size(); }

    std::string finish(const LemmaNumbers& numbers) {
        MorphArrays& t = m_out;
        const size_t forms = m_forms.size(), lemmas = m_lemmas.size();
        if (forms == 0) return "the dictionary has no words";

        m_paradigm.resize(lemmas, 0);
        std::sort(m_cands.begin(), m_cands.end(), [&](const Candidate& a, const Candidate& b) {
            if (a.form != b.form) return a.form < b.form;
            if (a.prio != b.prio) return a.prio < b.prio;
            if (a.lemma == b.lemma) return false;
            if (m_paradigm[a.lemma] != m_paradigm[b.lemma])
                return m_paradigm[a.lemma] > m_paradigm[b.lemma];
            return m_lemmas.key(a.lemma) < m_lemmas.key(b.lemma);
        });
        t.formLemmaStart.assign(forms + 1, 0);
        t.formLemmas.reserve(m_cands.size());
        for (size_t i = 0; i < m_cands.size();) {
            const uint32_t form = m_cands[i].form;
            const size_t groupStart = t.formLemmas.size();
            for (; i < m_cands.size() && m_cands[i].form == form; ++i) {
                const uint32_t lemma = m_cands[i].lemma;
                if (std::find(t.formLemmas.begin() + std::ptrdiff_t(groupStart),
                              t.formLemmas.end(), lemma) == t.formLemmas.end())
                    t.formLemmas.push_back(lemma);
            }
            t.formLemmaStart[form + 1] = uint32_t(t.formLemmas.size());
        }
        std::vector<Candidate>().swap(m_cands);

        t.lemmaNumber.resize(lemmas);
        for (uint32_t l = 0; l < lemmas; ++l) t.lemmaNumber[l] = numbers.number(m_lemmas.key(l));

        // Forms by their first lemma, each lemma's forms in key byte order.
        t.lemmaFormStart.assign(lemmas + 1, 0);
        for (uint32_t f = 0; f < forms; ++f) ++t.lemmaFormStart[t.formLemmas[t.formLemmaStart[f]] + 1];
        for (size_t l = 0; l < lemmas; ++l) t.lemmaFormStart[l + 1] += t.lemmaFormStart[l];
        t.lemmaForms.resize(forms);
        std::vector<uint32_t> fill(t.lemmaFormStart.begin(), t.lemmaFormStart.end() - 1);
        for (uint32_t f = 0; f < forms; ++f) t.lemmaForms[fill[t.formLemmas[t.formLemmaStart[f]]]++] = f;
        for (size_t l = 0; l < lemmas; ++l)
            std::sort(t.lemmaForms.begin() + t.lemmaFormStart[l],
                      t.lemmaForms.begin() + t.lemmaFormStart[l + 1],
                      [&](uint32_t a, uint32_t b) { return m_forms.key(a) < m_forms.key(b); });

        t.byNumber.resize(lemmas);
        for (uint32_t l = 0; l < lemmas; ++l) t.byNumber[l] = l;
        std::sort(t.byNumber.begin(), t.byNumber.end(), [&](uint32_t a, uint32_t b) {
            return t.lemmaNumber[a] != t.lemmaNumber[b] ? t.lemmaNumber[a] < t.lemmaNumber[b]
                                                        : a < b;
        });

        std::sort(m_yo.begin(), m_yo.end(), [&](const auto& a, const auto& b) {
            return a.first != b.first ? a.first < b.first
                                      : std::strcmp(t.textArena.c_str() + a.second,
                                                    t.textArena.c_str() + b.second) < 0;
        });
        for (const auto& [form, text] : m_yo) {
            t.yoForm.push_back(form);
            t.yoText.push_back(text);
        }

        t.formArena = std::move(m_forms.arena());
        t.formStart = std::move(m_forms.starts());
        // Rebuild the lookup table at its final size, at most three quarters full.
        size_t n = 16;
        while (n * 3 < forms * 4) n *= 2;
        t.hashSlots.assign(n, 0);
        for (uint32_t f = 0; f < forms; ++f) {
            const std::string_view key =
                std::string_view(t.formArena).substr(t.formStart[f], t.formStart[f + 1] - t.formStart[f]);
            size_t i = morphKeyHash(key) & (n - 1);
            while (t.hashSlots[i] != 0) i = (i + 1) & (n - 1);
            t.hashSlots[i] = f + 1;
        }
        return {};
    }

private:
    uint32_t addText(std::string_view s) {
        const uint32_t off = uint32_t(m_out.textArena.size());
        m_out.textArena.append(s);
        m_out.textArena.push_back('\0');
        return off;
    }

    const AffixSet& m_aff;
    MorphArrays& m_out;
    Interner m_forms;
    Interner m_lemmas;
    std::vector<Candidate> m_cands;
    std::vector<std::pair<uint32_t, uint32_t>> m_yo; // (form, text offset) of Ё spellings
    std::unordered_set<std::string> m_yoSeen;
    size_t m_entryLemmas = 0; // lemma ids below this come from dictionary-format entries
    std::vector<uint32_t> m_paradigm; // forms the lemma's dictionary entries make (repeats count)
};

} // namespace

std::string buildMorphTable(const AffixSet& aff, std::string_view dic, const Supplement& supplement,
                            const LemmaNumbers& numbers, MorphTable& out) {
    auto arrays = std::make_shared<MorphArrays>();
    if (std::string e = buildMorphArrays(aff, dic, supplement, numbers, *arrays); !e.empty())
        return e;
    out = MorphTable::of(std::move(arrays));
    return out.validate();
}

std::string buildMorphArrays(const AffixSet& aff, std::string_view dic, const Supplement& supplement,
                             const LemmaNumbers& numbers, MorphArrays& out) {
    out = MorphArrays();
    Builder b(aff, out, dic.size());
    // Supplement entries come first so that their spellings are the ones shown.
    for (const SupplementEntry& e : supplement.entries) b.addEntry(e.word, e.flags);

    if (dic.substr(0, 3) == "\xEF\xBB\xBF") dic.remove_prefix(3);
    bool first = true;
    std::string word, flags;
    for (size_t pos = 0; pos < dic.size();) {
        size_t end = dic.find('\n', pos);
        if (end == std::string_view::npos) end = dic.size();
        const std::string_view line = dic.substr(pos, end - pos);
        pos = end + 1;
        if (first) { // the approximate word count
            first = false;
            continue;
        }
        if (!splitDicLine(line, word, flags)) continue;
        bool ok = true;
        const std::string word1251 = utf8ToCp1251(word, &ok);
        // Words Windows-1251 cannot spell never occur in a book.
        if (!ok || word1251.find('?') != std::string::npos) continue;
        b.addEntry(word1251, flags);
    }
    b.markEntries();
    if (std::string e = b.addLexemes(supplement); !e.empty()) return e;
    return b.finish(numbers);
}
