// The clipboard as other programs see it, on an X server with the xcb
// platform (scripts/clipboard-interop runs this under xvfb-run): xclip reads
// what a cut put there and puts a copied-files list for us to read. The
// event loop turns while xclip runs, as it must for Qt to answer it.

#include "com/DragDrop.h"
#include "shell32/ClipboardMime.h"
#include "shell32/FileUrls.h"
#include "shell32/OleClipboard.h"
#include "shell32/TransferBlocks.h"

#include "ClipboardTestHelpers.h"
#include "ShellTestHelpers.h"
#include "XclipTesting.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

using com::ComPtr;

namespace {

// The event loop turns until the clipboard offers type (another program put
// it there); false when it does not within the time-out.
bool WaitForType(const char* type)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < kTimeoutMs) {
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        if (mime && mime->formats().contains(type))
            return true;
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return false;
}

class ClipboardInterop : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb")
            << "the clipboard of other programs needs an X server: run through scripts/clipboard-interop";
        ASSERT_FALSE(QStandardPaths::findExecutable("xclip").isEmpty()) << "xclip is missing";
    }

    shelltest::ShellEnvironment Env;
    cliptest::OleScope Ole;

    std::vector<std::string> MakeFiles(const std::vector<std::string>& names)
    {
        std::vector<std::string> paths;
        for (const std::string& name : names) {
            paths.push_back(Env / name);
            shelltest::WriteFile(paths.back(), "x");
        }
        return paths;
    }
};

} // namespace

TEST_F(ClipboardInterop, OtherProgramsReadACut)
{
    const std::vector<std::string> paths =
        MakeFiles({"plain", "two words", "line\nbreak", "bad\xFF", "100%"});
    ComPtr<cliptest::TestDataObject> object = com::MakeComObject<cliptest::TestDataObject>();
    object->Set(CF_HDROP, cliptest::FileDropBytes(paths));
    object->Set(shell32::PreferredDropEffectFormat(), cliptest::DropEffectBytes(DROPEFFECT_MOVE));
    ASSERT_EQ(OleSetClipboard(object.Get()), S_OK);

    const std::vector<std::string> targets = Lines(Xclip({"-t", "TARGETS", "-o"}));
    for (const char* type :
         {shell32::kMimeUriList, shell32::kMimeGnomeCopiedFiles, shell32::kMimeKdeCutSelection})
        EXPECT_NE(std::find(targets.begin(), targets.end(), type), targets.end()) << type;

    std::vector<std::string> urls;
    for (const std::string& path : paths)
        urls.push_back(shell32::FileUrlFromPath(path));
    std::vector<std::string> copied = {"cut"};
    copied.insert(copied.end(), urls.begin(), urls.end());
    EXPECT_EQ(Lines(Xclip({"-t", shell32::kMimeGnomeCopiedFiles, "-o"})), copied);
    EXPECT_EQ(Lines(Xclip({"-t", shell32::kMimeUriList, "-o"})), urls);
    EXPECT_EQ(Xclip({"-t", shell32::kMimeKdeCutSelection, "-o"}), "1");
    EXPECT_EQ(OleIsCurrentClipboard(object.Get()), S_OK) << "reading leaves the clipboard ours";
}

TEST_F(ClipboardInterop, ACutAnotherProgramPutsThereComesIn)
{
    const std::vector<std::string> paths = MakeFiles({"first", "second file"});
    // Ours until another program takes the clipboard.
    ComPtr<cliptest::TestDataObject> ours = com::MakeComObject<cliptest::TestDataObject>();
    ours->Set(CF_HDROP, cliptest::FileDropBytes({paths[0]}));
    ASSERT_EQ(OleSetClipboard(ours.Get()), S_OK);
    IDataObject* const oursRaw = ours.Get();
    ours = nullptr;
    ASSERT_EQ(cliptest::TestDataObject::Live, 1);

    // As a file manager writes it, CR LF between lines and none at the end.
    const std::string payload =
        "cut\r\n" + shell32::FileUrlFromPath(paths[0]) + "\r\n" + shell32::FileUrlFromPath(paths[1]);
    QProcess xclip;
    // -quiet keeps xclip in the foreground, serving until it is ended here.
    xclip.start("xclip", {"-quiet", "-selection", "clipboard", "-t", shell32::kMimeGnomeCopiedFiles, "-i"});
    ASSERT_TRUE(xclip.waitForStarted());
    xclip.write(payload.data(), static_cast<qint64>(payload.size()));
    xclip.closeWriteChannel();

    if (WaitForType(shell32::kMimeGnomeCopiedFiles)) {
        EXPECT_EQ(cliptest::TestDataObject::Live, 0) << "the clipboard lets our object go";
        EXPECT_EQ(OleIsCurrentClipboard(oursRaw), S_FALSE);
        ComPtr<IDataObject> object;
        ASSERT_EQ(OleGetClipboard(object.ReleaseAndGetAddressOf()), S_OK);
        const std::optional<std::string> drop = cliptest::Get(object.Get(), CF_HDROP);
        ASSERT_TRUE(drop);
        EXPECT_EQ(*drop, cliptest::FileDropBytes(paths));
        EXPECT_EQ(cliptest::Get(object.Get(), shell32::PreferredDropEffectFormat()),
                  cliptest::DropEffectBytes(DROPEFFECT_MOVE));
        const std::optional<std::string> idListArray =
            cliptest::Get(object.Get(), shell32::IdListArrayFormat());
        ASSERT_TRUE(idListArray);
        EXPECT_EQ(blocktest::IdListArrayPaths(*idListArray), paths);
        EXPECT_EQ(OleIsCurrentClipboard(object.Get()), S_FALSE);
    } else {
        ADD_FAILURE() << "xclip's list never reached the clipboard: " << Text(xclip.readAllStandardError());
    }
    xclip.kill();
    xclip.waitForFinished();
}
