// Files pasted or dropped from another program: a text/uri-list of 10,000
// and 100,000 file: URLs of real files (photos and documents in dated and
// named folders, spaces and UTF-8 in names) made into a data object, with
// its file-drop list and its id list array, as the clipboard and drops do.
// The floor is parsing the same URLs to paths in plain code in the same run;
// the goal is 100,000 URLs within 3 times of it. The steps are timed apart
// (the URL list reader, the paths' id lists, the id list array), and, at
// 10,000, the paths parsed one by one, each reading the mount table and
// walking from its drive, as a paste did before.

#include "com/DataObject.h"
#include "com/Unknown.h"
#include "shell32/ClipboardMime.h"
#include "shell32/FileUris.h"
#include "shell32/FileUrls.h"
#include "shell32/Folders.h"
#include "shell32/TransferBlocks.h"
#include "win32/GlobalMemory.h"

#include "MedianReporter.h"
#include "PlainUriList.h"

#include <QMimeData>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifndef KW_BENCH_DATA_DIR
#define KW_BENCH_DATA_DIR "/tmp/corvane-bench"
#endif

namespace {

constexpr std::size_t kMost = 100000;
constexpr std::size_t kPerFolder = 1000;
// Bumped whenever the file maker changes what it makes.
constexpr int kFilesFormat = 1;

std::string Root()
{
    return std::string(KW_BENCH_DATA_DIR) + "/pasted-files";
}

// The i-th folder: photos by date and event, documents by project.
std::string FolderOf(std::size_t folder)
{
    static const char* const kEvents[] = {"Holiday in Spain", "Geburtstag Oma", "été à Nice", "Office party",
                                          "Hochzeit Müller",  "Camping",        "写真",       "Garden"};
    static const char* const kProjects[] = {"Quarterly reports", "Übersicht 2021", "résumé drafts",
                                            "Invoices"};
    const std::string home = Root() + "/home/user";
    if (folder % 4 == 3)
        return home + "/Documents/Projects/" + kProjects[folder % 16 / 4] + " " + std::to_string(folder);
    return home + "/Pictures/" + std::to_string(2012 + folder % 10) + "/" + kEvents[folder % 8] + " " +
           std::to_string(folder);
}

std::string NameOf(std::size_t folder, std::size_t i)
{
    char name[64];
    if (folder % 4 == 3)
        std::snprintf(name, sizeof name, "Report (%zu) final.pdf", i);
    else
        std::snprintf(name, sizeof name, "IMG_2019%02zu%02zu_%05zu.jpg", i % 12 + 1, i % 28 + 1, i);
    return name;
}

// The paths, in the order a selection in a file manager lists them.
const std::vector<std::string>& Paths()
{
    static const std::vector<std::string> paths = [] {
        std::vector<std::string> all;
        all.reserve(kMost);
        for (std::size_t folder = 0; folder * kPerFolder < kMost; ++folder)
            for (std::size_t i = 0; i < kPerFolder; ++i)
                all.push_back(FolderOf(folder) + "/" + NameOf(folder, i));
        return all;
    }();
    return paths;
}

void MakeFiles()
{
    const std::string marker = Root() + ".ready";
    {
        std::ifstream in(marker);
        int format = 0;
        if (in >> format && format == kFilesFormat)
            return;
    }
    std::fprintf(stderr, "making %s ...\n", Root().c_str());
    std::filesystem::remove_all(Root());
    for (std::size_t folder = 0; folder * kPerFolder < kMost; ++folder)
        std::filesystem::create_directories(FolderOf(folder));
    for (const std::string& path : Paths()) {
        const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0) {
            std::perror(path.c_str());
            std::exit(2);
        }
        ::close(fd);
    }
    std::ofstream(marker) << kFilesFormat;
}

std::string UriList(std::size_t count)
{
    std::string list;
    for (std::size_t i = 0; i < count; ++i)
        list += shell32::FileUrlFromPath(Paths()[i]) + "\r\n";
    return list;
}

// Another program's data: the bytes as it sent them.
class ForeignMimeData final : public QMimeData {
public:
    explicit ForeignMimeData(const std::string& list)
        : List_(list.data(), static_cast<qsizetype>(list.size()))
    {
    }
    QStringList formats() const override { return {QString::fromLatin1(shell32::kMimeUriList)}; }

protected:
    QVariant retrieveData(const QString& type, QMetaType) const override
    {
        return type == QLatin1String(shell32::kMimeUriList) ? QVariant(List_) : QVariant();
    }

private:
    QByteArray List_;
};

void PlainCode(benchmark::State& state, std::size_t count)
{
    const std::string list = UriList(count);
    for (auto _ : state) {
        std::vector<std::string> paths = kwbench::PlainPaths(list);
        benchmark::DoNotOptimize(paths.data());
    }
}

// The URL list reader alone: the part of a paste the floor does.
void UriListReader(benchmark::State& state, std::size_t count)
{
    const std::string list = UriList(count);
    for (auto _ : state) {
        std::optional<std::vector<std::string>> paths = shell32::ParseUriList(list);
        benchmark::DoNotOptimize(paths->data());
    }
}

void Pasted(benchmark::State& state, std::size_t count)
{
    const ForeignMimeData mime(UriList(count));
    for (auto _ : state) {
        IDataObject* object = nullptr;
        if (FAILED(shell32::DataObjectFromMimeData(&mime, &object))) {
            state.SkipWithError("no data object");
            break;
        }
        object->Release();
    }
}

// The two steps after reading the list: the paths' id lists, and the id
// list array made of them.
void PathParser(benchmark::State& state, std::size_t count)
{
    std::vector<std::string> lists(count);
    for (auto _ : state) {
        shell32::AbsolutePathParser parser;
        for (std::size_t i = 0; i < count; ++i) {
            lists[i].clear();
            benchmark::DoNotOptimize(parser.Parse(Paths()[i], lists[i]));
        }
    }
}

void IdListArray(benchmark::State& state, std::size_t count)
{
    std::vector<std::string> lists(count);
    shell32::AbsolutePathParser parser;
    for (std::size_t i = 0; i < count; ++i)
        parser.Parse(Paths()[i], lists[i]);
    for (auto _ : state)
        GlobalFree(shell32::IdListArrayFromAbsoluteLists(lists));
}

void EachPathAlone(benchmark::State& state, std::size_t count)
{
    for (auto _ : state) {
        std::string items;
        for (std::size_t i = 0; i < count; ++i) {
            items.clear();
            benchmark::DoNotOptimize(shell32::ParseAbsolutePath(Paths()[i], items));
        }
    }
}

std::string Name(const char* what, std::size_t count)
{
    return std::string(what).append("/").append(std::to_string(count));
}

} // namespace

int main(int argc, char** argv)
{
    MakeFiles();
    const std::size_t counts[] = {10000, kMost};
    const auto add = [](const std::string& name, auto run, std::size_t count) {
        return benchmark::RegisterBenchmark(name.c_str(), run, count)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true)
            ->UseRealTime();
    };
    for (const std::size_t count : counts) {
        add(Name("PlainCode", count), PlainCode, count);
        add(Name("UriListReader", count), UriListReader, count);
        add(Name("Pasted", count), Pasted, count);
        add(Name("PathParser", count), PathParser, count);
        add(Name("IdListArray", count), IdListArray, count);
    }
    // Seconds at 100,000: asked at 10,000 only.
    add(Name("EachPathAlone", 10000), EachPathAlone, 10000)->Iterations(1);
    benchmark::Initialize(&argc, argv);
    kwbench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto median = [&](const std::string& name) { return reporter.Median(name); };
    for (const std::size_t count : counts) {
        const double floor = median(Name("PlainCode", count));
        const double reader = median(Name("UriListReader", count));
        const double pasted = median(Name("Pasted", count));
        if (floor > 0 && pasted > 0)
            std::printf(
                "%zu URLs: pasted %.1f ms, ratio %.1f (goal at 100,000: 3); of it the URL list reader "
                "%.1f ms (ratio %.1f), the paths' id lists %.1f ms, the id list array %.1f ms; "
                "floor %.1f ms\n",
                count, pasted, pasted / floor, reader, reader / floor, median(Name("PathParser", count)),
                median(Name("IdListArray", count)), floor);
    }
    if (const double each = median(Name("EachPathAlone", 10000)); each > 0)
        std::printf("10000 paths parsed one by one, each reading the mount table: %.1f ms\n", each);
    benchmark::Shutdown();
    return 0;
}
