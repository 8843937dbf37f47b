// The books the tests read, built once per run. Every build loads the dictionary, so all of them
// start together when the tests begin and each test waits for the one it reads.
#pragma once

#include "bookfiles.h"

#include <filesystem>

enum class TestBook {
    Sample,          // samples/book
    SampleAgain,     // samples/book once more, for the determinism check
    PageFile,        // samples/pagefile, installed (its machine key written)
    Limits,          // long records, a document past the last position, a short exam
};

struct BuiltBook {
    std::filesystem::path folder;
    RunResult run;
};

// Waits for the build and returns it.
const BuiltBook& builtBook(TestBook which);
