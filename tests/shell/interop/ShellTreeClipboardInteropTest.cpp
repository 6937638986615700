// The shell tree's cut as another program sees it, on an X server with the
// xcb platform (scripts/clipboard-interop runs this under xvfb-run).

#include "ShellTreeTestSupport.h"
#include "XclipTesting.h"

#include "com/Initialization.h"
#include "shell32/ClipboardMime.h"
#include "shell32/FileUrls.h"
#include "shell32/OleClipboard.h"
#include "shell32/ShellUIObjects.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

using namespace kwtest;

TEST_F(ShellTreeFixture, CtrlXOnAFolderIsACutOfItsUrlForOtherPrograms)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb")
        << "the clipboard of other programs needs an X server: run through scripts/clipboard-interop";
    shell32::InstallShellUIObjects();
    const bool ole = SUCCEEDED(OleInitialize(nullptr));
    MakeTree(H("r"), {"moving", "stays"});
    Base(H("r"));
    Tree->FillItems();
    Tree->SetSelected(NodeOf(H("r/moving")));
    Tree->SetFocus();
    Pump();
    Key(Qt::Key_X, Qt::ControlModifier);
    const std::vector<std::string> copied = {"cut", shell32::FileUrlFromPath(H("r/moving"))};
    EXPECT_EQ(Lines(Xclip({"-t", shell32::kMimeGnomeCopiedFiles, "-o"})), copied);
    OleSetClipboard(nullptr);
    if (ole)
        OleUninitialize();
}

} // namespace
