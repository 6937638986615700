// Opening a folder of 10,000 subfolders in the shell tree: a press on the
// node's expand button (the tree lists the folder through the namespace,
// adds a node a subfolder and sorts them in the shell's order) until the
// first frame is painted, which is what a person waits for.
//
// Against it, in the same run, each in a fresh process of its own:
//   namespace  the namespace's own listing of the folder as the tree asks it:
//              EnumObjects (folders, hidden too), GetAttributesOf with the
//              tree's mask 0xF20B0000 for every item, the items sorted by
//              CompareIDs(0). The tree's own cost is what it takes beyond.
//   floor      the kernel's: getdents64 into one buffer, fstatat of every
//              entry (links followed, to tell folders), a look into each
//              subfolder for a folder of its own (the has-subfolders bit),
//              the names sorted by strcmp.
//   Qt         QFileSystemModel (directories, hidden too) in a QTreeView: the
//              folder's row expanded, until the model has loaded it and the
//              first frame with its rows is painted.
// Memory: the heap a node holds once the folder is open, against the heap
// an item of the namespace's listing holds (its list kept).
//
// The folder has mixed names (digits, cases, UTF-8), a third of the
// subfolders hold a folder, 2% are hidden, 3% are links to other
// subfolders. It is made once under the build tree. Each figure is the
// median of 5 fresh processes, the rows' runs interleaved. Goals: the tree within 1.5 times the
// namespace's listing; a node at most 1 KiB of heap above an item of the
// listing. Runs offscreen.
//
//   bench_shell_tree [--repetitions=5]

#include "UKwShellControls.h"

#include "shell32/ShellApi.h"
#include "shell32/ShellFlags.h"
#include "vcl/widgets/Forms.h"
#include "win32/WideText.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QMouseEvent>
#include <QTreeView>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifndef KW_BENCH_DATA_DIR
#define KW_BENCH_DATA_DIR "/tmp/corvane-bench"
#endif

namespace {

constexpr int kFolders = 10000;
constexpr int kFolderFormat = 1;
constexpr ULONG kTreeAttributes = 0xF20B0000;

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The process's CPU time (all threads), which a busy machine disturbs less
// than the wall clock.
double CpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_shell_tree: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(2);
}

std::string Parent()
{
    return std::string(KW_BENCH_DATA_DIR) + "/shell-tree";
}
std::string Folder()
{
    return Parent() + "/subfolders";
}

void MakeFolder()
{
    const std::string marker = Parent() + "/ready";
    if (int format = 0; std::ifstream(marker) >> format && format == kFolderFormat)
        return;
    std::filesystem::remove_all(Parent());
    std::filesystem::create_directories(Folder());
    static const char* const kStems[] = {
        "Photos", "invoice",   "Project Files", "src",  "backup-2024",
        "README", "Übersicht", "данные",        "写真", "a very long folder name"};
    std::vector<std::string> names;
    for (int i = 0; i < kFolders; ++i) {
        std::string name = (i % 50 == 7 ? "." : "") + std::string(kStems[i % 10]) + " " +
                           std::to_string(i * 7919 % 100000) + (i % 3 == 1 ? "B" : "b");
        const std::string path = Folder() + "/" + name;
        if (i % 33 == 5 && !names.empty()) {
            std::filesystem::create_directory_symlink(names[static_cast<std::size_t>(i) % names.size()],
                                                      path);
            continue;
        }
        std::filesystem::create_directory(path);
        if (i % 3 == 0)
            std::filesystem::create_directory(path + "/inner");
        names.push_back(name);
    }
    std::ofstream(marker) << kFolderFormat;
}

std::size_t Heap()
{
    malloc_trim(0);
    return mallinfo2().uordblks;
}

// ---- the tree ----

// When the tree's fill of the folder starts and ends.
struct FillClock : vcl::TObject {
    Clock::time_point Start, End;
    void Started(vcl::TObject*) { Start = Clock::now(); }
    void Completed(vcl::TObject*) { End = Clock::now(); }
};

int ChildTree(int argc, char** argv)
{
    QApplication app(argc, argv);
    auto* form = vcl::Create<vcl::TCustomForm>(nullptr);
    form->SetBounds(0, 0, 400, 600);
    auto* tree = vcl::Create<kw::TKwShellTree>(form);
    tree->SetParent(form);
    tree->SetBounds(0, 0, 400, 600);
    form->Show();
    QCoreApplication::processEvents();
    kw::PItemIDList parent = nullptr;
    if (FAILED(kw::ShellGetIdListFromPath(Parent(), &parent)))
        Fail("parse " + Parent());
    tree->BaseFolder()->SetIdList(parent);
    kw::ShellMemFree(parent);
    QCoreApplication::processEvents();
    vcl::TTreeNode* node = tree->GetFirstRootLevelShellNode()->GetFirstChild();
    if (!node || node->Text() != "subfolders")
        Fail("no folder node");
    const vcl::TRect label = node->DisplayRect(true);
    const int y = (label.top + label.bottom) / 2;
    int x = label.left;
    while (x > 0 && !tree->GetHitTestInfoAt(x, y).Contains(vcl::htOnButton))
        --x;
    QWidget* viewport = static_cast<QAbstractScrollArea*>(tree->Peer())->viewport();
    FillClock fill;
    tree->OnFillStart = vcl::TNotifyEvent(&fill, &FillClock::Started);
    tree->OnFillComplete = vcl::TNotifyEvent(&fill, &FillClock::Completed);
    const std::size_t before = Heap();
    const auto start = Clock::now();
    const double cpu = CpuMs();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, y), viewport->mapToGlobal(QPointF(x, y)),
                      Qt::LeftButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(x, y), viewport->mapToGlobal(QPointF(x, y)),
                        Qt::LeftButton, Qt::NoButton, {});
    QCoreApplication::sendEvent(viewport, &release);
    viewport->repaint();
    const double ms = MsSince(start);
    const double cpuMs = CpuMs() - cpu;
    const double bytes = static_cast<double>(Heap() - before) / kFolders;
    if (node->Count() < kFolders)
        Fail("the folder did not open");
    std::fprintf(stderr, "click to fill %.1f ms, fill %.1f ms, fill to first frame %.1f ms\n",
                 std::chrono::duration<double, std::milli>(fill.Start - start).count(),
                 std::chrono::duration<double, std::milli>(fill.End - fill.Start).count(),
                 std::chrono::duration<double, std::milli>(start - fill.End).count() + ms);
    std::printf("%f %f %f\n", ms, cpuMs, bytes);
    std::fflush(stdout);
    form->Free();
    return 0;
}

// ---- the namespace's own listing ----

int ChildNamespace()
{
    const std::size_t before = Heap();
    const auto start = Clock::now();
    const double cpu = CpuMs();
    kw::PItemIDList list = nullptr;
    IShellFolder* folder = nullptr;
    if (FAILED(kw::ShellGetIdListFromPath(Folder(), &list)) ||
        FAILED(kw::ShellGetFolderFromIdList(list, &folder)))
        Fail("bind " + Folder());
    IEnumIDList* items = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &items) != S_OK)
        Fail("EnumObjects");
    std::vector<LPITEMIDLIST> listed;
    LPITEMIDLIST item = nullptr;
    while (items->Next(1, &item, nullptr) == S_OK) {
        ULONG attributes = kTreeAttributes;
        LPCITEMIDLIST one = item;
        folder->GetAttributesOf(1, &one, &attributes);
        listed.push_back(item);
    }
    items->Release();
    std::sort(listed.begin(), listed.end(), [folder](LPCITEMIDLIST a, LPCITEMIDLIST b) {
        return static_cast<short>(folder->CompareIDs(0, a, b) & 0xFFFF) < 0;
    });
    const double ms = MsSince(start);
    const double cpuMs = CpuMs() - cpu;
    const double bytes = static_cast<double>(Heap() - before) / static_cast<double>(listed.size());
    std::printf("%f %f %f\n", ms, cpuMs, bytes);
    for (LPITEMIDLIST l : listed)
        kw::ShellMemFree(l);
    folder->Release();
    kw::ShellMemFree(list);
    return 0;
}

// ---- the kernel's floor ----

struct LinuxDirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

bool HasSubfolder(int parent, const char* name)
{
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    alignas(8) char buffer[4096];
    bool found = false;
    for (long n; !found && (n = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer)) > 0;)
        for (long at = 0; at < n && !found;) {
            const auto* entry = reinterpret_cast<const LinuxDirent64*>(buffer + at);
            found = entry->d_type == DT_DIR && std::strcmp(entry->d_name, ".") &&
                    std::strcmp(entry->d_name, "..");
            at += entry->d_reclen;
        }
    ::close(fd);
    return found;
}

int ChildFloor()
{
    const auto start = Clock::now();
    const double cpu = CpuMs();
    const int fd = ::open(Folder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        Fail(Folder());
    std::vector<char> buffer(1 << 20);
    std::vector<const char*> names;
    std::vector<char> arena;
    std::vector<std::size_t> offsets;
    for (long n; (n = ::syscall(SYS_getdents64, fd, buffer.data(), buffer.size())) > 0;)
        for (long at = 0; at < n;) {
            const auto* entry = reinterpret_cast<const LinuxDirent64*>(buffer.data() + at);
            at += entry->d_reclen;
            if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, ".."))
                continue;
            struct stat st {};
            if (::fstatat(fd, entry->d_name, &st, 0) != 0 || !S_ISDIR(st.st_mode))
                continue;
            HasSubfolder(fd, entry->d_name);
            offsets.push_back(arena.size());
            arena.insert(arena.end(), entry->d_name, entry->d_name + std::strlen(entry->d_name) + 1);
        }
    for (std::size_t offset : offsets)
        names.push_back(arena.data() + offset);
    std::sort(names.begin(), names.end(), [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
    const double ms = MsSince(start);
    const double cpuMs = CpuMs() - cpu;
    ::close(fd);
    std::printf("%f %f 0\n", ms, cpuMs);
    return 0;
}

// ---- Qt's own ----

int ChildQt(int argc, char** argv)
{
    QApplication app(argc, argv);
    QFileSystemModel model;
    model.setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    QTreeView view;
    view.resize(400, 600);
    view.setModel(&model);
    const QString folder = QString::fromStdString(Folder());
    view.setRootIndex(model.setRootPath(QString::fromStdString(Parent())));
    view.show();
    QElapsedTimer wait;
    wait.start();
    while (model.rowCount(view.rootIndex()) == 0 && wait.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const QModelIndex index = model.index(folder);
    bool loaded = false;
    QObject::connect(&model, &QFileSystemModel::directoryLoaded,
                     [&](const QString& path) { loaded |= path == folder; });
    const auto start = Clock::now();
    const double cpu = CpuMs();
    view.expand(index);
    model.fetchMore(index);
    while (!(loaded && model.rowCount(index) >= kFolders - kFolders / 33 - 10) && MsSince(start) < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    view.viewport()->repaint();
    std::printf("%f %f 0\n", MsSince(start), CpuMs() - cpu);
    return 0;
}

// ---- the table ----

double RunChild(const std::string& mode, double& cpu, double& bytes)
{
    const std::string command =
        "'" + std::filesystem::read_symlink("/proc/self/exe").string() + "' --child=" + mode;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        Fail("popen");
    double ms = 0;
    if (std::fscanf(pipe, "%lf %lf %lf", &ms, &cpu, &bytes) != 3 || ::pclose(pipe) != 0)
        Fail("child " + mode);
    return ms;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int repetitions = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--child=tree")
            return ChildTree(argc, argv);
        if (arg == "--child=namespace")
            return ChildNamespace();
        if (arg == "--child=floor")
            return ChildFloor();
        if (arg == "--child=qt")
            return ChildQt(argc, argv);
        if (arg.rfind("--repetitions=", 0) == 0)
            repetitions = std::max(1, std::stoi(arg.substr(14)));
    }
    MakeFolder();
    struct Row {
        const char* Mode;
        const char* Title;
        double Ms = 0;
        double Cpu = 0;
        double Bytes = 0;
    };
    Row rows[] = {{"tree", "shell tree: click to first frame"},
                  {"namespace", "namespace: enumerate + attributes + sort"},
                  {"floor", "kernel floor"},
                  {"qt", "QFileSystemModel in a QTreeView"}};
    // Interleaved, so that every row sees the machine as busy as the others.
    std::vector<double> ms[std::size(rows)], cpu[std::size(rows)], bytes[std::size(rows)];
    for (int r = 0; r < repetitions; ++r)
        for (std::size_t i = 0; i < std::size(rows); ++i) {
            double c = 0, b = 0;
            ms[i].push_back(RunChild(rows[i].Mode, c, b));
            cpu[i].push_back(c);
            bytes[i].push_back(b);
        }
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        rows[i].Ms = Median(ms[i]);
        rows[i].Cpu = Median(cpu[i]);
        rows[i].Bytes = Median(bytes[i]);
    }
    std::printf("%d subfolders, median of %d fresh processes\n", kFolders, repetitions);
    std::printf("%-44s %10s %10s %14s\n", "", "wall ms", "CPU ms", "heap/item (B)");
    for (const Row& row : rows)
        std::printf("%-44s %10.1f %10.1f %14.0f\n", row.Title, row.Ms, row.Cpu, row.Bytes);
    std::printf("tree / namespace: %.2f wall, %.2f CPU (goal: at most 1.5)\n", rows[0].Ms / rows[1].Ms,
                rows[0].Cpu / rows[1].Cpu);
    std::printf("heap a node above an item of the listing: %.0f B (goal: at most 1024)\n",
                rows[0].Bytes - rows[1].Bytes);
    if (std::ifstream load("/proc/loadavg"); load) {
        std::string text;
        std::getline(load, text);
        std::printf("load average: %s\n", text.c_str());
    }
    return 0;
}
