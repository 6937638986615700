// The accept path of the file dialogs against a form stand-in over a real
// folder: validation and its prompts, ParseInputString, and the close query.

#include "PlatformTestSupport.h"
#include "TypedNameTestContext.h"

#include "FKwOpenDlg.h"
#include "UKwShConsts.h"
#include "UKwShellUtils.h"

#include "com/Initialization.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kw::lisEdit;
using kw::lisList;
using kw::TKwOpenOptions;
using kwtest::FolderContext;
using kwtest::WriteFile;
using Boxes = std::vector<std::pair<vcl::PResStringRec, std::string>>;

// Table rows name only the fields that differ from a row's defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// root/
//   docs/a.txt  other/b.txt  plain.txt  ro.txt (0444)  Readme  README  a*b
//   link-to-plain -> plain.txt   link-to-docs -> docs   entry.desktop (a link to docs/a.txt)
//   folder.desktop (a link to docs)   pipe (a FIFO)
//   "line\nbreak.txt"  "\xFF\xFE.txt"
class TypedNameFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        Root_ = fs::canonical(Temp_.Path()).string();
        WriteFile(At("docs/a.txt"), "a");
        WriteFile(At("other/b.txt"), "b");
        for (const char* name :
             {"plain.txt", "ro.txt", "Readme", "README", "a*b", "line\nbreak.txt", "\xFF\xFE.txt"})
            WriteFile(At(name), name);
        ::chmod(At("ro.txt").c_str(), 0444);
        ASSERT_EQ(::mkfifo(At("pipe").c_str(), 0644), 0);
        fs::create_symlink("plain.txt", At("link-to-plain"));
        fs::create_directory_symlink("docs", At("link-to-docs"));
        kw::TLinkData link;
        link.Path = At("docs/a.txt");
        ASSERT_EQ(kw::CreateShortcut(At("entry.desktop"), link), S_OK);
        link.Path = At("docs");
        ASSERT_EQ(kw::CreateShortcut(At("folder.desktop"), link), S_OK);

        Previous_ = fs::current_path().string();
        fs::current_path("/");
    }
    void TearDown() override { fs::current_path(Previous_); }

    std::string At(const std::string& relative) const
    {
        if (relative.empty())
            return Root_;
        if (relative.front() == '/')
            return relative;
        return Root_ + "/" + relative;
    }
    std::vector<std::string> AtAll(const std::vector<std::string>& relative) const
    {
        std::vector<std::string> paths;
        for (const std::string& name : relative)
            paths.push_back(At(name));
        return paths;
    }
    static std::string CurrentDir() { return fs::current_path().string(); }

    void ExpectBoxes(const FolderContext& context, const Boxes& expected, const std::string& label)
    {
        ASSERT_EQ(context.Boxes.size(), expected.size()) << label;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(context.Boxes[i].Message, expected[i].first)
                << label << ": " << context.Boxes[i].Message->Name;
            EXPECT_EQ(context.Boxes[i].Insert, expected[i].second) << label;
        }
    }

    kwtest::TempDir Temp_;
    kwtest::ScopedRegistryHome Registry_;
    com::ScopedCoInitialize Com_;
    std::string Root_;
    std::string Previous_;
};

TEST_F(TypedNameFolder, ValidationMatrix)
{
    enum Kind { Existing, ReadOnly, Missing, Fifo };
    const char* const names[] = {"plain.txt", "ro.txt", "missing.txt", "pipe"};
    struct Row {
        Kind kind;
        kw::TKwOpenOption option;
        vcl::TModalResult answer;
        bool accepted;
        vcl::PResStringRec box; // nil: no box
        bool namePartInsert;
    };
    const Row rows[] = {
        {Existing, kw::kwofNoReadOnlyReturn, vcl::mrYes, true, nullptr, false},
        {Existing, kw::kwofNoReadOnlyReturn, vcl::mrNo, true, nullptr, false},
        {Existing, kw::kwofOverwritePrompt, vcl::mrYes, true, &kw::SFileExistsReplace, false},
        {Existing, kw::kwofOverwritePrompt, vcl::mrNo, false, &kw::SFileExistsReplace, false},
        {Existing, kw::kwofFileMustExist, vcl::mrYes, true, nullptr, false},
        {Existing, kw::kwofFileMustExist, vcl::mrNo, true, nullptr, false},
        {Existing, kw::kwofCreatePrompt, vcl::mrYes, true, nullptr, false},
        {Existing, kw::kwofCreatePrompt, vcl::mrNo, true, nullptr, false},
        {ReadOnly, kw::kwofNoReadOnlyReturn, vcl::mrYes, false, &kw::SExistsAndIsReadOnly, false},
        {ReadOnly, kw::kwofNoReadOnlyReturn, vcl::mrNo, false, &kw::SExistsAndIsReadOnly, false},
        {ReadOnly, kw::kwofOverwritePrompt, vcl::mrYes, true, &kw::SFileExistsReplace, false},
        {ReadOnly, kw::kwofOverwritePrompt, vcl::mrNo, false, &kw::SFileExistsReplace, false},
        {ReadOnly, kw::kwofFileMustExist, vcl::mrYes, true, nullptr, false},
        {ReadOnly, kw::kwofFileMustExist, vcl::mrNo, true, nullptr, false},
        {ReadOnly, kw::kwofCreatePrompt, vcl::mrYes, true, nullptr, false},
        {ReadOnly, kw::kwofCreatePrompt, vcl::mrNo, true, nullptr, false},
        {Missing, kw::kwofNoReadOnlyReturn, vcl::mrYes, true, nullptr, false},
        {Missing, kw::kwofNoReadOnlyReturn, vcl::mrNo, true, nullptr, false},
        {Missing, kw::kwofOverwritePrompt, vcl::mrYes, true, nullptr, false},
        {Missing, kw::kwofOverwritePrompt, vcl::mrNo, true, nullptr, false},
        {Missing, kw::kwofFileMustExist, vcl::mrYes, false, &kw::SFileNotFound, false},
        {Missing, kw::kwofFileMustExist, vcl::mrNo, false, &kw::SFileNotFound, false},
        {Missing, kw::kwofCreatePrompt, vcl::mrYes, true, &kw::SDoesNotExistCreate, true},
        {Missing, kw::kwofCreatePrompt, vcl::mrNo, false, &kw::SDoesNotExistCreate, true},
        // What is there and no folder exists, whatever kind of file it is.
        {Fifo, kw::kwofOverwritePrompt, vcl::mrYes, true, &kw::SFileExistsReplace, false},
        {Fifo, kw::kwofOverwritePrompt, vcl::mrNo, false, &kw::SFileExistsReplace, false},
        {Fifo, kw::kwofFileMustExist, vcl::mrNo, true, nullptr, false},
        {Fifo, kw::kwofCreatePrompt, vcl::mrNo, true, nullptr, false},
    };
    for (const Row& row : rows) {
        const std::string name = names[row.kind];
        const std::string label =
            name + " option " + std::to_string(row.option) + " answer " + std::to_string(row.answer);
        FolderContext context(Root_);
        context.OptionsValue = {row.option};
        context.Answers = {row.answer};
        EXPECT_EQ(kw::ParseInputString(context, name), row.accepted) << label;
        EXPECT_EQ(context.ResultNames(), row.accepted ? AtAll({name}) : std::vector<std::string>{}) << label;
        if (!row.box) {
            EXPECT_TRUE(context.Boxes.empty()) << label;
            continue;
        }
        ExpectBoxes(context, {{row.box, row.namePartInsert ? name : At(name)}}, label);
        if (context.Boxes.empty())
            continue;
        const bool asks = row.box == &kw::SFileExistsReplace || row.box == &kw::SDoesNotExistCreate;
        const vcl::TMsgDlgButtons buttons =
            asks ? vcl::TMsgDlgButtons{vcl::mbYes, vcl::mbNo} : vcl::TMsgDlgButtons{vcl::mbOK};
        EXPECT_EQ(context.Boxes[0].Buttons, buttons) << label;
        EXPECT_EQ(context.Boxes[0].Type,
                  row.box == &kw::SDoesNotExistCreate ? vcl::mtConfirmation : vcl::mtWarning)
            << label;
    }
}

TEST_F(TypedNameFolder, ParseInputString)
{
    const std::string name300(300, 'n');
    const std::string name251(251, 'n');
    const std::string name253(253, 'n');
    struct Row {
        const char* label = "";
        std::string start; // the folder shown, from the root
        std::string text;
        TKwOpenOptions options;
        kw::TKwFrmOpenDlg_LIS lastInput = lisEdit;
        std::string selected; // caption of the list's selected item
        std::string defaultExt;
        std::string mask;
        bool accepted = false;
        std::vector<std::string> results;
        std::string shownAfter; // the folder shown afterwards
        Boxes boxes;
        int beeps = 0;
        int editSelections = 0;
        std::string selectedAfter;
    };
    // clang-format off
    const Row rows[] = {
        {.label = "a folder is entered", .text = "docs", .shownAfter = "docs", .editSelections = 1},
        {.label = "a folder with a trailing slash", .text = "docs/", .shownAfter = "docs", .editSelections = 1},
        {.label = "a link to a folder is entered", .text = "link-to-docs", .shownAfter = "link-to-docs",
         .editSelections = 1},
        {.label = "two dots go up", .start = "docs", .text = "..", .editSelections = 1},
        {.label = "the root", .start = "docs", .text = "/", .shownAfter = "/", .editSelections = 1},
        {.label = "an absolute path into another folder", .text = At("other/b.txt"), .accepted = true,
         .results = {"other/b.txt"}, .shownAfter = "other"},
        {.label = "a relative path into a folder", .text = "docs/new.txt", .accepted = true,
         .results = {"docs/new.txt"}, .shownAfter = "docs"},
        {.label = "a path into a missing folder", .text = "nothere/plain.txt", .accepted = true,
         .results = {"nothere/plain.txt"}},
        {.label = "a symbolic link is dereferenced", .text = "link-to-plain", .accepted = true,
         .results = {"plain.txt"}},
        {.label = "a symbolic link is kept", .text = "link-to-plain", .options = {kw::kwofNoDereferenceLinks},
         .accepted = true, .results = {"link-to-plain"}},
        {.label = "a desktop entry is dereferenced", .text = "entry.desktop", .accepted = true,
         .results = {"docs/a.txt"}, .shownAfter = "docs"},
        {.label = "a desktop entry is kept", .text = "entry.desktop", .options = {kw::kwofNoDereferenceLinks},
         .accepted = true, .results = {"entry.desktop"}},
        {.label = "a desktop entry of a folder is entered", .text = "folder.desktop", .shownAfter = "docs",
         .editSelections = 1},
        {.label = "a desktop entry of a folder gets no extension", .text = "folder.desktop", .defaultExt = "txt",
         .mask = "*.txt", .shownAfter = "docs", .editSelections = 1},
        {.label = "a desktop entry of a folder is kept", .text = "folder.desktop",
         .options = {kw::kwofNoDereferenceLinks}, .accepted = true, .results = {"folder.desktop"}},
        {.label = "a quoted name and a shortcut to a folder", .text = R"("plain.txt" "folder.desktop")",
         .beeps = 1},
        {.label = "a selected symbolic link is dereferenced", .text = "link-to-plain", .lastInput = lisList,
         .selected = "link-to-plain", .accepted = true, .results = {"plain.txt"}, .selectedAfter = "link-to-plain"},
        {.label = "a selected symbolic link is kept", .text = "link-to-plain",
         .options = {kw::kwofNoDereferenceLinks}, .lastInput = lisList, .selected = "link-to-plain",
         .accepted = true, .results = {"link-to-plain"}, .selectedAfter = "link-to-plain"},
        {.label = "a selected desktop entry is dereferenced", .text = "entry", .lastInput = lisList,
         .selected = "entry.desktop", .accepted = true, .results = {"docs/a.txt"},
         .selectedAfter = "entry.desktop"},
        {.label = "a selected desktop entry of a folder is entered", .text = "folder", .lastInput = lisList,
         .selected = "folder.desktop", .shownAfter = "docs", .editSelections = 1},
        {.label = "an exact caption wins", .text = "Readme", .accepted = true, .results = {"Readme"}},
        {.label = "the other exact caption wins", .text = "README", .accepted = true, .results = {"README"}},
        {.label = "two captions without case", .text = "readme", .boxes = {{&kw::SThereCanBeOnlyOne, "readme"}},
         .selectedAfter = "README"},
        {.label = "one caption without case", .text = "PLAIN.TXT", .accepted = true, .results = {"plain.txt"}},
        {.label = "a selected folder leaves the typed text", .text = "notes", .lastInput = lisList,
         .selected = "docs", .defaultExt = "txt", .mask = "*.txt", .accepted = true, .results = {"notes.txt"},
         .selectedAfter = "docs"},
        {.label = "a selected file replaces its display name", .text = "plain", .lastInput = lisList,
         .selected = "plain.txt", .defaultExt = "txt", .mask = "*.txt", .accepted = true,
         .results = {"plain.txt"}, .selectedAfter = "plain.txt"},
        {.label = "typed text with a file selected", .text = "plain", .selected = "Readme", .defaultExt = "txt",
         .mask = "*.txt", .accepted = true, .results = {"plain.txt"}, .selectedAfter = "Readme"},
        {.label = "two quoted names", .text = R"("plain.txt" "new")", .defaultExt = "txt", .mask = "*.txt",
         .accepted = true, .results = {"plain.txt", "new"}},
        {.label = "a quoted name and two dots", .text = R"("plain.txt" "..")", .beeps = 1},
        {.label = "a quoted name and a folder", .text = R"("plain.txt" "docs")", .beeps = 1},
        {.label = "a newline in the name", .text = "line\nbreak.txt", .accepted = true,
         .results = {"line\nbreak.txt"}},
        {.label = "a name that is no UTF-8", .text = "\xFF\xFE.txt", .accepted = true,
         .results = {"\xFF\xFE.txt"}},
        {.label = "an empty text", .text = ""},
        {.label = "empty quotes", .text = R"("")"},
        {.label = "an invalid character", .text = "a|b", .boxes = {{&kw::SFilenameIsInvalid, "a|b"}}},
        {.label = "an invalid character, not validated", .text = "a|b", .options = {kw::kwofNoValidate},
         .accepted = true, .results = {"a|b"}},
        {.label = "a component over the limit", .text = name300, .options = {kw::kwofNoValidate},
         .boxes = {{&kw::SFilenameIsInvalid, name300}}},
        {.label = "a default extension up to the limit", .text = name251, .defaultExt = "txt", .mask = "*.txt",
         .accepted = true, .results = {name251 + ".txt"}},
        {.label = "a default extension past the limit", .text = name253, .defaultExt = "txt", .mask = "*.txt",
         .boxes = {{&kw::SFilenameIsInvalid, name253}}},
        {.label = "a default extension past the limit, not validated", .text = name253,
         .options = {kw::kwofNoValidate}, .defaultExt = "txt", .boxes = {{&kw::SFilenameIsInvalid, name253}}},
    };
    // clang-format on
    for (const Row& row : rows) {
        FolderContext context(At(row.start));
        context.OptionsValue = row.options;
        context.LastInputValue = row.lastInput;
        context.DefaultExtValue = row.defaultExt;
        context.TypeMask = row.mask;
        if (!row.selected.empty())
            context.Select(row.selected);
        context.Results.Add("stale");

        EXPECT_EQ(kw::ParseInputString(context, row.text), row.accepted) << row.label;
        EXPECT_EQ(context.ResultNames(), AtAll(row.results)) << row.label;
        EXPECT_EQ(context.Base(), At(row.shownAfter)) << row.label;
        ExpectBoxes(context, row.boxes, row.label);
        EXPECT_EQ(context.Beeps, row.beeps) << row.label;
        EXPECT_EQ(context.EditSelections, row.editSelections) << row.label;
        const int selected = context.SelectedItem();
        EXPECT_EQ(selected < 0 ? "" : context.Items()[static_cast<std::size_t>(selected)].Caption,
                  row.selectedAfter)
            << row.label;
    }
}

TEST_F(TypedNameFolder, RelativeNamesNeedAFolderOfTheFileSystem)
{
    // The list shows a virtual folder; the process's current directory
    // holds what the names would name relative to it.
    fs::current_path(Root_);
    struct Row {
        std::string text;
        bool accepted;
        std::vector<std::string> results;
        int beeps;
    };
    const Row rows[] = {
        {"plain.txt", false, {}, 1},
        {"docs", false, {}, 1},
        {"new.txt", false, {}, 1},
        {R"("plain.txt" "new.txt")", false, {}, 1},
        {At("plain.txt"), true, {"plain.txt"}, 0},
        {"..", false, {}, 0},
    };
    for (const Row& row : rows) {
        FolderContext context("");
        EXPECT_EQ(kw::ParseInputString(context, row.text), row.accepted) << row.text;
        EXPECT_EQ(context.ResultNames(), AtAll(row.results)) << row.text;
        EXPECT_EQ(context.Beeps, row.beeps) << row.text;
        // Nothing relative is entered; an absolute name shows its folder.
        EXPECT_EQ(context.Shown, row.accepted ? std::vector<std::string>{Root_} : std::vector<std::string>{})
            << row.text;
        EXPECT_TRUE(context.Boxes.empty()) << row.text;
    }
}

TEST_F(TypedNameFolder, CloseQuery)
{
    constexpr const char* unchanged = "/";
    struct Row {
        const char* label = "";
        std::string start; // the folder shown, from the root
        std::string text;
        vcl::TModalResult modalResult = vcl::mrOk;
        TKwOpenOptions options;
        kw::TKwFrmOpenDlg_LIS lastInput = lisEdit;
        std::string selected;
        bool canClose = false;
        std::vector<std::string> results;
        std::string shownAfter;
        std::string userFilter;
        std::string editAfter;
        int beeps = 0;
        std::size_t boxes = 0;
        std::string currentDir = unchanged; // from the root
    };
    // clang-format off
    const Row rows[] = {
        {.label = "a pattern in a folder", .text = "docs/*.txt", .shownAfter = "docs", .userFilter = "*.txt",
         .editAfter = "*.txt"},
        {.label = "a pattern in a missing folder", .text = "missing/*.txt", .options = {kw::kwofCreatePrompt},
         .userFilter = "*.txt", .editAfter = "*.txt", .beeps = 1},
        {.label = "a pattern below a file", .text = "plain.txt/*.txt", .userFilter = "*.txt",
         .editAfter = "*.txt", .beeps = 1},
        {.label = "a pattern alone", .start = "docs", .text = "*.md", .shownAfter = "docs", .userFilter = "*.md",
         .editAfter = "*.md"},
        {.label = "a quoted pattern", .text = R"("*.txt")", .userFilter = "*.txt", .editAfter = "*.txt"},
        {.label = "a listed name with a star", .text = "a*b", .lastInput = lisList, .selected = "a*b",
         .canClose = true, .results = {"a*b"}, .editAfter = "a*b", .currentDir = ""},
        {.label = "a name accepted", .text = "plain.txt", .canClose = true, .results = {"plain.txt"},
         .editAfter = "plain.txt", .currentDir = ""},
        {.label = "a name accepted in a folder", .start = "docs", .text = "a.txt", .canClose = true,
         .results = {"docs/a.txt"}, .shownAfter = "docs", .editAfter = "a.txt", .currentDir = "docs"},
        {.label = "a name refused", .text = "missing.txt", .options = {kw::kwofFileMustExist},
         .editAfter = "missing.txt", .boxes = 1},
        {.label = "a folder entered", .text = "docs", .shownAfter = "docs", .editAfter = "docs"},
        {.label = "cancel", .start = "other", .text = "plain.txt", .modalResult = vcl::mrCancel, .canClose = true,
         .shownAfter = "other", .editAfter = "plain.txt", .currentDir = "other"},
        {.label = "cancel without changing the directory", .modalResult = vcl::mrCancel,
         .options = {kw::kwofNoChangeDir}, .canClose = true},
        {.label = "OK without changing the directory", .text = "plain.txt", .options = {kw::kwofNoChangeDir},
         .canClose = true, .results = {"plain.txt"}, .editAfter = "plain.txt"},
    };
    // clang-format on
    for (const Row& row : rows) {
        fs::current_path(unchanged);
        FolderContext context(At(row.start));
        context.Edit = row.text;
        context.OptionsValue = row.options;
        context.LastInputValue = row.lastInput;
        if (!row.selected.empty())
            context.Select(row.selected);
        if (row.modalResult == vcl::mrOk)
            context.Results.Add("stale"); // every accept attempt starts afresh

        bool canClose = true;
        kw::TypedNameCloseQuery(context, row.modalResult, canClose);
        EXPECT_EQ(canClose, row.canClose) << row.label;
        EXPECT_EQ(context.ResultNames(), AtAll(row.results)) << row.label;
        EXPECT_EQ(context.Base(), At(row.shownAfter)) << row.label;
        EXPECT_EQ(context.UserFilter, row.userFilter) << row.label;
        EXPECT_EQ(context.Edit, row.editAfter) << row.label;
        EXPECT_EQ(context.Beeps, row.beeps) << row.label;
        EXPECT_EQ(context.Boxes.size(), row.boxes) << row.label;
        EXPECT_EQ(CurrentDir(), At(row.currentDir)) << row.label;
    }
}

TEST_F(TypedNameFolder, CloseQueryLeavesTheDirectoryWithoutAFolderPath)
{
    FolderContext context(At("docs"));
    context.Show(""); // a virtual folder
    bool canClose = true;
    kw::TypedNameCloseQuery(context, vcl::mrCancel, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_EQ(CurrentDir(), "/");
}

TEST_F(TypedNameFolder, CloseQueryIgnoresAFailingChdir)
{
    fs::create_directory(At("gone"));
    FolderContext context(At("gone"));
    fs::remove(At("gone"));
    bool canClose = true;
    EXPECT_NO_THROW(kw::TypedNameCloseQuery(context, vcl::mrCancel, canClose));
    EXPECT_TRUE(canClose);
    EXPECT_EQ(CurrentDir(), "/");
}

TEST_F(TypedNameFolder, ExtensionFlagReachesTheForm)
{
    FolderContext context(Root_);
    context.DefaultExtValue = "txt";
    context.TypeMask = "*.pas;*.dpr";
    EXPECT_TRUE(kw::ParseInputString(context, "unit"));
    EXPECT_EQ(context.ResultNames(), AtAll({"unit.dpr"}));
    EXPECT_TRUE(context.OptionsValue.Contains(kw::kwofExtensionDifferent));

    context.TypeMask = "*.txt";
    EXPECT_TRUE(kw::ParseInputString(context, "unit"));
    EXPECT_EQ(context.ResultNames(), AtAll({"unit.txt"}));
    EXPECT_FALSE(context.OptionsValue.Contains(kw::kwofExtensionDifferent));
}

} // namespace
