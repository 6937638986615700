// Listing a folder of 100,000 files through the desktop folder, as a shell
// list does (parse, bind, enumerate, then attributes and the in-folder name
// of every item), against reading the same folder with getdents64 and statx
// of the same mask. Warm cache; the median of 5 repetitions of each; the
// ratio is printed at the end.

#include "com/TaskAllocator.h"
#include "com/Unknown.h"
#include "shell32/ShellApi.h"
#include "win32/WideText.h"

#include "MedianReporter.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

namespace {

constexpr int kFiles = 100000;
// What a shell list asks of every item it adds.
constexpr ULONG kListAttributes = 0xF20B0000;

std::string FolderPath()
{
    return (std::filesystem::temp_directory_path() / "corvane-bench-enum").string();
}

void MakeFolder()
{
    const std::string dir = FolderPath();
    std::filesystem::create_directories(dir);
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++count;
    if (count == kFiles)
        return;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = dir + "/file-" + std::to_string(i) + ".txt";
        const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0)
            std::abort();
        if (i % 7 == 0 && ::write(fd, "data", 4) != 4)
            std::abort();
        ::close(fd);
    }
}

struct Dirent64 {
    std::uint64_t d_ino;
    std::int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

std::size_t ListRaw()
{
    const int fd = ::open(FolderPath().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    alignas(Dirent64) static char buffer[64 * 1024];
    std::size_t seen = 0;
    for (;;) {
        const long read = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (read <= 0)
            break;
        for (long offset = 0; offset < read;) {
            const auto* entry = reinterpret_cast<const Dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            struct statx sx {};
            if (statx(fd, entry->d_name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_SYNC_AS_STAT,
                      STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME, &sx) == 0) {
                benchmark::DoNotOptimize(sx.stx_size);
                ++seen;
            }
        }
    }
    ::close(fd);
    return seen;
}

std::size_t ListThroughShell()
{
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        std::abort();
    std::u16string path = win32::BytesToWide(FolderPath());
    LPITEMIDLIST folderList = nullptr;
    IShellFolder* folder = nullptr;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, path.data(), nullptr, &folderList, nullptr)) ||
        FAILED(
            desktop->BindToObject(folderList, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))))
        std::abort();
    IEnumIDList* enumerator = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                            &enumerator) != S_OK)
        std::abort();
    std::size_t seen = 0;
    LPITEMIDLIST item = nullptr;
    while (enumerator->Next(1, &item, nullptr) == S_OK) {
        LPCITEMIDLIST one = item;
        ULONG attributes = kListAttributes;
        folder->GetAttributesOf(1, &one, &attributes);
        STRRET name{};
        name.uType = STRRET_CSTR;
        if (SUCCEEDED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &name))) {
            if (name.uType == STRRET_WSTR)
                CoTaskMemFree(name.pOleStr);
            else
                benchmark::DoNotOptimize(name.cStr[0]);
        }
        CoTaskMemFree(item);
        ++seen;
    }
    enumerator->Release();
    folder->Release();
    CoTaskMemFree(folderList);
    desktop->Release();
    return seen;
}

void BM_RawGetdentsStatx(benchmark::State& state)
{
    for (auto _ : state)
        if (ListRaw() != kFiles)
            state.SkipWithError("wrong count");
}

void BM_DesktopFolderListing(benchmark::State& state)
{
    for (auto _ : state)
        if (ListThroughShell() != kFiles)
            state.SkipWithError("wrong count");
}

BENCHMARK(BM_RawGetdentsStatx)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DesktopFolderListing)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    MakeFolder();
    // Warm the cache (and the shell's first-use work) before timing.
    ListRaw();
    ListThroughShell();
    benchmark::Initialize(&argc, argv);
    kwbench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double raw = reporter.Medians["BM_RawGetdentsStatx"];
    const double shell = reporter.Medians["BM_DesktopFolderListing"];
    if (raw > 0 && shell > 0)
        std::printf("ratio desktop-folder listing / raw getdents+statx (median): %.2f\n", shell / raw);
    benchmark::Shutdown();
    return 0;
}
