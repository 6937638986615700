// The shell list in report view on bench_enum_folder's folders (100,000
// and 1,000,000 entries), against the namespace's own listing measured in
// the same fresh process.
//
// The namespace: bind, EnumObjects and Next, GetAttributesOf(0xF20B0000)
// of every item, the sort by name through CompareIDs(0); then its re-sort
// of the same items by date, CompareIDs(3); the memory its item lists hold.
// The list: FillItems (through Folder) to the end of the first paint; a
// click on the Modified header to the end of the repaint, three selected
// items and the focused one checked to be the same items after it; a
// refresh after one file was made, and after 1,000 files were renamed (each
// gone from its place and new at the end), each to the end of the repaint;
// the memory per item. The folder is put back as it was.
//
// Drag and drop on the 10,000-entry folder, all of it selected: a drag
// started (OleBeginDrag until the loop has handed another program the URL
// list) against plain code that builds the same blocks from the list's own
// id lists (the id list array, the file-drop list and the URL list); another
// program's drag of all those files entering the list, to its answer,
// against plain code that reads the same URL list (decoded, each file looked
// at in its folder) into the file-drop list and the id list array.
//
// Each figure is the median of fresh processes (--repetitions, 5 by
// default). Release builds only; not run in CI.
//
//   bench_shell_list [--entries=100000,1000000] [--drag-entries=10000] [--repetitions=5]
//   (an empty list skips its table: --entries= runs the drag rows alone)

#include "FreshProcess.h"
#include "PlainUriList.h"

#include "KwCorvanePackage.h"
#include "UKwShellControls.h"
#include "UKwShellUtils.h"

#include "com/DragDrop.h"
#include "com/TaskAllocator.h"
#include "shell32/ClipboardMime.h"
#include "shell32/DragAndDrop.h"
#include "shell32/ShellClasses.h"
#include "shell32/ShellFlags.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/Forms.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QWidget>
#include <QtTest/QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#ifndef KW_BENCH_DATA_DIR
#define KW_BENCH_DATA_DIR "/tmp/corvane-bench"
#endif

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// What a shell list asks of every item it adds.
constexpr ULONG kListAttributes = 0xF20B0000;
constexpr int kRenamed = 1000;

using kwbench::Since;

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "bench_shell_list: %s\n", what.c_str());
    std::exit(2);
}

// bench_enum_folder makes the folders; this program only reads them.
std::string FolderPath(std::size_t entries)
{
    return std::string(KW_BENCH_DATA_DIR) + "/folder-" + std::to_string(entries);
}

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

struct Times {
    double listed = 0;      // namespace: enumerate, attributes, sort by name
    double resorted = 0;    // namespace: re-sort by date
    double nsBytes = 0;     // namespace: bytes per item
    double filled = 0;      // list: FillItems to the first paint
    double clicked = 0;     // list: click on Modified to the repaint
    double kept = 0;        // 1 when selection and focus were kept
    double oneChanged = 0;  // list: refresh after one file made
    double manyChanged = 0; // list: refresh after 1,000 renamed
    double listBytes = 0;   // list: bytes per item
    double count = 0;
};
constexpr std::size_t kNumbers = 10;

// The namespace's own listing, as a list would make it without a window.
void MeasureNamespace(const std::string& path, Times& t)
{
    const long before = ResidentKilobytes();
    const auto start = Clock::now();
    kw::PItemIDList pidl = nullptr;
    IShellFolder* folder = nullptr;
    if (kw::ShellGetIdListFromPath(path, &pidl) != S_OK ||
        kw::ShellGetFolderFromIdList(pidl, &folder) != S_OK)
        Fail("bind " + path);
    std::vector<LPITEMIDLIST> items;
    IEnumIDList* list = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &list) ==
            S_OK &&
        list) {
        LPITEMIDLIST item = nullptr;
        while (list->Next(1, &item, nullptr) == S_OK) {
            ULONG attributes = kListAttributes;
            LPCITEMIDLIST one = item;
            folder->GetAttributesOf(1, &one, &attributes);
            items.push_back(item);
        }
        list->Release();
    }
    const auto by = [folder](LPARAM column) {
        return [folder, column](LPITEMIDLIST a, LPITEMIDLIST b) {
            return static_cast<short>(HRESULT_CODE(folder->CompareIDs(column, a, b))) < 0;
        };
    };
    std::sort(items.begin(), items.end(), by(0));
    t.listed = Since(start);
    t.nsBytes = (ResidentKilobytes() - before) * 1024.0 / std::max<std::size_t>(1, items.size());
    const auto resort = Clock::now();
    std::stable_sort(items.begin(), items.end(), by(3));
    t.resorted = Since(resort);
    for (LPITEMIDLIST item : items)
        CoTaskMemFree(item);
    folder->Release();
    CoTaskMemFree(pidl);
}

class TBenchList : public kw::TKwShellList {
public:
    using kw::TKwShellList::TKwShellList;
};

int ColumnNamed(QHeaderView* header, const QString& caption)
{
    for (int i = 0; i < header->count(); ++i)
        if (header->model()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString() == caption)
            return i;
    Fail("no column " + caption.toStdString());
}

// A report-view list filling a shown form, refreshed by hand only: the
// measures are the list's own, not the watches'.
TBenchList* ShownList(vcl::TCustomForm*& form)
{
    form = vcl::Create<vcl::TCustomForm>(nullptr);
    form->SetBounds(0, 0, 800, 600);
    TBenchList* list = vcl::Create<TBenchList>(form);
    list->SetParent(form);
    list->SetAlign(vcl::alClient);
    list->SetViewStyle(vcl::vsReport);
    list->SetMultiSelect(true);
    list->SetOptions(kw::KwShellListDefaultOptions - kw::kwsloDynamicRefresh);
    form->Show();
    QApplication::processEvents();
    return list;
}

void MeasureList(const std::string& path, Times& t)
{
    vcl::TCustomForm* form = nullptr;
    TBenchList* list = ShownList(form);
    kw::PItemIDList pidl = nullptr;
    if (kw::ShellGetIdListFromPath(path, &pidl) != S_OK)
        Fail("parse " + path);
    const long before = ResidentKilobytes();
    auto start = Clock::now();
    list->Folder()->SetIdList(pidl);
    form->Peer()->repaint();
    t.filled = Since(start);
    CoTaskMemFree(pidl);
    const int count = list->Items()->Count();
    t.count = count;
    t.listBytes = (ResidentKilobytes() - before) * 1024.0 / std::max(1, count);
    if (count < 1000)
        Fail("the list holds " + std::to_string(count) + " items");

    // Three selected, the middle one focused.
    std::vector<vcl::TListItem*> chosen;
    for (int i : {count / 10, count / 2, count - 5})
        chosen.push_back(list->Items()->Item(i));
    for (vcl::TListItem* item : chosen)
        item->SetSelected(true);
    list->SetItemFocused(chosen[1]);
    QHeaderView* header = list->Peer()->findChild<QHeaderView*>();
    if (!header)
        Fail("no header");
    const int modified = ColumnNamed(header, "Modified");
    const int x = header->sectionViewportPosition(modified) + header->sectionSize(modified) / 2;
    start = Clock::now();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, {x, header->height() / 2});
    form->Peer()->repaint();
    t.clicked = Since(start);
    bool kept = list->SelCount() == 3 && list->ItemFocused() == chosen[1];
    for (vcl::TListItem* item : chosen)
        kept = kept && item->Selected();
    t.kept = kept;

    const auto refresh = [&](double& time) {
        const auto begin = Clock::now();
        list->RefreshItems();
        form->Peer()->repaint();
        time = Since(begin);
    };
    const fs::path made = fs::path(path) / "a file made by bench_shell_list";
    std::ofstream(made) << "x";
    refresh(t.oneChanged);
    fs::remove(made);
    // Every so many-th entry renamed, and named back afterwards.
    std::vector<fs::path> renamed;
    const int step = std::max(1, count / kRenamed);
    for (int i = 0; i < count && static_cast<int>(renamed.size()) < kRenamed; i += step) {
        const fs::path from = fs::path(path) / list->GetShListData(i)->GetDisplayName();
        if (fs::is_symlink(from) || !fs::exists(from))
            continue;
        fs::rename(from, fs::path(from).concat(".renamed"));
        renamed.push_back(from);
    }
    refresh(t.manyChanged);
    for (const fs::path& from : renamed)
        fs::rename(fs::path(from).concat(".renamed"), from);
    form->Free();
}

int Child(int argc, char** argv, std::size_t entries)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    shell32::RegisterShellClasses();
    Times t;
    const std::string path = FolderPath(entries);
    MeasureNamespace(path, t);
    MeasureList(path, t);
    for (double n : {t.listed, t.resorted, t.nsBytes, t.filled, t.clicked, t.kept, t.oneChanged,
                     t.manyChanged, t.listBytes, t.count})
        std::printf("%.9g\n", n);
    return 0;
}

// ---- drag and drop ----

struct DragTimes {
    double started = 0; // list: OleBeginDrag until the URL list is handed over
    double built = 0;   // plain: the same items' blocks
    double entered = 0; // list: another program's drag entering, to its answer
    double read = 0;    // plain: the same URL list read into blocks
    double answer = 0;  // the action the enter was answered with
    double count = 0;
};
constexpr std::size_t kDragNumbers = 6;

void PutU32(std::string& bytes, std::uint32_t value)
{
    char raw[4];
    std::memcpy(raw, &value, 4);
    bytes.append(raw, 4);
}

void PutU16(std::string& bytes, std::uint16_t value)
{
    char raw[2];
    std::memcpy(raw, &value, 2);
    bytes.append(raw, 2);
}

// file: URLs escape every byte but the unreserved ones and '/'.
std::string UriListOf(const std::vector<std::string>& paths)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::size_t bytes = 0;
    for (const std::string& path : paths)
        bytes += path.size() + 9;
    std::string list;
    list.reserve(bytes);
    for (const std::string& path : paths) {
        list += "file://";
        for (const unsigned char c : path) {
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
                c == '-' || c == '.' || c == '_' || c == '~') {
                list += static_cast<char>(c);
            } else {
                list += '%';
                list += kHex[c >> 4];
                list += kHex[c & 15];
            }
        }
        list += "\r\n";
    }
    return list;
}

// The file-drop list: the 20-byte header, each name and a zero, a last zero.
std::string FileDropOf(const std::vector<std::string>& paths)
{
    std::size_t bytes = 21;
    for (const std::string& path : paths)
        bytes += path.size() + 1;
    std::string block(20, '\0');
    block.reserve(bytes);
    block[0] = 20;
    for (const std::string& path : paths) {
        block += path;
        block += '\0';
    }
    block += '\0';
    return block;
}

std::size_t ListBytes(const ITEMIDLIST* list)
{
    const auto* at = reinterpret_cast<const unsigned char*>(list);
    std::size_t length = 0;
    for (std::uint16_t cb = 0; std::memcpy(&cb, at + length, 2), cb != 0;)
        length += cb;
    return length + 2;
}

// The blocks a drag of the items offers, made by plain code from the id
// lists and paths the list holds: the id list array, the file-drop list,
// and the URL list another program is handed.
double BuildBlocks(const ITEMIDLIST* parent, const std::vector<const ITEMIDLIST*>& items,
                   const std::vector<std::string>& paths, std::size_t& bytes)
{
    const auto start = Clock::now();
    std::vector<std::size_t> sizes;
    sizes.reserve(items.size());
    const std::uint32_t first = static_cast<std::uint32_t>(4 * (items.size() + 2));
    std::size_t total = first + ListBytes(parent);
    for (const ITEMIDLIST* item : items)
        total += sizes.emplace_back(ListBytes(item));
    std::string array;
    array.reserve(total);
    PutU32(array, static_cast<std::uint32_t>(items.size()));
    PutU32(array, first);
    std::uint32_t at = first + static_cast<std::uint32_t>(ListBytes(parent));
    for (const std::size_t size : sizes) {
        PutU32(array, at);
        at += static_cast<std::uint32_t>(size);
    }
    array.append(reinterpret_cast<const char*>(parent), ListBytes(parent));
    for (std::size_t i = 0; i < items.size(); ++i)
        array.append(reinterpret_cast<const char*>(items[i]), sizes[i]);
    const std::string drop = FileDropOf(paths);
    const std::string uris = UriListOf(paths);
    const double seconds = Since(start);
    bytes = array.size() + drop.size() + uris.size();
    return seconds;
}

// Another program's URL list read by plain code: each line decoded, each
// file looked at in its folder (opened once), then the file-drop list and
// an id list array of the files found, an item each of its type, size,
// time and name.
double ReadBlocks(const std::string& uris, std::size_t& found, std::size_t& bytes)
{
    const auto start = Clock::now();
    const std::vector<std::string> paths = kwbench::PlainPaths(uris);
    std::string items;
    std::vector<std::uint32_t> offsets;
    std::string folder;
    int folderFd = -1;
    for (const std::string& path : paths) {
        const std::size_t slash = path.rfind('/');
        const std::string name = path.substr(slash + 1);
        if (folderFd < 0 || path.compare(0, slash, folder) != 0) {
            if (folderFd >= 0)
                ::close(folderFd);
            folder = path.substr(0, slash);
            folderFd = ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        }
        struct stat st {};
        if (folderFd < 0 || ::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        offsets.push_back(static_cast<std::uint32_t>(items.size()));
        PutU16(items, static_cast<std::uint16_t>(2 + 4 + 8 + 8 + name.size() + 1));
        PutU32(items, st.st_mode);
        items.append(reinterpret_cast<const char*>(&st.st_size), 8);
        items.append(reinterpret_cast<const char*>(&st.st_mtim.tv_sec), 8);
        items += name;
        items += '\0';
        PutU16(items, 0);
    }
    if (folderFd >= 0)
        ::close(folderFd);
    std::string array;
    PutU32(array, static_cast<std::uint32_t>(offsets.size()));
    const std::uint32_t lists = static_cast<std::uint32_t>(4 * (offsets.size() + 2));
    PutU32(array, lists);
    std::string parent;
    PutU16(parent, static_cast<std::uint16_t>(2 + folder.size() + 1));
    parent += folder;
    parent += '\0';
    PutU16(parent, 0);
    for (const std::uint32_t offset : offsets)
        PutU32(array, lists + static_cast<std::uint32_t>(parent.size()) + offset);
    array += parent;
    array += items;
    const std::string drop = FileDropOf(paths);
    const double seconds = Since(start);
    found = offsets.size();
    bytes = array.size() + drop.size();
    return seconds;
}

// Another program's drag data as the platform delivers it: the bytes the
// other side sent, handed over as they came (QMimeData's own setData would
// turn a URL list into URLs and back at each request).
class ForeignMimeData final : public QMimeData {
public:
    ForeignMimeData(QString type, QByteArray bytes) : Type_(std::move(type)), Bytes_(std::move(bytes)) {}
    QStringList formats() const override { return {Type_}; }
    bool hasFormat(const QString& type) const override { return type == Type_; }

protected:
    QVariant retrieveData(const QString& type, QMetaType) const override
    {
        return type == Type_ ? QVariant(Bytes_) : QVariant();
    }

private:
    QString Type_;
    QByteArray Bytes_;
};

QWidget* ShownViewport(TBenchList* list)
{
    for (auto* view : list->Peer()->findChildren<QAbstractScrollArea*>(Qt::FindDirectChildrenOnly))
        if (!view->isHidden())
            return view->viewport();
    Fail("no view shown");
}

int ChildDrag(int argc, char** argv, std::size_t entries, bool plainFirst)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    shell32::RegisterShellClasses();
    // The units an application starts, as it starts them: OLE, the id list
    // format and the shell's drop targets of items, without which no drop
    // target answers.
    kw::RegisterPackageUnits();
    vcl::Application()->Initialize();
    DragTimes t;
    const std::string path = FolderPath(entries);
    vcl::TCustomForm* form = nullptr;
    TBenchList* list = ShownList(form);
    kw::PItemIDList pidl = nullptr;
    if (kw::ShellGetIdListFromPath(path, &pidl) != S_OK)
        Fail("parse " + path);
    list->Folder()->SetIdList(pidl);
    CoTaskMemFree(pidl);
    form->Peer()->repaint();
    list->SelectAll();
    QApplication::processEvents();
    std::vector<const ITEMIDLIST*> items;
    std::vector<std::string> paths;
    for (int i = 0; i < list->Items()->Count(); ++i)
        if (kw::TKwShListData* data = list->GetDataFromItem(list->Items()->Item(i))) {
            items.push_back(data->GetRelPidl());
            paths.push_back(path + "/" + data->GetFilename());
        }
    t.count = static_cast<double>(items.size());

    // Another program's drag of the same files, as a file manager offers
    // them, entering over the first folder item shown (which the drag then
    // leaves out: a folder is not dropped into itself).
    QWidget* viewport = ShownViewport(list);
    QPoint over(viewport->width() / 2, viewport->height() / 2);
    std::vector<std::string> offeredPaths = paths;
    for (int i = 0; i < list->Items()->Count(); ++i) {
        vcl::TListItem* item = list->Items()->Item(i);
        const vcl::TRect r = item->DisplayRect(vcl::drLabel);
        const POINT at = list->ClientToScreen(vcl::TPoint{r.left + 5, (r.top + r.bottom) / 2});
        const QPoint inside = viewport->mapFromGlobal(QPoint(at.x, at.y));
        if (!viewport->rect().contains(inside))
            break;
        if (kw::TKwShListData* data = list->GetDataFromItem(item); data && data->IsFolder()) {
            over = inside;
            std::erase(offeredPaths, path + "/" + data->GetFilename());
            break;
        }
    }
    const std::string uris = UriListOf(offeredPaths);
    ForeignMimeData offered(shell32::kMimeUriList,
                            QByteArray(uris.data(), static_cast<qsizetype>(uris.size())));
    // The plain code runs first in every other process: whichever runs
    // second finds memory the first has warmed, and neither side may have that
    // advantage in every run.
    const auto plain = [&] {
        std::size_t bytes = 0;
        t.built = BuildBlocks(list->GetCurrentFolderIdList(), items, paths, bytes);
        std::size_t found = 0;
        t.read = ReadBlocks(uris, found, bytes);
        if (found != offeredPaths.size())
            Fail("the plain reading found " + std::to_string(found) + " files");
    };
    if (plainFirst)
        plain();

    // The drag start, until the loop has handed the URL list over.
    Clock::time_point begin;
    QByteArray handed;
    shell32::SetDragLoop([&](IDataObject* data, IDropSource*, DWORD, DWORD* effect) {
        QMimeData* mime = nullptr;
        if (shell32::MimeDataFromDataObject(data, &mime) == S_OK) {
            handed = mime->data(shell32::kMimeUriList);
            delete mime;
        }
        t.started = Since(begin);
        *effect = DROPEFFECT_NONE;
        return DRAGDROP_S_CANCEL;
    });
    begin = Clock::now();
    list->OleBeginDrag(vcl::mbLeft);
    shell32::SetDragLoop(nullptr);
    if (static_cast<std::size_t>(handed.count("\r\n")) != items.size())
        Fail("the drag handed over " + std::to_string(handed.count("\r\n")) + " URLs");

    QDragEnterEvent enter(over, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &offered, Qt::LeftButton,
                          Qt::NoModifier);
    begin = Clock::now();
    QApplication::sendEvent(viewport, &enter);
    t.entered = Since(begin);
    t.answer = enter.isAccepted() ? enter.dropAction() : 0;
    if (t.answer != Qt::CopyAction && t.answer != Qt::MoveAction)
        Fail("the enter was answered with Qt action " + std::to_string(static_cast<int>(t.answer)));
    QDragLeaveEvent leave;
    QApplication::sendEvent(viewport, &leave);
    if (!plainFirst)
        plain();
    form->Free();
    for (double n : {t.started, t.built, t.entered, t.read, t.answer, t.count})
        std::printf("%.9g\n", n);
    return 0;
}

using kwbench::Median;

void Row(const char* what, double seconds, double against, double goal, const char* goalText)
{
    const double ratio = against > 0 ? seconds / against : 0;
    std::printf("%-44s %10.1f %10.1f %7.2f  %-26s %s\n", what, seconds * 1000, against * 1000, ratio,
                goalText, ratio <= goal ? "met" : "NOT MET");
}

void Table(std::size_t entries, int repetitions)
{
    if (!fs::exists(FolderPath(entries) + ".ready"))
        Fail(FolderPath(entries) + " is missing: run bench_enum_folder first");
    std::vector<std::vector<double>> runs(kNumbers);
    const std::string loadBefore = kwbench::LoadAverage();
    for (int r = 0; r < repetitions; ++r) {
        const std::vector<double> n = kwbench::RunFreshProcess("--child=" + std::to_string(entries));
        if (n.size() != kNumbers)
            Fail("the child printed " + std::to_string(n.size()) + " numbers");
        for (std::size_t i = 0; i < n.size(); ++i)
            runs[i].push_back(n[i]);
    }
    const auto m = [&](std::size_t i) { return Median(runs[i]); };
    const double kept = *std::min_element(runs[5].begin(), runs[5].end());
    std::printf("\n%.0f items, report view, median of %d fresh processes; load average %s before, %s after\n",
                m(9), repetitions, loadBefore.c_str(), kwbench::LoadAverage().c_str());
    std::printf("%-44s %10s %10s %7s  %-26s %s\n", "", "list ms", "against ms", "ratio", "goal", "met");
    Row("FillItems to the first paint", m(3), m(0), 1.5, "<= 1.5x namespace listing");
    Row("click on Modified to the repaint", m(4), m(1), 1.3, "<= 1.3x namespace re-sort");
    std::printf("  selection and focus kept: %s\n", kept == 1 ? "yes" : "NO");
    Row("refresh after one file made", m(6), m(3), 0.6, "<= 0.6x a fill");
    Row("refresh after 1,000 renamed", m(7), m(3), 1.0, "<= 1x a fill");
    const double ratio = m(2) > 0 ? m(8) / m(2) : 0;
    std::printf("%-44s %10.0f %10.0f %7.2f  %-26s %s\n", "memory per item, bytes", m(8), m(2), ratio,
                "<= 2x the namespace's", ratio <= 2 ? "met" : "NOT MET");
    std::fflush(stdout);
}

void DragTable(std::size_t entries, int repetitions)
{
    if (!fs::exists(FolderPath(entries) + ".ready"))
        Fail(FolderPath(entries) + " is missing: run bench_enum_folder --entries=" + std::to_string(entries) +
             " first");
    std::vector<std::vector<double>> runs(kDragNumbers);
    const std::string loadBefore = kwbench::LoadAverage();
    for (int r = 0; r < repetitions; ++r) {
        const std::vector<double> n = kwbench::RunFreshProcess("--child-drag=" + std::to_string(entries) +
                                                               (r % 2 ? " --plain-first" : ""));
        if (n.size() != kDragNumbers)
            Fail("the child printed " + std::to_string(n.size()) + " numbers");
        for (std::size_t i = 0; i < n.size(); ++i)
            runs[i].push_back(n[i]);
    }
    const auto m = [&](std::size_t i) { return Median(runs[i]); };
    std::printf(
        "\n%.0f items, all selected, report view, median of %d fresh processes; load average %s before, "
        "%s after\n",
        m(5), repetitions, loadBefore.c_str(), kwbench::LoadAverage().c_str());
    std::printf("%-44s %10s %10s %7s  %-26s %s\n", "", "list ms", "against ms", "ratio", "goal", "met");
    Row("a drag started, to the URL list handed over", m(0), m(1), 1.5, "<= 1.5x building the blocks");
    Row("another program's drag entering, to answer", m(2), m(3), 1.5, "<= 1.5x reading the blocks");
    std::printf("  the enter answered with Qt action %.0f\n", m(4));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::size_t> sizes = {100000, 1000000};
    std::vector<std::size_t> dragSizes = {10000};
    int repetitions = 5;
    const auto sizesOf = [](std::string_view list) {
        std::vector<std::size_t> result;
        std::stringstream items{std::string(list)};
        for (std::string item; std::getline(items, item, ',');)
            result.push_back(std::stoul(item));
        return result;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, 8) == "--child=")
            return Child(argc, argv, std::stoul(std::string(arg.substr(8))));
        if (arg.substr(0, 13) == "--child-drag=")
            return ChildDrag(argc, argv, std::stoul(std::string(arg.substr(13))),
                             i + 1 < argc && std::string_view(argv[i + 1]) == "--plain-first");
        if (arg.substr(0, 14) == "--repetitions=")
            repetitions = std::max(1, std::atoi(argv[i] + 14));
        if (arg.substr(0, 10) == "--entries=")
            sizes = sizesOf(arg.substr(10));
        if (arg.substr(0, 15) == "--drag-entries=")
            dragSizes = sizesOf(arg.substr(15));
    }
    for (std::size_t entries : sizes)
        Table(entries, repetitions);
    for (std::size_t entries : dragSizes)
        DragTable(entries, repetitions);
    return 0;
}
