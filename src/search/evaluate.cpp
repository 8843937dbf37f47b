#include "search/evaluate.h"

#include "search/indexprocess.h"
#include "search/indexrange.h"

#include <algorithm>

std::vector<int32_t> rankDocuments(IndexProcess& process) {
    std::vector<int32_t> documents;
    process.run();
    if (process.resultCount() == 0) return documents;
    IndexRange range(process.results().data(), process.results().size());
    range.group();
    if (process.best() != process.termCount()) return documents;
    const size_t kept = range.cut();
    documents.reserve(kept);
    for (size_t i = 0; i < kept; ++i) documents.push_back(range.groups()[i].document);
    return documents;
}

QueryOutcome evaluateQuery(std::span<const int32_t> terms, std::string_view indexBase) {
    QueryOutcome out;
    IndexProcess process(int(std::min<size_t>(terms.size(), kMaxQueryTerms)));
    out.termCount = process.termCount();
    out.error = process.load(terms.data(), indexBase);
    out.damagedTerms = process.damagedTerms();
    if (out.error != IndexProcess::kLoaded) return out;
    out.documents = rankDocuments(process);
    out.best = process.best();
    return out;
}
