#pragma once

#include <string>
#include <vector>

#include "core/checks/FieldChecks.h"

// The label of the field whose value made a check fail; the form's fields
// are named by their labels, which are unique.
const char* FieldOfCheck(int bit);

// A field with the messages of its failed checks, one per line.
struct FieldProblem {
    const char* label;
    std::string messages;
};

// The fields that failed, in the order of their first failed check.
std::vector<FieldProblem> FieldProblems(CheckErrors errors, const CheckValues& values);
