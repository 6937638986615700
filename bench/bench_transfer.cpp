// The transfer engine copying what a person copies: a folder of 10,000
// small files (a source tree, a photo import) and one 1 GiB file.
//
// The baseline is cp run from the same process on the same data in the
// same run: `cp -a` of the folder (goal: within 1.5 times) and `cp` of the
// big file (goal: within 1.2 times). The copy is removed after each run,
// untimed. The data is made once under bench-data/ of the build tree, the
// big file with real bytes (no holes, which would make both copies
// trivial). The process's peak resident memory is printed before and after
// the big copies: the engine's copy must not grow with the file. The disk
// is synced before each run, untimed.
//
// The median of 3 repetitions of each; ratios are printed at the end.

#include "shell32/Transfer.h"

#include "MedianReporter.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef KW_BENCH_DATA_DIR
#define KW_BENCH_DATA_DIR "/tmp/corvane-bench"
#endif

namespace {

namespace fs = std::filesystem;

constexpr int kSmallFiles = 10000;
constexpr std::size_t kBigBytes = std::size_t{1} << 30;

std::string Data(const std::string& name)
{
    return std::string(KW_BENCH_DATA_DIR) + "/" + name;
}

// 10,000 files of 100 bytes to 8 KiB in 100 folders.
void MakeSmallFolder()
{
    const std::string root = Data("transfer-small");
    if (fs::exists(root + "/.complete"))
        return;
    fs::remove_all(root);
    std::string bytes(8192, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>('a' + i * 7 % 26);
    for (int i = 0; i < kSmallFiles; ++i) {
        const std::string folder = root + "/folder " + std::to_string(i / 100);
        if (i % 100 == 0)
            fs::create_directories(folder);
        std::ofstream(folder + "/file " + std::to_string(i) + ".txt", std::ios::binary)
            .write(bytes.data(), 100 + (i * 7919) % 8092);
    }
    std::ofstream(root + "/.complete");
}

void MakeBigFile()
{
    const std::string path = Data("transfer-big.bin");
    std::error_code error;
    if (fs::file_size(path, error) == kBigBytes)
        return;
    fs::create_directories(KW_BENCH_DATA_DIR);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<std::uint64_t> block(1 << 17); // 1 MiB
    std::uint64_t state = 88172645463325252ull;
    for (std::size_t written = 0; written < kBigBytes; written += block.size() * 8) {
        for (std::uint64_t& word : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        out.write(reinterpret_cast<const char*>(block.data()),
                  static_cast<std::streamsize>(block.size() * 8));
    }
}

std::string Quoted(const std::string& path)
{
    return "'" + path + "'";
}

void Fresh(const std::string& folder)
{
    fs::remove_all(folder);
    fs::create_directories(folder);
}

void Run(benchmark::State& state, const std::string& source, bool engine, const char* command)
{
    const std::string out = Data("transfer-out");
    for (auto _ : state) {
        state.PauseTiming();
        Fresh(out);
        // The last run's removal and writes are not left for this one to wait on.
        ::sync();
        state.ResumeTiming();
        if (engine) {
            const auto result =
                shell32::TransferItems(shell32::TransferOperation::Copy, {source}, out, nullptr);
            if (result.Error != 0)
                state.SkipWithError(("transfer failed at " + result.FailedPath).c_str());
        } else if (std::system((std::string(command) + " " + Quoted(source) + " " + Quoted(out)).c_str()) !=
                   0) {
            state.SkipWithError("cp failed");
        }
    }
    fs::remove_all(out);
}

void SmallEngine(benchmark::State& state)
{
    Run(state, Data("transfer-small"), true, nullptr);
}
void SmallCp(benchmark::State& state)
{
    Run(state, Data("transfer-small"), false, "cp -a");
}
void BigEngine(benchmark::State& state)
{
    Run(state, Data("transfer-big.bin"), true, nullptr);
}
void BigCp(benchmark::State& state)
{
    Run(state, Data("transfer-big.bin"), false, "cp");
}

long PeakRssKiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    MakeSmallFolder();
    MakeBigFile();
    using Runner = void (*)(benchmark::State&);
    const std::pair<const char*, Runner> runs[] = {
        {"SmallEngine", SmallEngine}, {"SmallCp", SmallCp}, {"BigEngine", BigEngine}, {"BigCp", BigCp}};
    for (const auto& [name, run] : runs)
        benchmark::RegisterBenchmark(name, run)->Repetitions(3)->Iterations(1);
    benchmark::Initialize(&argc, argv);
    const long rssBefore = PeakRssKiB();
    kwbench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto median = [&](const std::string& name) { return reporter.Median(name); };
    if (median("SmallCp") > 0)
        std::printf("10,000 small files: %.1f ms, ratio to cp -a: %.2f (goal: 1.5)\n",
                    median("SmallEngine") / 1e6, median("SmallEngine") / median("SmallCp"));
    if (median("BigCp") > 0)
        std::printf("1 GiB file: %.1f ms, ratio to cp: %.2f (goal: 1.2)\n", median("BigEngine") / 1e6,
                    median("BigEngine") / median("BigCp"));
    std::printf("peak resident memory: %ld KiB before the copies, %ld KiB after\n", rssBefore, PeakRssKiB());
    benchmark::Shutdown();
    return 0;
}
