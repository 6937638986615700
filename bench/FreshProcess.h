#pragma once
// Runs this benchmark program again in a fresh process, so that a figure is
// what a person opening a window for the first time gets, and reads the
// numbers the child prints.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kwbench {

// This program with args; every number it prints, in order. Ends the
// program when the child cannot be run or fails.
inline std::vector<double> RunFreshProcess(const std::string& args)
{
    std::string command = "'";
    command += std::filesystem::read_symlink("/proc/self/exe").string();
    command += "' ";
    command += args;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        std::perror("popen");
        std::exit(2);
    }
    std::vector<double> numbers;
    double value = 0;
    while (std::fscanf(pipe, "%lf", &value) == 1)
        numbers.push_back(value);
    if (::pclose(pipe) != 0) {
        std::fprintf(stderr, "the child %s failed\n", args.c_str());
        std::exit(2);
    }
    return numbers;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The system's load averages over 1, 5 and 15 minutes, as a table prints
// them beside its figures.
inline std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Seconds on the steady clock since start.
inline double Since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace kwbench
