// ShellExecute hands documents and pages to the open hook and answers as
// the platform does: above 32 on success, an SE_ERR_ code otherwise.

#include "shell32/ShellExecute.h"
#include "TestSupport.h"
#include "shell32/Opening.h"
#include "win32/Errors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_opened;
BOOL g_answer = TRUE;
DWORD g_error = 0;

BOOL Record(const shell32::OpenRequest& request)
{
    g_opened.push_back(request.target);
    if (!g_answer)
        SetLastError(g_error);
    return g_answer;
}

TEST(ShellExecute, GoesThroughTheOpenHook)
{
    const shell32::OpenHook before = shell32::SetOpenHook(Record);
    struct Case {
        const char* Verb;
        const char* File;
        const char* Directory;
        BOOL Answer;
        DWORD Error;
        std::intptr_t Result;
        const char* Opened; // null: nothing reaches the hook
    };
    const Case cases[] = {
        {nullptr, "https://corvane.org/", nullptr, TRUE, 0, 33, "https://corvane.org/"},
        {"open", "/tmp/a b.txt", "/ignored", TRUE, 0, 33, "/tmp/a b.txt"},
        {"", "notes.txt", "/home/me", TRUE, 0, 33, "/home/me/notes.txt"},
        {nullptr, "notes.txt", "/home/me/", TRUE, 0, 33, "/home/me/notes.txt"},
        {nullptr, "/gone", nullptr, FALSE, ERROR_FILE_NOT_FOUND, SE_ERR_FNF, "/gone"},
        {nullptr, "/secret", nullptr, FALSE, ERROR_ACCESS_DENIED, SE_ERR_ACCESSDENIED, "/secret"},
        {nullptr, "/a.odd", nullptr, FALSE, ERROR_NO_ASSOCIATION, SE_ERR_NOASSOC, "/a.odd"},
        {"print", "/tmp/a.txt", nullptr, TRUE, 0, SE_ERR_NOASSOC, nullptr},
        {nullptr, "", nullptr, TRUE, 0, SE_ERR_FNF, nullptr},
    };
    for (const Case& c : cases) {
        g_opened.clear();
        g_answer = c.Answer;
        g_error = c.Error;
        const HINSTANCE result = ShellExecuteA(nullptr, c.Verb, c.File, nullptr, c.Directory, SW_SHOWNORMAL);
        EXPECT_EQ(reinterpret_cast<std::intptr_t>(result), c.Result) << c.File;
        EXPECT_EQ(g_opened, c.Opened ? std::vector<std::string>{c.Opened} : std::vector<std::string>{})
            << c.File;
    }
    shell32::SetOpenHook(before);
}

} // namespace
