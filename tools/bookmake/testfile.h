// "test.dat": the records of the book's exercises and exams, and the task links pages use to
// open them. Pictures of task texts go to the book's image\ folder, and each exam's
// instructions page to base\<n>.htm.
#pragma once

#include "description.h"
#include "output.h"

#include <cstdint>
#include <map>
#include <string>

struct TaskTarget {
    enum Kind { Choice, Answer, Exam } kind = Choice;
    int32_t offset = 0;
    int page = 0; // instructions page number of an exam
};

using TaskTargets = std::map<std::string, TaskTarget>;

// Builds test.dat's bytes; writes instructions pages and copies task pictures through out.
std::string buildTestFile(const BookDescription& book, BookOutput& out, TaskTargets& targets);

// The link a page writes for "$exercise:NAME", "$help:NAME", "$exam:NAME" or "$answers:NAME";
// empty when the form or the name is unknown (why, in error).
std::string taskLink(const TaskTargets& targets, std::string_view ref, std::string& error);
