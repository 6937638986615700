// Folders deeper than the longest path the kernel takes whole: whatever can
// be parsed or enumerated binds, all the way down.

#include "ShellTestHelpers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <functional>

using namespace shelltest;

namespace {

constexpr int kLevels = 24;

// A chain of folders with 200-byte names, made and removed by walking from
// descriptors (their whole path is too long for any path call), with one
// file at the bottom.
class DeepTree {
public:
    explicit DeepTree(const std::string& root) : Root_(root)
    {
        EXPECT_EQ(::mkdir(root.c_str(), 0755), 0);
        Fds_.push_back(::open(root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        Path_ = root;
        for (int level = 0; level < kLevels; ++level) {
            std::string name(200, static_cast<char>('a' + level % 26));
            name.replace(0, 2, std::to_string(10 + level));
            EXPECT_EQ(::mkdirat(Fds_.back(), name.c_str(), 0755), 0);
            Fds_.push_back(::openat(Fds_.back(), name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
            EXPECT_GE(Fds_.back(), 0);
            Names_.push_back(name);
            Path_ += "/" + name;
        }
        const int file = ::openat(Fds_.back(), "leaf.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        EXPECT_GE(file, 0);
        ::close(file);
    }
    ~DeepTree()
    {
        ::unlinkat(Fds_.back(), "leaf.txt", 0);
        for (int level = kLevels - 1; level >= 0; --level) {
            ::close(Fds_[static_cast<std::size_t>(level) + 1]);
            ::unlinkat(Fds_[static_cast<std::size_t>(level)], Names_[static_cast<std::size_t>(level)].c_str(),
                       AT_REMOVEDIR);
        }
        ::close(Fds_.front());
        ::rmdir(Root_.c_str());
    }
    DeepTree(const DeepTree&) = delete;
    DeepTree& operator=(const DeepTree&) = delete;

    const std::string& Root() const { return Root_; }
    // The bottom folder's whole path.
    const std::string& Path() const { return Path_; }

private:
    std::string Root_;
    std::string Path_;
    std::vector<std::string> Names_;
    std::vector<int> Fds_;
};

Pidl Concat(LPCITEMIDLIST absolute, LPCITEMIDLIST relative)
{
    std::string bytes(reinterpret_cast<const char*>(absolute), shell32::IdListSize(absolute) - 2);
    bytes.append(reinterpret_cast<const char*>(relative), shell32::IdListSize(relative) - 2);
    return Pidl(shell32::AllocIdList(bytes));
}

com::ComPtr<IShellFolder> BindFromDesktop(LPCITEMIDLIST absolute, HRESULT& hr)
{
    com::ComPtr<IShellFolder> folder;
    hr = Desktop()->BindToObject(absolute, nullptr, IID_IShellFolder, folder.ReleaseAndGetVoidAddress());
    return folder;
}

// Reaches the bottom folder's absolute list one way or another.
using Walk = std::function<Pidl(const DeepTree& tree)>;

TEST(DeepFolders, WhatParsesOrIsListedBindsToTheBottom)
{
    ShellEnvironment env;
    const DeepTree tree(env / "deep");
    ASSERT_GT(tree.Path().size(), static_cast<std::size_t>(PATH_MAX));
    const struct {
        const char* how;
        Walk walk;
    } walks[] = {
        {"parsing the whole path", [](const DeepTree& t) { return ParseOk(Desktop().Get(), t.Path()); }},
        {"binding each folder listed by its parent",
         [](const DeepTree& t) {
             Pidl absolute = ParseOk(Desktop().Get(), t.Root());
             for (int level = 0; level < kLevels && absolute; ++level) {
                 HRESULT hr = E_FAIL;
                 const com::ComPtr<IShellFolder> folder = BindFromDesktop(absolute.get(), hr);
                 EXPECT_EQ(hr, S_OK) << "level " << level;
                 if (!folder)
                     return Pidl();
                 std::vector<Pidl> children = EnumAll(folder.Get(), SHCONTF_FOLDERS);
                 EXPECT_EQ(children.size(), 1u) << "level " << level;
                 if (children.size() != 1)
                     return Pidl();
                 ULONG attributes = SFGAO_FOLDER;
                 LPCITEMIDLIST child = children[0].get();
                 EXPECT_EQ(folder->GetAttributesOf(1, &child, &attributes), S_OK);
                 EXPECT_TRUE(attributes & SFGAO_FOLDER) << "level " << level;
                 absolute = Concat(absolute.get(), child);
             }
             return absolute;
         }},
    };
    for (const auto& [how, walk] : walks) {
        const Pidl bottom = walk(tree);
        ASSERT_TRUE(bottom) << how;
        HRESULT hr = E_FAIL;
        const com::ComPtr<IShellFolder> folder = BindFromDesktop(bottom.get(), hr);
        ASSERT_EQ(hr, S_OK) << how;
        const std::vector<Pidl> files = EnumAll(folder.Get(), SHCONTF_NONFOLDERS);
        ASSERT_EQ(files.size(), 1u) << how;
        EXPECT_EQ(NameOf(folder.Get(), files[0].get(), SHGDN_INFOLDER | SHGDN_FORPARSING), "leaf.txt") << how;
        EXPECT_TRUE(NameOf(folder.Get(), files[0].get(), SHGDN_FORPARSING) == tree.Path() + "/leaf.txt")
            << how;
        // Lists of several levels bind their parent the same way.
        const Pidl leaf = Concat(bottom.get(), files[0].get());
        ULONG attributes = SFGAO_FILESYSTEM | SFGAO_FOLDER;
        LPCITEMIDLIST one = leaf.get();
        EXPECT_EQ(Desktop()->GetAttributesOf(1, &one, &attributes), S_OK) << how;
        EXPECT_EQ(attributes, static_cast<ULONG>(SFGAO_FILESYSTEM)) << how;
    }
}

} // namespace
