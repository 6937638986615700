// A change-notification handle under a steady stream of changes: four
// threads change attributes of files in one watched folder without pause,
// while another handle watches a quiet folder. Measured is the time from the
// one change made in the quiet folder to its handle being signalled, against
// the floor of a bare inotify descriptor seeing the same change, and the
// process's peak resident memory while the stream runs. The median of 5
// repetitions of each; the ratio to the floor is printed at the end.

#include "win32/ChangeNotifications.h"
#include "win32/KernelObjects.h"

#include "MedianReporter.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kWriters = 4;
constexpr DWORD kGiveUpMs = 10000;

std::string BenchRoot()
{
    return (std::filesystem::temp_directory_path() / ("corvane-bench-changes-" + std::to_string(::getpid())))
        .string();
}

double PeakResidentMiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// kWriters threads changing files in the busy folder, each its own file.
class Stream {
public:
    explicit Stream(const std::string& folder)
    {
        for (int i = 0; i < kWriters; ++i) {
            const std::string path = folder + "/file" + std::to_string(i);
            const int fd = ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
            Threads_.emplace_back([this, fd] {
                mode_t mode = 0644;
                while (!Stop_.load(std::memory_order_relaxed)) {
                    mode ^= 0100;
                    ::fchmod(fd, mode);
                }
                ::close(fd);
            });
        }
    }
    ~Stream()
    {
        Stop_.store(true);
        for (std::thread& thread : Threads_)
            thread.join();
    }

private:
    std::atomic<bool> Stop_{false};
    std::vector<std::thread> Threads_;
};

// Makes a file never made before in the run (a name made again is no change).
void Touch(const std::string& quiet)
{
    static int made = 0;
    const std::string path = quiet + "/made" + std::to_string(++made);
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0)
        ::close(fd);
}

struct Folders {
    std::string Busy = BenchRoot() + "/busy";
    std::string Quiet = BenchRoot() + "/quiet";
    Folders()
    {
        std::filesystem::create_directories(Busy);
        std::filesystem::create_directories(Quiet);
    }
};

// The floor: a bare inotify descriptor on the quiet folder, polled.
void BM_BareDescriptorSeesTheChange(benchmark::State& state)
{
    const Folders folders;
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    inotify_add_watch(fd, folders.Quiet.c_str(), IN_CREATE);
    const Stream stream(folders.Busy);
    alignas(inotify_event) char buffer[4096];
    for (auto _ : state) {
        Touch(folders.Quiet);
        pollfd one{fd, POLLIN, 0};
        ::poll(&one, 1, static_cast<int>(kGiveUpMs));
        state.PauseTiming();
        while (::read(fd, buffer, sizeof buffer) > 0) {
        }
        state.ResumeTiming();
    }
    ::close(fd);
    state.counters["peak_rss_MiB"] = PeakResidentMiB();
}

// The handle on the quiet folder while another handle reads the stream.
void BM_HandleSignalledUnderStream(benchmark::State& state)
{
    const Folders folders;
    const HANDLE busy =
        FindFirstChangeNotificationA(folders.Busy.c_str(), FALSE, FILE_NOTIFY_CHANGE_ATTRIBUTES);
    const HANDLE quiet =
        FindFirstChangeNotificationA(folders.Quiet.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    const Stream stream(folders.Busy);
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the stream is running
    int missed = 0;
    for (auto _ : state) {
        Touch(folders.Quiet);
        if (WaitForSingleObject(quiet, kGiveUpMs) != WAIT_OBJECT_0)
            ++missed;
        state.PauseTiming();
        FindNextChangeNotification(quiet);
        state.ResumeTiming();
    }
    state.counters["missed"] = missed;
    state.counters["peak_rss_MiB"] = PeakResidentMiB();
    FindCloseChangeNotification(quiet);
    FindCloseChangeNotification(busy);
}

void Configure(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Unit(benchmark::kMicrosecond)->Repetitions(5)->Iterations(20)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_BareDescriptorSeesTheChange)->Apply(Configure)->UseRealTime();
BENCHMARK(BM_HandleSignalledUnderStream)->Apply(Configure)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    kwbench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double floor = reporter.Medians["BM_BareDescriptorSeesTheChange"];
    const double handle = reporter.Medians["BM_HandleSignalledUnderStream"];
    if (floor > 0 && handle > 0)
        std::printf(
            "signal under stream: %.1f us, bare descriptor %.1f us, ratio %.1f; peak resident %.0f MiB\n",
            handle, floor, handle / floor, PeakResidentMiB());
    benchmark::Shutdown();
    std::filesystem::remove_all(BenchRoot());
    return 0;
}
