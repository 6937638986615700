// Every method of a folder, with one allocation made to fail at each point it
// allocates in turn (the C++ heap and the task allocator alike): no exception
// leaves the method, a failure leaves no output behind, and nothing leaks.

#include "ShellTestHelpers.h"
#include "com/ClassRegistry.h"
#include "com/ComTesting.h"
#include "com/Initialization.h"
#include "com/Persist.h"
#include "com/StorageModes.h"
#include "shell32/ShellFlags.h"
#include "shell32/ShellLink.h"
#include "win32/FileSystem.h"

#include <cstdlib>
#include <functional>
#include <new>

namespace {

// How many more allocations this thread may make before one fails; negative:
// no failure armed. The one that fails disarms it.
thread_local long AllocationsLeft = -1;

bool AllocationAllowed()
{
    if (AllocationsLeft < 0)
        return true;
    return AllocationsLeft-- != 0;
}

bool TaskAllocationAllowed(std::size_t)
{
    return AllocationAllowed();
}

} // namespace

// The program's C++ heap, so that a failure can be armed. Unarmed it is plain
// malloc and free.
void* operator new(std::size_t size)
{
    if (AllocationAllowed())
        if (void* p = std::malloc(size ? size : 1))
            return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

using shelltest::Pidl;

// The folder under test and the lists its methods are given.
struct Subject {
    com::ComPtr<IShellFolder> folder;
    std::u16string deepName;  // the parsing name of deep, from the folder
    std::u16string childName; // the name of a file among the children
    Pidl file;                // that file, relative
    Pidl otherFile;           // another child file
    Pidl folderChild;         // a child folder
    Pidl deep;                // a file below the child folder, two levels down
};

// Runs call with the k-th allocation failing, for k = 0, 1, ... until the call
// gets through without reaching the failure; call answers whether its outputs
// are clear (every output pointer null) and frees what it got.
struct Outcome {
    HRESULT hr = S_OK;
    bool outputsClear = true;
};
using Call = std::function<Outcome(Subject&)>;

void Sweep(const char* name, const std::function<Outcome()>& call)
{
    com::testing::SetTaskAllocationHook(&TaskAllocationAllowed);
    const Outcome unarmed = call();
    for (long k = 0; k < 20000; ++k) {
        Outcome outcome;
        bool escaped = false;
        AllocationsLeft = k;
        try {
            outcome = call();
        } catch (...) {
            escaped = true;
        }
        const bool reached = AllocationsLeft < 0;
        AllocationsLeft = -1;
        ASSERT_FALSE(escaped) << name << ": an exception left the method at allocation " << k;
        if (!reached) {
            EXPECT_EQ(outcome.hr, unarmed.hr) << name;
            com::testing::SetTaskAllocationHook(nullptr);
            return;
        }
        if (FAILED(outcome.hr)) {
            EXPECT_TRUE(outcome.outputsClear) << name << ": output left behind at allocation " << k;
        }
    }
    com::testing::SetTaskAllocationHook(nullptr);
    ADD_FAILURE() << name << ": never got through";
}

Outcome Result(HRESULT hr, bool clear = true)
{
    return Outcome{hr, clear};
}

Outcome WithPidl(HRESULT hr, LPITEMIDLIST pidl)
{
    const bool clear = pidl == nullptr;
    CoTaskMemFree(pidl);
    return Result(hr, clear);
}

template <typename Interface>
Outcome WithObject(HRESULT hr, Interface* object)
{
    const bool clear = object == nullptr;
    if (object)
        object->Release();
    return Result(hr, clear);
}

Outcome WithText(HRESULT hr, STRRET& ret)
{
    if (SUCCEEDED(hr) && ret.uType == STRRET_WSTR)
        CoTaskMemFree(ret.pOleStr);
    return Result(hr);
}

Outcome Details(Subject& s, LPCITEMIDLIST pidl, UINT column)
{
    com::ComPtr<IShellDetails> details = s.folder.As<IShellDetails>();
    SHELLDETAILS out{};
    const HRESULT hr = details->GetDetailsOf(pidl, column, &out);
    return WithText(hr, out.str);
}

const std::vector<std::pair<const char*, Call>>& Calls()
{
    static const std::vector<std::pair<const char*, Call>> calls = {
        {"ParseDisplayName",
         [](Subject& s) {
             LPITEMIDLIST pidl = nullptr;
             ULONG eaten = 0;
             ULONG attributes = SFGAO_FOLDER | SFGAO_LINK | SFGAO_HASSUBFOLDER;
             const HRESULT hr =
                 s.folder->ParseDisplayName(nullptr, nullptr, s.deepName.data(), &eaten, &pidl, &attributes);
             return WithPidl(hr, pidl);
         }},
        {"EnumObjects and Next",
         [](Subject& s) {
             IEnumIDList* enumerator = nullptr;
             HRESULT hr = s.folder->EnumObjects(
                 nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &enumerator);
             if (FAILED(hr))
                 return WithObject(hr, enumerator);
             LPITEMIDLIST items[4] = {};
             ULONG fetched = 0;
             bool clear = true;
             while ((hr = enumerator->Next(4, items, &fetched)) == S_OK || (hr == S_FALSE && fetched > 0)) {
                 for (ULONG i = 0; i < fetched; ++i)
                     CoTaskMemFree(items[i]);
                 if (hr == S_FALSE)
                     break;
             }
             if (FAILED(hr))
                 clear = fetched == 0;
             enumerator->Release();
             return Result(FAILED(hr) ? hr : S_OK, clear);
         }},
        {"BindToObject",
         [](Subject& s) {
             IShellFolder* bound = nullptr;
             const HRESULT hr = s.folder->BindToObject(s.folderChild.get(), nullptr, IID_IShellFolder,
                                                       reinterpret_cast<void**>(&bound));
             return WithObject(hr, bound);
         }},
        {"BindToStorage",
         [](Subject& s) {
             void* out = nullptr;
             const HRESULT hr = s.folder->BindToStorage(s.file.get(), nullptr, IID_IUnknown, &out);
             return Result(hr, out == nullptr);
         }},
        {"CompareIDs by name",
         [](Subject& s) { return Result(s.folder->CompareIDs(0, s.file.get(), s.otherFile.get())); }},
        {"CompareIDs by type, two levels",
         [](Subject& s) { return Result(s.folder->CompareIDs(2, s.deep.get(), s.file.get())); }},
        {"CreateViewObject",
         [](Subject& s) {
             IShellDetails* details = nullptr;
             const HRESULT hr =
                 s.folder->CreateViewObject(nullptr, IID_IShellDetails, reinterpret_cast<void**>(&details));
             return WithObject(hr, details);
         }},
        {"GetAttributesOf",
         [](Subject& s) {
             LPCITEMIDLIST items[] = {s.file.get(), s.folderChild.get(), s.deep.get()};
             ULONG attributes = ~ULONG{0};
             return Result(s.folder->GetAttributesOf(3, items, &attributes));
         }},
        {"GetUIObjectOf",
         [](Subject& s) {
             LPCITEMIDLIST items[] = {s.file.get()};
             void* out = nullptr;
             const HRESULT hr = s.folder->GetUIObjectOf(nullptr, 1, items, IID_IUnknown, nullptr, &out);
             return Result(hr, out == nullptr);
         }},
        {"GetDisplayNameOf",
         [](Subject& s) {
             STRRET ret{};
             const HRESULT hr = s.folder->GetDisplayNameOf(s.deep.get(), SHGDN_FORPARSING, &ret);
             return WithText(hr, ret);
         }},
        {"SetNameOf",
         [](Subject& s) {
             LPITEMIDLIST renamed = nullptr;
             const HRESULT hr =
                 s.folder->SetNameOf(nullptr, s.deep.get(), s.childName.c_str(), SHGDN_NORMAL, &renamed);
             return WithPidl(hr, renamed);
         }},
        {"GetDefaultSearchGUID",
         [](Subject& s) {
             GUID guid{};
             return Result(s.folder.As<IShellFolder2>()->GetDefaultSearchGUID(&guid));
         }},
        {"EnumSearches",
         [](Subject& s) {
             IEnumExtraSearch* searches = nullptr;
             const HRESULT hr = s.folder.As<IShellFolder2>()->EnumSearches(&searches);
             return Result(hr, searches == nullptr);
         }},
        {"GetDefaultColumn",
         [](Subject& s) {
             ULONG sort = 0;
             ULONG display = 0;
             return Result(s.folder.As<IShellFolder2>()->GetDefaultColumn(0, &sort, &display));
         }},
        {"GetDefaultColumnState",
         [](Subject& s) {
             DWORD flags = 0;
             return Result(s.folder.As<IShellFolder2>()->GetDefaultColumnState(2, &flags));
         }},
        {"GetDetailsEx",
         [](Subject& s) {
             SHCOLUMNID column{};
             return Result(s.folder.As<IShellFolder2>()->GetDetailsEx(s.file.get(), &column, nullptr));
         }},
        {"GetDetailsOf, a header", [](Subject& s) { return Details(s, nullptr, 1); }},
        {"GetDetailsOf, a name", [](Subject& s) { return Details(s, s.deep.get(), 0); }},
        {"GetDetailsOf, a type", [](Subject& s) { return Details(s, s.file.get(), 2); }},
        {"GetDetailsOf, a time", [](Subject& s) { return Details(s, s.file.get(), 3); }},
        {"MapColumnToSCID",
         [](Subject& s) {
             SHCOLUMNID column{};
             return Result(s.folder.As<IShellFolder2>()->MapColumnToSCID(1, &column));
         }},
        {"ColumnClick", [](Subject& s) { return Result(s.folder.As<IShellDetails>()->ColumnClick(1)); }},
    };
    return calls;
}

class FolderAllocationFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Names long enough that texts go to the task allocator.
        const std::string longName(200, 'n');
        root_ = env_ / "root";
        std::filesystem::create_directories(root_ + "/sub");
        for (const std::string& name : {longName + ".txt", std::string("b.png"), std::string(".hidden")})
            shelltest::WriteFile(root_ + "/" + name, "x");
        shelltest::WriteFile(root_ + "/sub/" + longName + ".txt", "x");
        std::filesystem::create_symlink(root_ + "/sub", root_ + "/link");
        childName_ = longName + ".txt";
    }

    // The subject as seen from folder, whose route to root is prefix ("" for root itself).
    Subject Make(com::ComPtr<IShellFolder> folder, const std::string& prefix)
    {
        Subject s;
        s.folder = std::move(folder);
        s.deepName = win32::BytesToWide(prefix + "sub/" + childName_);
        s.childName = win32::BytesToWide(childName_);
        s.file = shelltest::ParseOk(s.folder.Get(), prefix + childName_);
        s.otherFile = shelltest::ParseOk(s.folder.Get(), prefix + "b.png");
        s.folderChild = shelltest::ParseOk(s.folder.Get(), prefix + "sub");
        s.deep = shelltest::ParseOk(s.folder.Get(), prefix + "sub/" + childName_);
        return s;
    }

    shelltest::ShellEnvironment env_;
    std::string root_;
    std::string childName_;
};

TEST_F(FolderAllocationFailureTest, NoMethodOfADirectoryLetsAnAllocationFailureEscape)
{
    Subject subject = Make(shelltest::BindPath(root_), "");
    for (const auto& [name, call] : Calls())
        Sweep(name, [&, &call = call] { return call(subject); });
}

TEST_F(FolderAllocationFailureTest, NoMethodOfTheDesktopLetsAnAllocationFailureEscape)
{
    // The desktop reaches the same items through Computer and the drive: its
    // lists are longer and its routes go through providers.
    Subject subject = Make(shelltest::Desktop(), root_ + "/");
    for (const auto& [name, call] : Calls())
        Sweep(name, [&, &call = call] { return call(subject); });
}

TEST_F(FolderAllocationFailureTest, NoMethodOfAShellLinkLetsAnAllocationFailureEscape)
{
    const std::string target = root_ + "/" + childName_;
    const std::string saved = root_ + "/saved.desktop";
    std::filesystem::create_symlink(target, root_ + "/shortcut");
    const std::u16string shortcut = win32::BytesToWide(root_ + "/shortcut");
    const std::u16string savedName = win32::BytesToWide(saved);
    const com::ScopedCoInitialize com;
    com::ComPtr<IShellLinkA> link;
    ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                               link.ReleaseAndGetVoidAddress()),
              S_OK);
    const com::ComPtr<IPersistFile> file = link.As<IPersistFile>();
    std::vector<char> buffer(4096);
    const std::pair<const char*, std::function<Outcome()>> calls[] = {
        {"Load", [&] { return Result(file->Load(shortcut.c_str(), STGM_READ)); }},
        {"Resolve", [&] { return Result(link->Resolve(nullptr, SLR_NO_UI)); }},
        {"GetPath",
         [&] {
             WIN32_FIND_DATAA data{};
             return Result(link->GetPath(buffer.data(), static_cast<int>(buffer.size()), &data, 0));
         }},
        {"GetIDList",
         [&] {
             LPITEMIDLIST pidl = nullptr;
             const HRESULT hr = link->GetIDList(&pidl);
             return WithPidl(hr, pidl);
         }},
        {"SetDescription",
         [&] { return Result(link->SetDescription("a description long enough to allocate")); }},
        {"SetRelativePath", [&] { return Result(link->SetRelativePath(saved.c_str(), 0)); }},
        {"Save", [&] { return Result(file->Save(savedName.c_str(), TRUE)); }},
        {"GetCurFile",
         [&] {
             LPOLESTR name = nullptr;
             const HRESULT hr = file->GetCurFile(&name);
             const bool clear = name == nullptr;
             CoTaskMemFree(name);
             return Result(hr, SUCCEEDED(hr) || clear);
         }},
        {"SetPath", [&] { return Result(link->SetPath(target.c_str())); }},
    };
    for (const auto& [name, call] : calls)
        Sweep(name, call);
}

} // namespace
