// Runs a program to completion with a time bound and collects its standard output and error.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace zel::test {

struct ProgramResult {
    int exitCode = -1;  // -1 when it did not end by itself in time or could not start
    std::string output;
    std::string errors;  // standard error
};

ProgramResult runProgram(const std::string& path, const std::vector<std::string>& arguments,
                         std::chrono::milliseconds limit = std::chrono::seconds(30));

}  // namespace zel::test
