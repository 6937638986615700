// The shell list's file filter on bench_enum_folder's 100,000-entry folder:
// FillItems (through Folder) to the end of the first paint with the filter
// "*.txt;*.log", against the same fill without a filter measured in the same
// run. Each fill runs in a fresh process of its own, as a person opening a
// file dialog gets it; the two kinds alternate, after one of each that warms
// the page cache and is not counted. The filtered list is checked to hold
// every folder and only files the masks name.
//
// Each figure is the median of --repetitions fresh processes (5 by
// default). Release builds only; not run in CI.
//
//   bench_shell_list_filter [--entries=100000] [--repetitions=5]

#include "FreshProcess.h"

#include "UKwShellControls.h"
#include "UKwShellUtils.h"

#include "com/TaskAllocator.h"
#include "shell32/ShellClasses.h"
#include "vcl/widgets/Forms.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#ifndef KW_BENCH_DATA_DIR
#define KW_BENCH_DATA_DIR "/tmp/corvane-bench"
#endif

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kFilter = "*.txt;*.log";
constexpr double kGoal = 1.2;

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_shell_list_filter: %s\n", what.c_str());
    std::exit(2);
}

// bench_enum_folder makes the folders; this program only reads them.
std::string FolderPath(std::size_t entries)
{
    return std::string(KW_BENCH_DATA_DIR) + "/folder-" + std::to_string(entries);
}

bool EndsWithFolded(std::string_view name, std::string_view suffix)
{
    if (name.size() < suffix.size())
        return false;
    name.remove_prefix(name.size() - suffix.size());
    return std::equal(name.begin(), name.end(), suffix.begin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// Every item a folder or a file the masks name; the number of files.
int CheckFiltered(kw::TKwShellList* list)
{
    int files = 0;
    for (int i = 0; i < list->Items()->Count(); ++i) {
        kw::TKwShListData* data = list->GetShListData(i);
        if (!data)
            Fail("an item without shell data");
        if (data->IsFolder())
            continue;
        const std::string name = fs::path(data->GetPathName()).filename().string();
        if (!EndsWithFolded(name, ".txt") && !EndsWithFolded(name, ".log"))
            Fail("the filter let " + name + " through");
        ++files;
    }
    return files;
}

class TBenchList : public kw::TKwShellList {
public:
    using kw::TKwShellList::TKwShellList;
};

// One fill to the first paint; prints its seconds, the items and the files.
int Child(int argc, char** argv, std::size_t entries, bool filtered)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    shell32::RegisterShellClasses();
    vcl::TCustomForm* form = vcl::Create<vcl::TCustomForm>(nullptr);
    form->SetBounds(0, 0, 800, 600);
    TBenchList* list = vcl::Create<TBenchList>(form);
    list->SetParent(form);
    list->SetAlign(vcl::alClient);
    list->SetViewStyle(vcl::vsReport);
    list->SetOptions(kw::KwShellListDefaultOptions - kw::kwsloDynamicRefresh);
    form->Show();
    QApplication::processEvents();
    // Set on the folder shown first, so only the timed fill lists the big one.
    if (filtered)
        list->SetFileFilter(kFilter);
    QApplication::processEvents();
    kw::PItemIDList pidl = nullptr;
    const std::string path = FolderPath(entries);
    if (kw::ShellGetIdListFromPath(path, &pidl) != S_OK)
        Fail("parse " + path);
    const auto start = Clock::now();
    list->Folder()->SetIdList(pidl);
    form->Peer()->repaint();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    CoTaskMemFree(pidl);
    const int count = list->Items()->Count();
    const int files = filtered ? CheckFiltered(list) : count;
    if (count < 1000 || files == 0)
        Fail("the list holds " + std::to_string(count) + " items, " + std::to_string(files) + " files");
    std::printf("%.9g\n%d\n%d\n", seconds, count, files);
    form->Free();
    return 0;
}

std::vector<double> Fill(std::size_t entries, bool filtered)
{
    const std::vector<double> n =
        kwbench::RunFreshProcess("--child=" + std::to_string(entries) + (filtered ? ",filtered" : ",plain"));
    if (n.size() != 3)
        Fail("the child printed " + std::to_string(n.size()) + " numbers");
    return n;
}

void Table(std::size_t entries, int repetitions)
{
    if (!fs::exists(FolderPath(entries) + ".ready"))
        Fail(FolderPath(entries) + " is missing: run bench_enum_folder first");
    Fill(entries, false);
    Fill(entries, true);
    const std::string loadBefore = kwbench::LoadAverage();
    std::vector<double> plain, filtered;
    std::vector<double> last[2];
    for (int r = 0; r < repetitions; ++r) {
        // Alternating which comes first evens out a machine that slows down.
        for (const bool withFilter : {r % 2 == 1, r % 2 == 0}) {
            last[withFilter] = Fill(entries, withFilter);
            (withFilter ? filtered : plain).push_back(last[withFilter][0]);
        }
    }
    const double floor = kwbench::Median(plain);
    const double seconds = kwbench::Median(filtered);
    const double ratio = floor > 0 ? seconds / floor : 0;
    std::printf("\n%zu entries, report view, median of %d fresh processes each; load average %s before, %s "
                "after\n",
                entries, repetitions, loadBefore.c_str(), kwbench::LoadAverage().c_str());
    std::printf("%-44s %10s %8s %8s %7s  %-22s %s\n", "", "ms", "items", "files", "ratio", "goal", "met");
    std::printf("%-44s %10.1f %8.0f %8.0f\n", "FillItems to the first paint, no filter", floor * 1000,
                last[0][1], last[0][2]);
    const std::string row = std::string("FillItems to the first paint, \"") + kFilter + "\"";
    std::printf("%-44s %10.1f %8.0f %8.0f %7.2f  %-22s %s\n", row.c_str(), seconds * 1000, last[1][1],
                last[1][2], ratio, "<= 1.2x no filter", ratio <= kGoal ? "met" : "NOT MET");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::size_t> sizes = {100000};
    int repetitions = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, 8) == "--child=") {
            const std::string value(arg.substr(8));
            const std::size_t comma = value.find(',');
            if (comma == std::string::npos)
                Fail("--child=entries,plain|filtered");
            return Child(argc, argv, std::stoul(value.substr(0, comma)),
                         value.substr(comma + 1) == "filtered");
        }
        if (arg.substr(0, 14) == "--repetitions=")
            repetitions = std::max(1, std::atoi(argv[i] + 14));
        if (arg.substr(0, 10) == "--entries=") {
            sizes.clear();
            std::string list(arg.substr(10));
            for (std::size_t at = 0; at <= list.size();) {
                const std::size_t comma = std::min(list.find(',', at), list.size());
                sizes.push_back(std::stoul(list.substr(at, comma - at)));
                at = comma + 1;
            }
        }
    }
    for (std::size_t entries : sizes)
        Table(entries, repetitions);
    return 0;
}
