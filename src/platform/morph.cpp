// The library calls over the shared tables, and the rule for hyphenated query words.
#include "platform/morph.h"

#include "platform/morph_load.h"
#include "platform/text.h"

#include <algorithm>
#include <cstring>

namespace {

// Parts that only add a shade to the word they join ("КТО-НИБУДЬ", "КОЕ-ЧТО", "ВСЕ-ТАКИ").
bool isParticle(std::string_view part) {
    static const std::string kParticles[] = {morphKey(w1251("ЛИБО")), morphKey(w1251("НИБУДЬ")),
                                             morphKey(w1251("ТАКИ")), morphKey(w1251("КОЕ")),
                                             morphKey(w1251("КОЙ"))};
    return std::find(std::begin(kParticles), std::end(kParticles), part) != std::end(kParticles);
}

// The form a query word stands for. A hyphenated word stands for one of its parts, because the
// page scanner counts only runs of letters: the last part of 3 or more letters that the tables
// know, particles only when no other part is known (docs/morph.md).
uint32_t findWord(const MorphTable& t, std::string_view key) {
    if (key.find('-') == std::string_view::npos) return t.find(key);
    std::vector<std::string_view> parts, particles;
    for (size_t pos = 0; pos <= key.size();) {
        size_t end = key.find('-', pos);
        if (end == std::string_view::npos) end = key.size();
        const std::string_view part = key.substr(pos, end - pos);
        if (part.size() >= 3) (isParticle(part) ? particles : parts).push_back(part);
        pos = end + 1;
    }
    for (const auto* list : {&parts, &particles})
        for (auto it = list->rbegin(); it != list->rend(); ++it)
            if (const uint32_t f = t.find(*it); f != MorphTable::kNone) return f;
    return MorphTable::kNone;
}

// Calls f(text) for every form of a lemma number: each key, then its spellings with Ё.
template <class F> void forEachForm(const MorphTable& t, int32_t number, F&& f) {
    for (uint32_t lemma : t.lemmasNumbered(number))
        for (uint32_t form : t.formsOf(lemma)) {
            f(t.formKey(form));
            for (uint32_t yo : t.yoSpellings(form)) f(t.text(yo));
        }
}

} // namespace

int16_t morphLemmatize(const char* word, uint16_t /*flags*/, char* lemmaBuf, int32_t* numbers,
                       char* infoBuf, int lemmaBufSize, int numbersCount, int infoBufSize) {
    if (infoBuf && infoBufSize > 0) infoBuf[0] = '\0';
    if (!word || !lemmaBuf || !numbers || lemmaBufSize <= 0 || numbersCount <= 0) return 0;
    const size_t len = strnlen(word, 256);
    if (len == 0 || len > 255) return 0;
    const MorphTable* t = morphShared();
    if (!t) return 0;
    const uint32_t form = findWord(*t, morphKey(std::string_view(word, len)));
    if (form == MorphTable::kNone) return 0;
    int count = 0;
    size_t used = 0;
    for (uint32_t lemma : t->lemmasOf(form)) {
        const std::string_view text = t->lemmaDisplay(lemma);
        if (count >= numbersCount || count >= INT16_MAX ||
            text.size() + 1 > size_t(lemmaBufSize) - used)
            break;
        std::memcpy(lemmaBuf + used, text.data(), text.size());
        lemmaBuf[used + text.size()] = '\0';
        used += text.size() + 1;
        numbers[count++] = t->lemmaNumber[lemma];
    }
    return int16_t(count);
}

int16_t morphBuildForm(int /*flags*/, int32_t lemmaNumber, int /*reserved*/, uint8_t formNumber,
                       char* out, int outSize) {
    if (!out || outSize <= 0) return 0;
    const MorphTable* t = morphShared();
    if (!t) return 0;
    // Buffer-fulls are cut the same way on every call: a form that does not fit in what is
    // left starts the next one. A form longer than the whole buffer is never given.
    const size_t size = size_t(outSize);
    unsigned page = 0;
    size_t used = 0;
    int count = 0;
    forEachForm(*t, lemmaNumber, [&](std::string_view form) {
        if (form.size() + 1 > size || page > formNumber) return;
        if (form.size() + 1 > size - used) {
            ++page;
            used = 0;
            if (page > formNumber) return;
        }
        if (page == formNumber && count < INT16_MAX) {
            std::memcpy(out + used, form.data(), form.size());
            out[used + form.size()] = '\0';
            ++count;
        }
        used += form.size() + 1;
    });
    return int16_t(count);
}

std::vector<MorphLemma> morphLemmas(std::string_view word) {
    std::vector<MorphLemma> out;
    const MorphTable* t = morphShared();
    if (!t || word.empty() || word.size() > 255) return out;
    const uint32_t form = findWord(*t, morphKey(word));
    if (form == MorphTable::kNone) return out;
    for (uint32_t lemma : t->lemmasOf(form))
        out.push_back({std::string(t->lemmaDisplay(lemma)), t->lemmaNumber[lemma]});
    return out;
}

std::vector<std::string> morphForms(int32_t lemmaNumber) {
    std::vector<std::string> out;
    if (const MorphTable* t = morphShared())
        forEachForm(*t, lemmaNumber, [&](std::string_view f) { out.emplace_back(f); });
    return out;
}

std::string morphError() { return morphLoadError(); }
