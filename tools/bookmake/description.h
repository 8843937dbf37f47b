// The book description "bookmake.txt" in the source folder: title, registry key, layout, the
// contents tree with each entry's page, glossary terms, exercises and exams, fonts.
// The format is described in docs/formats/bookmake.md.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

inline constexpr const char* kDescriptionFile = "bookmake.txt";

enum class Layout { SingleStore, PageFile };

// An HTML fragment written inline or read from a file ("@file"); pictures in it are relative to
// `folder` (source path, "" for the root). `origin` and `line` name where it came from.
struct TaskText {
    std::string html; // Windows-1251
    std::string folder;
    std::string origin;
    int line = 0;
};

struct TaskDef {
    char kind = 0; // 'A', 'B', 'C' in an exam; 0 for an exercise
    TaskText question;
    bool choice = false; // right/options given (choice record), else answer given
    int right = 0;
    int options = 0;
    TaskText answer;
    int line = 0;
};

struct Exercise {
    std::string name;
    TaskDef task;
    int line = 0;
};

struct Exam {
    std::string name;
    TaskText instructions;
    std::vector<TaskDef> tasks;
    int line = 0;
};

struct ContentsEntry {
    std::string caption; // Windows-1251
    int depth = 0;       // 0 = top level
    std::string page;    // source path ("/" separated, Windows-1251), empty when none
    std::string anchor;  // without "#"
    int line = 0;
};

struct GlossTerm {
    std::string text; // upper case, Windows-1251
    int line = 0;
};

struct BookDescription {
    std::string file; // for messages
    std::string title;
    std::string regKey;
    int pelvar = 0;
    Layout layout = Layout::SingleStore;
    std::vector<std::string> fonts; // source paths
    std::string docs;               // source folder of documents opened by the shell, or empty
    std::vector<ContentsEntry> contents;
    std::vector<GlossTerm> glossary;
    std::vector<Exercise> exercises;
    std::vector<Exam> exams;
};

// Reads and checks root/bookmake.txt; BuildError with file and line on any fault.
BookDescription readDescription(const std::filesystem::path& root);
