// The complete evaluation of a word query: lemma numbers in, ranked document numbers out.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

class IndexProcess;

struct QueryOutcome {
    // 0 when the index was read; IndexProcess::kIndexUnusable or kReaderFailed otherwise (the
    // query then has no documents, as when nothing was found).
    int error = 0;
    int termCount = 0;    // terms used: at most the first 16 of the query
    int best = 0;         // largest number of terms found together
    int damagedTerms = 0; // terms whose postings were damaged (treated as absent)
    std::vector<int32_t> documents; // best first; empty when nothing was found
};

// Documents in which all terms occur close together, ranked by how often they do.
// indexBase: BasePath + "index".
QueryOutcome evaluateQuery(std::span<const int32_t> terms, std::string_view indexBase);

// The part after loading: runs the process, groups and cuts. Only clusters holding every term
// count, so a query whose best cluster misses a term has no documents.
std::vector<int32_t> rankDocuments(IndexProcess& process);
