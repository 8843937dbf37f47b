// Readers of the files bookmake writes, written from the file formats and not from bookmake's
// code, so the tests compare two independent readings; and a runner for the program.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the built bookmake with the arguments.
RunResult runBookmake(const std::vector<std::string>& args);

// A bookmake run started now and collected later, so that several builds (each loads the
// dictionary) share the processor.
class BookmakeRun {
public:
    explicit BookmakeRun(const std::vector<std::string>& args);
    ~BookmakeRun();
    const RunResult& wait();

private:
    struct Process;
    Process* m_process;
    RunResult m_result;
    bool m_done = false;
};

std::string readAll(const std::filesystem::path& p);

// Lines without their "\r\n" or "\n"; a last line without an end counts.
std::vector<std::string> splitLines(std::string_view s);

uint32_t le32(std::string_view s, size_t pos);
uint16_t le16(std::string_view s, size_t pos);

struct Posting {
    uint32_t document = 0;
    bool isLong = false;
    std::vector<uint16_t> positions;
};

struct IndexTerm {
    int32_t key = 0;
    uint32_t offset = 0;
    uint32_t length = 0;
    std::vector<Posting> postings;
};

// index.dat + index.ind of a base folder; error is set when the pair is inconsistent.
std::vector<IndexTerm> readIndex(const std::filesystem::path& base, std::string& error);

struct GlossWord {
    std::string word;
    std::vector<int32_t> documents; // document indices (document number - 1)
};

// gloss.dat/.ind or allgloss.dat/.ind (name = "gloss" or "allgloss").
std::vector<GlossWord> readGloss(const std::filesystem::path& base, const std::string& name,
                                 int32_t& headerCount, std::string& error);

struct CountedWord {
    uint32_t ordinal;
    std::string word; // upper case Windows-1251
};

// Words as the reader's highlighter counts them: maximal runs of Cyrillic letters (with Ё/ё) of
// 3 or more bytes from "<BODY" on (or from the start), upper-cased.
std::vector<CountedWord> countWords(std::string_view page, bool fromBody);

// Task links ("$k,offset[,page]") found in the text.
struct TaskLinkRef {
    int kind;
    int offset;
    int page;
};
std::vector<TaskLinkRef> findTaskLinks(std::string_view text);
