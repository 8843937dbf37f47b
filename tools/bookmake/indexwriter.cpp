#include "indexwriter.h"

#include "error.h"
#include "platform/morph.h"
#include "platform/text.h"
#include "platform/words.h"

#include <map>
#include <unordered_map>

namespace {

void putU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}
void putU16(std::string& out, uint16_t v) {
    out += char(v & 0xFF);
    out += char(v >> 8);
}

} // namespace

Lemmatizer cachedMorphLemmatizer() {
    auto cache = std::make_shared<std::unordered_map<std::string, int32_t>>();
    return [cache](std::string_view word) -> int32_t {
        auto it = cache->find(std::string(word));
        if (it != cache->end()) return it->second;
        // The dictionary loads on the first word, so faulty input is reported without waiting.
        if (cache->empty())
            if (const std::string why = morphError(); !why.empty())
                throw BuildError("morphology", 0, "the dictionary is not usable: " + why);
        const std::vector<MorphLemma> lemmas = morphLemmas(word);
        const int32_t number = lemmas.empty() ? 0 : lemmas.front().number;
        cache->emplace(std::string(word), number);
        return number;
    };
}

IndexFiles buildIndex(const std::vector<Document>& documents, const Lemmatizer& lemmaOf) {
    IndexFiles files;
    std::map<int32_t, std::string> blocks; // sorted by signed key
    std::unordered_map<int32_t, std::vector<uint16_t>> positions;
    std::vector<int32_t> order; // lemmas in order of first occurrence, for a stable walk
    int previous = 0;
    for (const Document& d : documents) {
        if (d.number <= previous || d.number > 0xFFFFFF)
            throw BuildError("index", 0, "document numbers must ascend within 1..16777215");
        previous = d.number;
        const std::string upper = upperCp1251(d.text);
        positions.clear();
        order.clear();
        bool truncated = false;
        forEachCountedWord(upper, d.countFrom, [&](size_t start, size_t length, uint32_t ordinal) {
            if (ordinal > kMaxPosition) {
                truncated = true;
                return;
            }
            const int32_t lemma = lemmaOf(std::string_view(upper).substr(start, length));
            if (lemma == 0) return;
            auto [it, fresh] = positions.try_emplace(lemma);
            if (fresh) order.push_back(lemma);
            it->second.push_back(uint16_t(ordinal));
        });
        if (truncated) {
            ++files.truncatedDocuments;
            warn(d.name.empty() ? d.title : d.name, 0,
                 "more than 65535 counted words: the words after that are not indexed");
        }
        for (int32_t lemma : order) {
            const std::vector<uint16_t>& p = positions[lemma];
            std::string& block = blocks[lemma];
            const uint32_t doc = uint32_t(d.number);
            if (p.size() <= 254) {
                putU32(block, doc | (uint32_t(p.size()) << 24));
            } else {
                putU32(block, doc | 0xFF000000u);
                putU16(block, uint16_t(p.size()));
            }
            for (uint16_t pos : p) putU16(block, pos);
        }
    }
    for (const auto& [key, block] : blocks) {
        if (files.ind.size() + block.size() > 0x7FFFFFFF)
            throw BuildError("index.ind", 0, "the postings file would pass 2 GB");
        putU32(files.dat, uint32_t(key));
        putU32(files.dat, uint32_t(files.ind.size()));
        putU32(files.dat, uint32_t(block.size()));
        files.ind += block;
    }
    return files;
}

DocumentTable buildDocumentTable(const std::vector<Document>& documents) {
    DocumentTable t;
    t.dat.assign(6, '\0'); // record 0 belongs to no document
    int expected = 1;
    for (const Document& d : documents) {
        if (d.number != expected++) throw BuildError("files.dat", 0, "documents must be numbered 1, 2, ...");
        const std::string title = d.title.substr(0, 255);
        if (d.name.size() > 255) throw BuildError(d.name, 0, "a page name is at most 255 bytes");
        putU32(t.dat, uint32_t(t.ind.size()));
        t.dat += char(uint8_t(d.name.size()));
        t.dat += char(uint8_t(title.size()));
        t.ind += d.name + title;
    }
    return t;
}
