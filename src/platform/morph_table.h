// The morphology tables: every word form of the dictionary and the supplement with its ordered
// lemmas, and for every lemma number the forms whose FIRST lemma has that number. Both
// directions come from one list of (form, lemma) pairs, so "w's first lemma is L" and "w is a
// form of L" are the same statement by construction.
//
// All texts are Windows-1251 upper case. Form keys have Ё folded to Е; the spellings with Ё that
// the sources use for a form are kept as its variants, so morphBuildForm can give them all.
//
// The table is a handful of flat arrays so that a cache file can hold them as they are and a
// process can map that file instead of building them.
#pragma once

#include "platform/morph_affix.h"
#include "platform/morph_number.h"
#include "platform/morph_supplement.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A vector whose resize leaves new elements uninitialised: the builder fills them at once.
template <class T> struct NoInitAllocator : std::allocator<T> {
    template <class U> struct rebind {
        using other = NoInitAllocator<U>;
    };
    NoInitAllocator() = default;
    template <class U> NoInitAllocator(const NoInitAllocator<U>&) {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... A> void construct(U* p, A&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
};
template <class T> using MorphArray = std::vector<T, NoInitAllocator<T>>;

// The arrays of the tables as the builder makes them; MorphTable below describes each.
struct MorphArrays {
    std::string formArena;
    MorphArray<uint32_t> formStart, yoForm, yoText, formLemmaStart, formLemmas;
    std::string textArena;
    MorphArray<uint32_t> lemmaText;
    MorphArray<int32_t> lemmaNumber;
    MorphArray<uint32_t> lemmaFormStart, lemmaForms, byNumber, hashSlots;
};

// Calls f(array) for every array of a MorphArrays or a MorphTable, always in this order (the
// order of the cache file).
template <class A, class F> void forEachMorphArray(A& a, F&& f) {
    f(a.formArena);
    f(a.formStart);
    f(a.yoForm);
    f(a.yoText);
    f(a.formLemmaStart);
    f(a.formLemmas);
    f(a.textArena);
    f(a.lemmaText);
    f(a.lemmaNumber);
    f(a.lemmaFormStart);
    f(a.lemmaForms);
    f(a.byNumber);
    f(a.hashSlots);
}

// Read-only views of the arrays, wherever they live: in a MorphArrays the builder made, or in a
// cache file mapped into memory. storage keeps that place alive as long as any copy of the
// table.
struct MorphTable {
    static constexpr uint32_t kNone = 0xFFFFFFFFu;

    // Forms: keys are stored back to back in formArena; key i is
    // formArena[formStart[i] .. formStart[i+1]).
    std::string_view formArena;
    std::span<const uint32_t> formStart;      // formCount + 1 entries
    // Spellings with Ё, few: the form ids ascending, and parallel to them the offsets of the
    // spellings in textArena (by bytes within one form).
    std::span<const uint32_t> yoForm;
    std::span<const uint32_t> yoText;
    std::span<const uint32_t> formLemmaStart; // formCount + 1 entries, into formLemmas
    std::span<const uint32_t> formLemmas;     // lemma ids, the first lemma first

    // Lemmas: display text (NUL-terminated in textArena) and number.
    std::string_view textArena;
    std::span<const uint32_t> lemmaText;
    std::span<const int32_t> lemmaNumber;
    std::span<const uint32_t> lemmaFormStart; // lemmaCount + 1 entries, into lemmaForms
    std::span<const uint32_t> lemmaForms;     // form ids whose first lemma is this one, by key
    std::span<const uint32_t> byNumber;       // lemma ids ordered by (number, id)

    // Open addressing over form keys: slot value = form id + 1, 0 = empty. Size is a power of 2.
    std::span<const uint32_t> hashSlots;

    std::shared_ptr<const void> storage;

    // The views of arrays the table then shares.
    static MorphTable of(std::shared_ptr<const MorphArrays> arrays);

    size_t formCount() const { return formStart.empty() ? 0 : formStart.size() - 1; }
    size_t lemmaCount() const { return lemmaText.size(); }

    std::string_view formKey(uint32_t form) const {
        return std::string_view(formArena).substr(formStart[form],
                                                  formStart[form + 1] - formStart[form]);
    }
    // Offsets are checked by validate(); the arena ends with a NUL.
    std::string_view text(uint32_t offset) const { return textArena.data() + offset; }
    std::string_view lemmaDisplay(uint32_t lemma) const { return text(lemmaText[lemma]); }

    // The form id of a key (upper case, Ё folded), or kNone.
    uint32_t find(std::string_view key) const;
    std::span<const uint32_t> lemmasOf(uint32_t form) const {
        return std::span<const uint32_t>(formLemmas).subspan(
            formLemmaStart[form], formLemmaStart[form + 1] - formLemmaStart[form]);
    }
    std::span<const uint32_t> yoSpellings(uint32_t form) const;
    std::span<const uint32_t> formsOf(uint32_t lemma) const {
        return std::span<const uint32_t>(lemmaForms).subspan(
            lemmaFormStart[lemma], lemmaFormStart[lemma + 1] - lemmaFormStart[lemma]);
    }
    // Lemma ids that carry a number (more than one only for an unresolved hash collision).
    std::span<const uint32_t> lemmasNumbered(int32_t number) const;

    // Checks that every offset, id and length is in range, so that a table read from a file
    // can be used without further checks. Returns an empty string when it is sound.
    std::string validate() const;
};

// Builds the table from the parsed affix file, the dictionary text (UTF-8 .dic) and the
// supplement. Returns an empty string on success, otherwise what is wrong.
std::string buildMorphTable(const AffixSet& aff, std::string_view dicUtf8,
                            const Supplement& supplement, const LemmaNumbers& numbers,
                            MorphTable& out);

// The same, into arrays of one's own (the tests damage them).
std::string buildMorphArrays(const AffixSet& aff, std::string_view dicUtf8,
                             const Supplement& supplement, const LemmaNumbers& numbers,
                             MorphArrays& out);

uint32_t morphKeyHash(std::string_view key);
