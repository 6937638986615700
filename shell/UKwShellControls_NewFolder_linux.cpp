// New folders under a free name: "New Folder", "New Folder (2)", ..., then
// "fldr", "fldr2", ..., each made with mkdirat in the opened directory, so the
// directory checked is the one the folder lands in.

#include "UKwShellControls.h"
#include "UKwShellControls_p.h"

#include "UKwShConsts.h"

#include "vcl/core/Format.h"
#include "vcl/core/SysUtils.h"
#include "vcl/widgets/Dialogs.h"
#include "win32/Errors.h"

#include <sys/stat.h>

#include <cerrno>
#include <functional>
#include <string>

namespace kw {

namespace {

// What a name of a pass is for its number (1, 2, ...).
using NameOfAttempt = std::function<std::string(int attempt)>;

enum class PassEnd {
    Made,    // a folder was made
    AllUsed, // every name was taken
    Failed,  // an error other than a taken name; warned about
};

void WarnUnableToCreate(DWORD error, const std::string& name)
{
    vcl::MessageDlg(FormatStrPos(KwLoadStr(&SUnableToCreateFolder), {vcl::SysErrorMessage(error), name}),
                    vcl::mtWarning, {vcl::mbOK}, 0);
}

PassEnd RunPass(int directory, const NameOfAttempt& nameOf, std::string& newName)
{
    for (int attempt = 1; attempt <= KWSH_MAX_FOLDER_ATTEMPTS; ++attempt) {
        const std::string name = nameOf(attempt);
        // 0777: the umask takes away what the user does not give new folders.
        if (::mkdirat(directory, name.c_str(), 0777) == 0) {
            newName = name;
            return PassEnd::Made;
        }
        if (errno != EEXIST) {
            WarnUnableToCreate(win32::ErrorFromErrno(errno), name);
            return PassEnd::Failed;
        }
    }
    return PassEnd::AllUsed;
}

} // namespace

bool KwShCreateNewFolder(const std::string& directory, std::string& newName)
{
    const std::string newFolder = KwLoadStr(&SNewFolder);
    // No directory is no place to make a folder in: the current directory
    // would put it somewhere the caller never showed.
    if (directory.empty()) {
        WarnUnableToCreate(ERROR_PATH_NOT_FOUND, newFolder);
        return false;
    }
    if (KWSH_MAX_FOLDER_ATTEMPTS < 1) {
        WarnUnableToCreate(ERROR_ALREADY_EXISTS, newFolder);
        return false;
    }
    const shell32::FileDescriptor folder = detail::OpenFolder(directory);
    if (!folder.Valid()) {
        WarnUnableToCreate(win32::ErrorFromPathErrno(errno, directory.c_str(), win32::PathUse::New),
                           newFolder);
        return false;
    }
    const NameOfAttempt passes[] = {
        [&newFolder](int attempt) {
            return attempt > 1 ? newFolder + vcl::Format(" (%d)", {attempt}) : newFolder;
        },
        [](int attempt) { return attempt > 1 ? "fldr" + std::to_string(attempt) : std::string("fldr"); },
    };
    for (const NameOfAttempt& pass : passes) {
        switch (RunPass(folder.Get(), pass, newName)) {
        case PassEnd::Made:
            return true;
        case PassEnd::Failed:
            // Whatever failed one name fails the next too: one warning is enough.
            return false;
        case PassEnd::AllUsed:
            break;
        }
    }
    WarnUnableToCreate(ERROR_ALREADY_EXISTS, newFolder);
    return false;
}

} // namespace kw
