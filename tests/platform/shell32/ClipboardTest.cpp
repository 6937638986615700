// The OLE clipboard and the shell formats' MIME types within the process
// (the offscreen platform's clipboard): our objects out and back, other
// programs' file lists in, byte for byte.

#include "com/DragDrop.h"
#include "shell32/ClipboardMime.h"
#include "shell32/FileUris.h"
#include "shell32/FileUrls.h"
#include "shell32/Folders.h"
#include "shell32/ItemIdList.h"
#include "shell32/OleClipboard.h"
#include "shell32/ShellApi.h"
#include "shell32/TransferBlocks.h"
#include "win32/MountTesting.h"
#include "win32/WindowManager.h"

#include "ClipboardTestHelpers.h"
#include "ShellTestHelpers.h"
#include "TransferBlockReaders.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

using blocktest::FileDropNames;
using blocktest::IdListArrayPaths;
using cliptest::Get;
using cliptest::TestDataObject;
using com::ComPtr;

namespace {

QByteArray Bytes(const std::string& text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Text(const QByteArray& bytes)
{
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Another program's data as the desktop's clipboard hands it over: the
// bytes as sent (QMimeData's own store would take a URL list apart and
// encode it again).
class ForeignMimeData : public QMimeData {
public:
    explicit ForeignMimeData(const std::vector<std::pair<const char*, std::string>>& payloads)
    {
        for (const auto& [type, bytes] : payloads)
            Payloads_.emplace_back(type, Bytes(bytes));
    }
    QStringList formats() const override
    {
        ++FormatQueries;
        QStringList types;
        for (const auto& [type, bytes] : Payloads_)
            types << type;
        return types;
    }

protected:
    QVariant retrieveData(const QString& type, QMetaType) const override
    {
        for (const auto& [have, bytes] : Payloads_) {
            if (have == type)
                return bytes;
        }
        return {};
    }

public:
    // How often the types were asked for: on the desktop's clipboard each
    // question goes to the other program.
    mutable int FormatQueries = 0;

private:
    std::vector<std::pair<QString, QByteArray>> Payloads_;
};

void SetForeign(const std::vector<std::pair<const char*, std::string>>& payloads)
{
    QGuiApplication::clipboard()->setMimeData(new ForeignMimeData(payloads));
}

ComPtr<IDataObject> Clipboard()
{
    ComPtr<IDataObject> object;
    EXPECT_EQ(OleGetClipboard(object.ReleaseAndGetAddressOf()), S_OK);
    return object;
}

class ClipboardTest : public testing::Test {
protected:
    shelltest::ShellEnvironment Env;
    cliptest::OleScope Ole;

    std::string MakeFile(const std::string& name)
    {
        const std::string path = Env / name;
        shelltest::WriteFile(path, "x");
        return path;
    }

    // A cut or copy of files as the shell's data objects offer it.
    ComPtr<TestDataObject> FilesObject(const std::vector<std::string>& paths, std::optional<DWORD> effect)
    {
        ComPtr<TestDataObject> object = com::MakeComObject<TestDataObject>();
        object->Set(CF_HDROP, cliptest::FileDropBytes(paths));
        std::vector<std::string> lists;
        for (const std::string& path : paths) {
            std::string items;
            EXPECT_EQ(shell32::ParseAbsolutePath(path, items), S_OK);
            lists.push_back(items);
        }
        object->Set(shell32::IdListArrayFormat(),
                    blocktest::TakeBlock(shell32::IdListArrayFromAbsoluteLists(lists)));
        if (effect)
            object->Set(shell32::PreferredDropEffectFormat(), cliptest::DropEffectBytes(*effect));
        return object;
    }
};

} // namespace

TEST_F(ClipboardTest, ShellFormatsGoOutAsMimeTypes)
{
    const std::string a = MakeFile("one"), b = MakeFile("two words");
    const std::string urls = "file://" + a + "\r\nfile://" + Env.Home() + "/two%20words\r\n";
    const std::string lines = "file://" + a + "\nfile://" + Env.Home() + "/two%20words";
    const struct {
        std::optional<DWORD> effect;
        const char* copied; // null: not offered
        const char* kde;
    } cases[] = {
        {std::nullopt, nullptr, nullptr},
        {DROPEFFECT_MOVE, "cut\n", "1"},
        {DROPEFFECT_COPY | DROPEFFECT_LINK, "copy\n", "0"},
        {DROPEFFECT_COPY | DROPEFFECT_MOVE, "copy\n", "0"},
    };
    for (const auto& c : cases) {
        ComPtr<TestDataObject> object = FilesObject({a, b}, c.effect);
        QMimeData* made = nullptr;
        ASSERT_EQ(shell32::MimeDataFromDataObject(object.Get(), &made), S_OK);
        std::unique_ptr<QMimeData> mime(made);
        EXPECT_EQ(shell32::DataObjectOfMimeData(mime.get()), object.Get());
        EXPECT_EQ(object->GetDataCalls, 0) << "rendered only when asked";
        QStringList expected{shell32::kMimeUriList};
        if (c.copied)
            expected << shell32::kMimeGnomeCopiedFiles << shell32::kMimeKdeCutSelection;
        expected << shell32::kMimeIdListArray;
        EXPECT_EQ(mime->formats(), expected);
        EXPECT_EQ(Text(mime->data(shell32::kMimeUriList)), urls);
        EXPECT_EQ(mime->urls().size(), 2);
        EXPECT_EQ(Text(mime->data(shell32::kMimeIdListArray)),
                  *Get(object.Get(), shell32::IdListArrayFormat()));
        if (c.copied) {
            EXPECT_EQ(Text(mime->data(shell32::kMimeGnomeCopiedFiles)), c.copied + lines);
            EXPECT_EQ(Text(mime->data(shell32::kMimeKdeCutSelection)), c.kde);
        }
        EXPECT_TRUE(mime->data("application/octet-stream").isEmpty()) << "other formats stay in the process";
    }
    EXPECT_EQ(TestDataObject::Live, 0);
}

TEST_F(ClipboardTest, OnlyHGlobalContentAndAbsoluteNamesGoOut)
{
    ComPtr<TestDataObject> object = com::MakeComObject<TestDataObject>();
    object->Set(CF_HDROP, cliptest::FileDropBytes({"relative", "/abs"}));
    object->Set(CF_TEXT, "text");
    object->Set(shell32::PreferredDropEffectFormat(), "\x02"); // too short: a copy
    QMimeData* made = nullptr;
    ASSERT_EQ(shell32::MimeDataFromDataObject(object.Get(), &made), S_OK);
    std::unique_ptr<QMimeData> mime(made);
    EXPECT_EQ(mime->formats(), (QStringList{shell32::kMimeUriList, shell32::kMimeGnomeCopiedFiles,
                                            shell32::kMimeKdeCutSelection}));
    EXPECT_EQ(Text(mime->data(shell32::kMimeUriList)), "file:///abs\r\n");
    EXPECT_EQ(Text(mime->data(shell32::kMimeGnomeCopiedFiles)), "copy\nfile:///abs");
}

TEST_F(ClipboardTest, BrokenObjectsStayOutsideQt)
{
    ComPtr<TestDataObject> object = FilesObject({MakeFile("f")}, DROPEFFECT_MOVE);
    object->EnumFailure = E_OUTOFMEMORY;
    QMimeData* made = reinterpret_cast<QMimeData*>(1);
    EXPECT_EQ(shell32::MimeDataFromDataObject(object.Get(), &made), E_OUTOFMEMORY);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(OleSetClipboard(object.Get()), E_OUTOFMEMORY);
    EXPECT_EQ(OleIsCurrentClipboard(object.Get()), S_FALSE);

    // A GetData that throws reaches the exception handler, not Qt.
    object->EnumFailure = S_OK;
    ASSERT_EQ(shell32::MimeDataFromDataObject(object.Get(), &made), S_OK);
    std::unique_ptr<QMimeData> mime(made);
    object->ThrowFromGetData = true;
    static int handled = 0;
    handled = 0;
    const win32::ExceptionHandler previous = win32::SetExceptionHandler([] { ++handled; });
    EXPECT_TRUE(mime->data(shell32::kMimeUriList).isEmpty());
    EXPECT_TRUE(mime->data(shell32::kMimeKdeCutSelection).isEmpty());
    win32::SetExceptionHandler(previous);
    EXPECT_EQ(handled, 2);
}

TEST_F(ClipboardTest, OurObjectComesBackAsItself)
{
    ComPtr<TestDataObject> object = FilesObject({MakeFile("f")}, DROPEFFECT_MOVE);
    ASSERT_EQ(OleSetClipboard(object.Get()), S_OK);
    EXPECT_EQ(OleIsCurrentClipboard(object.Get()), S_OK);
    EXPECT_EQ(Clipboard().Get(), object.Get());
    ComPtr<TestDataObject> other = FilesObject({MakeFile("g")}, std::nullopt);
    EXPECT_EQ(OleIsCurrentClipboard(other.Get()), S_FALSE);
    EXPECT_EQ(OleIsCurrentClipboard(nullptr), S_FALSE);

    // The clipboard keeps its own reference until it changes.
    object = nullptr;
    EXPECT_EQ(TestDataObject::Live, 2);
    ASSERT_EQ(OleSetClipboard(other.Get()), S_OK);
    EXPECT_EQ(TestDataObject::Live, 1);
    ASSERT_EQ(OleSetClipboard(nullptr), S_OK);
    EXPECT_EQ(OleIsCurrentClipboard(other.Get()), S_FALSE);
    other = nullptr;
    EXPECT_EQ(TestDataObject::Live, 0);
    ComPtr<IDataObject> empty = Clipboard();
    ASSERT_TRUE(empty);
    EXPECT_TRUE(cliptest::Formats(empty.Get()).empty());
}

TEST_F(ClipboardTest, FlushKeepsTheDataAndLetsTheObjectGo)
{
    const std::string a = MakeFile("a"), b = MakeFile("b\nc");
    ComPtr<TestDataObject> object = FilesObject({a, b}, DROPEFFECT_MOVE);
    const std::string idListArray = *Get(object.Get(), shell32::IdListArrayFormat());
    ASSERT_EQ(OleSetClipboard(object.Get()), S_OK);
    IDataObject* const raw = object.Get();
    object = nullptr;
    ASSERT_EQ(OleFlushClipboard(), S_OK);
    EXPECT_EQ(TestDataObject::Live, 0);
    EXPECT_EQ(OleIsCurrentClipboard(raw), S_FALSE);
    EXPECT_EQ(OleFlushClipboard(), S_OK) << "nothing of ours left to flush";

    ComPtr<IDataObject> flushed = Clipboard();
    EXPECT_EQ(FileDropNames(*Get(flushed.Get(), CF_HDROP)), (std::vector<std::string>{a, b}));
    EXPECT_EQ(Get(flushed.Get(), shell32::IdListArrayFormat()), idListArray) << "the block as it was";
    EXPECT_EQ(Get(flushed.Get(), shell32::PreferredDropEffectFormat()),
              cliptest::DropEffectBytes(DROPEFFECT_MOVE));
}

TEST_F(ClipboardTest, OtherProgramsFilesComeInByteForByte)
{
    const std::vector<std::string> names = {"line\nbreak", "bad\xFF\xFE", "100%",
                                            " blank ",     "%41",         "caf\xC3\xA9"};
    std::vector<std::string> paths;
    std::string urls;
    for (const std::string& name : names) {
        paths.push_back(MakeFile(name));
        urls += shell32::FileUrlFromPath(paths.back()) + "\r\n";
    }
    SetForeign({{shell32::kMimeUriList, urls}});
    ComPtr<IDataObject> object = Clipboard();
    EXPECT_EQ(FileDropNames(*Get(object.Get(), CF_HDROP)), paths);
    EXPECT_EQ(IdListArrayPaths(*Get(object.Get(), shell32::IdListArrayFormat())), paths);
    EXPECT_FALSE(Get(object.Get(), shell32::PreferredDropEffectFormat())) << "no cut or copy mark";
    EXPECT_EQ(OleIsCurrentClipboard(object.Get()), S_FALSE);
}

TEST_F(ClipboardTest, CutAndCopyMarksComeIn)
{
    const std::string a = MakeFile("a"), b = MakeFile("b");
    const std::string ua = shell32::FileUrlFromPath(a), ub = shell32::FileUrlFromPath(b);
    const std::string list = ua + "\r\n" + ub + "\r\n";
    const std::string move = cliptest::DropEffectBytes(DROPEFFECT_MOVE);
    const std::string copy = cliptest::DropEffectBytes(DROPEFFECT_COPY);
    const struct {
        std::vector<std::pair<const char*, std::string>> payloads;
        std::optional<std::string> effect;
    } cases[] = {
        {{{shell32::kMimeGnomeCopiedFiles, "cut\n" + ua + "\n" + ub}}, move},
        {{{shell32::kMimeGnomeCopiedFiles, "copy\r\n" + ua + "\r\n" + ub}}, copy},
        {{{shell32::kMimeUriList, list}, {shell32::kMimeKdeCutSelection, "1"}}, move},
        {{{shell32::kMimeUriList, list}, {shell32::kMimeKdeCutSelection, "0"}}, copy},
        {{{shell32::kMimeUriList, list}, {shell32::kMimeGnomeCopiedFiles, "cut\n" + ua + "\n" + ub}}, move},
        {{{shell32::kMimeUriList, list}, {shell32::kMimeGnomeCopiedFiles, "move\n" + ua}}, std::nullopt},
    };
    for (const auto& c : cases) {
        SetForeign(c.payloads);
        ComPtr<IDataObject> object = Clipboard();
        EXPECT_EQ(FileDropNames(*Get(object.Get(), CF_HDROP)), (std::vector<std::string>{a, b}));
        EXPECT_EQ(Get(object.Get(), shell32::PreferredDropEffectFormat()), c.effect) << c.payloads[0].second;
    }
}

TEST_F(ClipboardTest, OtherProgramsIdListArraysAreChecked)
{
    const std::string a = MakeFile("a"), b = MakeFile("b");
    const std::string gone = Env / "gone";
    const std::string list = shell32::FileUrlFromPath(a) + "\r\n" + shell32::FileUrlFromPath(gone) + "\r\n" +
                             shell32::FileUrlFromPath(b) + "\r\n";

    // A well-formed block is taken as it is; the file-drop list as sent.
    ComPtr<TestDataObject> ours = FilesObject({b}, std::nullopt);
    const std::string block = *Get(ours.Get(), shell32::IdListArrayFormat());
    SetForeign({{shell32::kMimeUriList, list}, {shell32::kMimeIdListArray, block}});
    ComPtr<IDataObject> object = Clipboard();
    EXPECT_EQ(Get(object.Get(), shell32::IdListArrayFormat()), block);
    EXPECT_EQ(FileDropNames(*Get(object.Get(), CF_HDROP)), (std::vector<std::string>{a, gone, b}));

    // A malformed one is not: the files that exist are listed instead. The
    // parent's offset points past the block's end (a changed byte inside it
    // could, with some names and times, still point at a well-formed list).
    std::string broken = block;
    const auto past = static_cast<std::uint32_t>(block.size() + 16);
    std::memcpy(broken.data() + 4, &past, sizeof past);
    SetForeign({{shell32::kMimeUriList, list}, {shell32::kMimeIdListArray, broken}});
    object = Clipboard();
    EXPECT_EQ(IdListArrayPaths(*Get(object.Get(), shell32::IdListArrayFormat())),
              (std::vector<std::string>{a, b}));
}

// A URI list of other places (a browser's links, a remote folder's files)
// names no file here; the copied-files list beside it still does.
TEST_F(ClipboardTest, AUriListOfOtherPlacesDoesNotHideTheCopiedFiles)
{
    const std::string a = MakeFile("a"), b = MakeFile("b");
    const std::string ua = shell32::FileUrlFromPath(a), ub = shell32::FileUrlFromPath(b);
    const std::string move = cliptest::DropEffectBytes(DROPEFFECT_MOVE);
    const std::string copy = cliptest::DropEffectBytes(DROPEFFECT_COPY);
    const struct {
        const char* Name;
        std::string UriList;
        std::string Copied;
        std::vector<std::string> Files;
        std::optional<std::string> Effect;
    } cases[] = {
        {"web links", "http://example.com/b\r\n", "copy\n" + ub, {b}, copy},
        {"another host's file", "file://elsewhere.example" + b + "\r\n", "cut\n" + ub, {b}, move},
        {"an empty list", "", "cut\n" + ua + "\n" + ub, {a, b}, move},
        {"a local file: the URI list names it", ua + "\r\n", "copy\n" + ub, {a}, copy},
        {"neither names a local file",
         "http://example.com/b\r\n",
         "copy\nhttp://example.com/c",
         {},
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        SetForeign({{shell32::kMimeUriList, c.UriList}, {shell32::kMimeGnomeCopiedFiles, c.Copied}});
        ComPtr<IDataObject> object = Clipboard();
        const std::optional<std::string> drop = Get(object.Get(), CF_HDROP);
        EXPECT_EQ(drop ? FileDropNames(*drop) : std::vector<std::string>{}, c.Files);
        const std::optional<std::string> array = Get(object.Get(), shell32::IdListArrayFormat());
        EXPECT_EQ(array ? IdListArrayPaths(*array) : std::vector<std::string>{}, c.Files);
        EXPECT_EQ(Get(object.Get(), shell32::PreferredDropEffectFormat()), c.Effect);
    }
}

// Pasting a long list reads the mount table once, not once a file.
TEST_F(ClipboardTest, TheMountTableIsReadOncePerList)
{
    auto source = std::make_shared<win32::testing::TextMountSource>("1 0 8:2 / / rw - ext4 /dev/sda2 rw\n");
    win32::testing::ScopedMountSource use(source);
    for (const std::size_t count : {std::size_t{1}, std::size_t{50}}) {
        SCOPED_TRACE(count);
        std::vector<std::string> paths;
        std::string urls;
        for (std::size_t i = 0; i < count; ++i) {
            paths.push_back(MakeFile(std::to_string(i) + ".txt"));
            urls += shell32::FileUrlFromPath(paths.back()) + "\r\n";
        }
        ForeignMimeData mime({{shell32::kMimeUriList, urls}});
        const int before = source->TableReads();
        ComPtr<IDataObject> object;
        ASSERT_EQ(shell32::DataObjectFromMimeData(&mime, object.ReleaseAndGetAddressOf()), S_OK);
        EXPECT_EQ(source->TableReads() - before, 1);
        EXPECT_EQ(IdListArrayPaths(*Get(object.Get(), shell32::IdListArrayFormat())), paths);
    }
}

TEST_F(ClipboardTest, NothingButLocalFilesComesIn)
{
    const std::string a = MakeFile("a");
    const std::string cases[] = {
        "",
        "http://example.com/a\r\n",
        "file://elsewhere.example" + a + "\r\n",
        "file://" + Env.Home() + "/%00\r\n",
        "file://" + Env.Home() + "/%4\r\n",
    };
    for (const std::string& payload : cases) {
        SetForeign(
            {{shell32::kMimeUriList, payload}, {shell32::kMimeKdeCutSelection, "1"}, {"text/plain", "x"}});
        EXPECT_EQ(cliptest::Formats(Clipboard().Get()), std::vector<CLIPFORMAT>{}) << payload;
    }
}

TEST_F(ClipboardTest, AnotherProgramIsAskedForItsTypesOnce)
{
    // An owner that does not answer costs one time-out, not one a type.
    const std::string a = MakeFile("a");
    const std::string url = shell32::FileUrlFromPath(a);
    const std::vector<std::vector<std::pair<const char*, std::string>>> cases = {
        {},
        {{"text/plain", "x"}},
        {{shell32::kMimeUriList, url + "\r\n"},
         {shell32::kMimeGnomeCopiedFiles, "copy\n" + url},
         {shell32::kMimeKdeCutSelection, "0"},
         {shell32::kMimeIdListArray, "junk"}},
    };
    for (const auto& payloads : cases) {
        ForeignMimeData mime(payloads);
        ComPtr<IDataObject> object;
        ASSERT_EQ(shell32::DataObjectFromMimeData(&mime, object.ReleaseAndGetAddressOf()), S_OK);
        EXPECT_EQ(mime.FormatQueries, 1) << payloads.size() << " types";
    }
}

TEST_F(ClipboardTest, AnOversizedListIsRefused)
{
    const std::string a = MakeFile("a"), b = MakeFile("b");
    std::string huge = shell32::FileUrlFromPath(a) + "\r\n";
    huge.resize(shell32::kMaxFileListBytes + 1, '#');
    SetForeign({{shell32::kMimeUriList, huge}});
    EXPECT_EQ(cliptest::Formats(Clipboard().Get()), std::vector<CLIPFORMAT>{});

    // The copied-files list then names the files.
    SetForeign({{shell32::kMimeUriList, huge},
                {shell32::kMimeGnomeCopiedFiles, "copy\n" + shell32::FileUrlFromPath(b)}});
    ComPtr<IDataObject> object = Clipboard();
    EXPECT_EQ(FileDropNames(*Get(object.Get(), CF_HDROP)), std::vector<std::string>{b});
    EXPECT_EQ(IdListArrayPaths(*Get(object.Get(), shell32::IdListArrayFormat())),
              std::vector<std::string>{b});
}

TEST_F(ClipboardTest, OnlyTheGuiThreadWithOleUsesTheClipboard)
{
    ComPtr<TestDataObject> object = FilesObject({MakeFile("f")}, std::nullopt);
    HRESULT fromThread = S_OK;
    std::thread([&] {
        OleInitialize(nullptr);
        fromThread = OleSetClipboard(object.Get());
        OleUninitialize();
    }).join();
    EXPECT_EQ(fromThread, CLIPBRD_E_CANT_OPEN);

    OleUninitialize();
    EXPECT_EQ(OleSetClipboard(object.Get()), CO_E_NOTINITIALIZED);
    IDataObject* out = object.Get();
    EXPECT_EQ(OleGetClipboard(&out), CO_E_NOTINITIALIZED);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(OleInitialize(nullptr), S_OK);
    EXPECT_EQ(OleGetClipboard(nullptr), E_POINTER);
}
