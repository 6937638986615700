// Reading the registry store of 10,000 keys and 40,000 values as a process
// that has just started does (the first query loads and parses the file),
// against reading the file's bytes, the floor no reader can go under. Two
// shapes: the values spread four to a key, and all of them in one key (a
// program's list of recent files grown long). Then a query with the store
// loaded and unchanged, which must only look at the file's identity, and
// one after another process replaced the file. Last, the same first query
// and the same floor each in a child process of its own, as a program that
// has just started pays them. The median of 5 repetitions of each; the
// ratios to the floor are printed at the end.

#include "win32/AtomicFile.h"
#include "win32/Errors.h"
#include "win32/Registry.h"
#include "win32/RegistryTesting.h"

#include "MedianReporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kKeys = 10000;
constexpr int kValues = 40000;
constexpr std::size_t kMaxStoreBytes = 64u << 20;

std::string BenchRoot()
{
    return (std::filesystem::temp_directory_path() / ("corvane-bench-registry-" + std::to_string(::getpid())))
        .string();
}

std::string ConfigHomeOf(const std::string& shape)
{
    return BenchRoot() + "/" + shape;
}

std::string StoreOf(const std::string& shape)
{
    return ConfigHomeOf(shape) + "/corvane/registry";
}

// The store's text: kKeys keys below HKEY_CURRENT_USER\Software\Bench, and
// kValues values of every kind, valuesPerKey to a key from the first on.
std::string StoreText(int valuesPerKey)
{
    std::string text = "corvane-registry 1\n";
    int value = 0;
    for (int key = 0; key < kKeys; ++key) {
        text += "key \"HKEY_CURRENT_USER\" \"Software\" \"Bench\" \"Group " + std::to_string(key / 100) +
                "\" \"Key " + std::to_string(key) + "\"\n";
        for (int i = 0; i < valuesPerKey && value < kValues; ++i, ++value) {
            const std::string name = "\"Value " + std::to_string(value) + "\"";
            switch (value % 3) {
            case 0:
                text +=
                    "value " + name + " sz \"/home/user/Documents/file " + std::to_string(value) + ".txt\"\n";
                break;
            case 1:
                text += "value " + name + " dword " + std::to_string(value * 7) + "\n";
                break;
            default:
                text += "value " + name + " data 3 00ff10ab" + std::to_string(1000 + value % 9000) + "\n";
                break;
            }
        }
    }
    return text;
}

void MakeStore(const std::string& shape, int valuesPerKey)
{
    std::filesystem::create_directories(ConfigHomeOf(shape) + "/corvane");
    if (win32::WriteFileAtomically(StoreOf(shape), StoreText(valuesPerKey)) != 0)
        std::abort();
}

void UseShape(const std::string& shape)
{
    ::setenv("XDG_CONFIG_HOME", ConfigHomeOf(shape).c_str(), 1);
    win32::testing::ResetRegistry();
}

// One query of a value of the first key, as a program asks for its setting.
void QueryValue(const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Bench\\Group 0\\Key 0", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        std::abort();
    DWORD size = 0;
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size);
    benchmark::DoNotOptimize(result);
    benchmark::DoNotOptimize(size);
    RegCloseKey(key);
}

void BM_ReadStoreBytes(benchmark::State& state)
{
    const std::string path = StoreOf("spread");
    for (auto _ : state) {
        std::string bytes;
        if (win32::ReadSmallFile(path, kMaxStoreBytes, bytes) != 0)
            state.SkipWithError("cannot read the store");
        benchmark::DoNotOptimize(bytes.data());
    }
}

// What a process that has just started pays for its first query.
void FirstQuery(benchmark::State& state, const std::string& shape, const char* value)
{
    UseShape(shape);
    for (auto _ : state) {
        win32::testing::ResetRegistry();
        QueryValue(value);
    }
}

void BM_FirstQuerySpreadKeys(benchmark::State& state)
{
    FirstQuery(state, "spread", "Value 3");
}

void BM_FirstQueryOneWideKey(benchmark::State& state)
{
    FirstQuery(state, "wide", "Value 39999");
}

void BM_QueryUnchangedStore(benchmark::State& state)
{
    UseShape("spread");
    QueryValue("Value 3");
    for (auto _ : state)
        QueryValue("Value 3");
}

// Another process wrote the store (a new file took its place): the next
// query reads it again.
void BM_QueryAfterAnotherWriter(benchmark::State& state)
{
    UseShape("spread");
    QueryValue("Value 3");
    const std::string path = StoreOf("spread");
    const std::string copy = path + ".other";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(path, copy, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::rename(copy, path);
        state.ResumeTiming();
        QueryValue("Value 3");
    }
}

// A child process does the work and ends; the parent waits for it. Both
// sides of the comparison pay the same fork and exit.
template <class Work>
void InChild(benchmark::State& state, Work&& work)
{
    const pid_t child = ::fork();
    if (child == 0) {
        work();
        ::_exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        state.SkipWithError("the child failed");
}

void BM_FreshProcessReadsTheBytes(benchmark::State& state)
{
    const std::string path = StoreOf("spread");
    for (auto _ : state) {
        InChild(state, [&] {
            std::string bytes;
            if (win32::ReadSmallFile(path, kMaxStoreBytes, bytes) != 0)
                std::abort();
        });
    }
}

void BM_FreshProcessFirstQuery(benchmark::State& state)
{
    UseShape("spread");
    for (auto _ : state) {
        InChild(state, [] {
            win32::testing::ResetRegistry(); // nothing of the parent's loaded store
            QueryValue("Value 3");
        });
    }
}

void Configure(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_ReadStoreBytes)->Apply(Configure);
BENCHMARK(BM_FirstQuerySpreadKeys)->Apply(Configure);
BENCHMARK(BM_FirstQueryOneWideKey)->Apply(Configure);
BENCHMARK(BM_QueryUnchangedStore)->Apply(Configure);
BENCHMARK(BM_QueryAfterAnotherWriter)->Apply(Configure);
BENCHMARK(BM_FreshProcessReadsTheBytes)->Apply(Configure);
BENCHMARK(BM_FreshProcessFirstQuery)->Apply(Configure);

} // namespace

int main(int argc, char** argv)
{
    MakeStore("spread", 4);
    MakeStore("wide", kValues);
    benchmark::Initialize(&argc, argv);
    kwbench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double floor = reporter.Medians["BM_ReadStoreBytes"];
    for (const char* name :
         {"BM_FirstQuerySpreadKeys", "BM_FirstQueryOneWideKey", "BM_QueryAfterAnotherWriter"}) {
        const auto found = reporter.Medians.find(name);
        if (floor > 0 && found != reporter.Medians.end())
            std::printf("ratio %s / reading the bytes (median): %.1f\n", name, found->second / floor);
    }
    const double freshFloor = reporter.Medians["BM_FreshProcessReadsTheBytes"];
    const double fresh = reporter.Medians["BM_FreshProcessFirstQuery"];
    if (freshFloor > 0 && fresh > 0)
        std::printf("fresh process: first query %.2f ms, reading the bytes %.2f ms, ratio %.1f\n", fresh,
                    freshFloor, fresh / freshFloor);
    benchmark::Shutdown();
    std::filesystem::remove_all(BenchRoot());
    return 0;
}
