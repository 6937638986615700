// Opening through GIO's application registry, so that the application chosen
// is the desktop's own choice (mimeapps.list and the installed entries).

#include "shell32/Opening.h"

#include "shell32/DesktopEntry.h"
#include "win32/Errors.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <atomic>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace shell32 {

namespace {

std::atomic<OpenHook> g_hook{nullptr};

struct ObjectUnref {
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

// Desktop entries are small; a larger file named like one is opened as the
// file it is (as the shortcut predicate reads it).
constexpr off_t kMaxEntrySize = 1 << 20;

// What the target is handed to: an application and the file or URL it gets
// (neither for a desktop entry that is launched itself).
struct Choice {
    GObjectPtr<GAppInfo> app;
    GObjectPtr<GFile> file;
    std::string uri;
    std::vector<GObjectPtr<GFile>> files; // what a launched entry is given
    DWORD error = ERROR_SUCCESS;
};

Choice Failed(DWORD error)
{
    Choice choice;
    choice.error = error;
    return choice;
}

// The scheme of a URL ("http" of "http://host/"), lower-cased; empty for a
// path.
std::string SchemeOf(std::string_view target)
{
    const std::size_t colon = target.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return {};
    std::string scheme;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = target[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        if (!letter && (i == 0 || !(digit || c == '+' || c == '-' || c == '.')))
            return {};
        scheme += static_cast<char>(letter && c < 'a' ? c - 'A' + 'a' : c);
    }
    return scheme;
}

bool IsOfferedScheme(const std::string& scheme)
{
    return scheme == "http" || scheme == "https" || scheme == "mailto";
}

// The path a target names: itself, or the local path of a file URL (false
// for one that names no local file).
bool LocalPath(const std::string& target, const std::string& scheme, std::string& path)
{
    if (scheme != "file") {
        path = target;
        return true;
    }
    GObjectPtr<GFile> file(g_file_new_for_uri(target.c_str()));
    gchar* local = g_file_get_path(file.get());
    if (!local)
        return false;
    path = local;
    g_free(local);
    return true;
}

std::string EntryType(const std::string& path)
{
    GKeyFile* keys = g_key_file_new();
    std::string type;
    if (g_key_file_load_from_file(keys, path.c_str(), G_KEY_FILE_NONE, nullptr)) {
        if (gchar* value =
                g_key_file_get_string(keys, G_KEY_FILE_DESKTOP_GROUP, G_KEY_FILE_DESKTOP_KEY_TYPE, nullptr)) {
            type = value;
            g_free(value);
        }
    }
    g_key_file_free(keys);
    return type;
}

std::string ContentTypeOf(GFile* file)
{
    GObjectPtr<GFileInfo> info(g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                                 G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    const char* type = info ? g_file_info_get_content_type(info.get()) : nullptr;
    return type ? type : "application/octet-stream";
}

// The file at path with its content type; refused when it is a program or
// script that may be run, or not a regular file or folder.
Choice FileTarget(const std::string& path, std::string& contentType)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return Failed(win32::ErrorFromPathErrno(errno, path.c_str(), win32::PathUse::Existing));
    Choice choice;
    choice.file.reset(g_file_new_for_path(path.c_str()));
    if (S_ISDIR(st.st_mode)) {
        contentType = "inode/directory";
        return choice;
    }
    if (!S_ISREG(st.st_mode))
        return Failed(ERROR_ACCESS_DENIED);
    contentType = ContentTypeOf(choice.file.get());
    if ((st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) && g_content_type_can_be_executable(contentType.c_str()))
        return Failed(ERROR_ACCESS_DENIED);
    return choice;
}

Choice Choose(const std::string& target, int depth);

// A desktop entry: an Application is launched when its file may be run, a
// Link opens its target; anything else is a plain file.
bool ChooseEntry(const std::string& path, int depth, Choice& choice)
{
    struct stat st {};
    if (!HasDesktopEntrySuffix(path) || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size > kMaxEntrySize)
        return false;
    const std::string type = EntryType(path);
    if (type == "Application") {
        if (access(path.c_str(), X_OK) != 0) {
            choice = Failed(ERROR_ACCESS_DENIED);
            return true;
        }
        choice = Choice();
        choice.app.reset(G_APP_INFO(g_desktop_app_info_new_from_filename(path.c_str())));
        if (!choice.app)
            choice.error = ERROR_ACCESS_DENIED;
        return true;
    }
    if (type == "Link") {
        ShortcutData link;
        // A link to a link is not followed further.
        if (depth > 0 || FAILED(ReadShortcut(path, link)) || link.target.empty())
            choice = Failed(ERROR_ACCESS_DENIED);
        else
            choice = Choose(link.target, depth + 1);
        return true;
    }
    return false;
}

Choice Choose(const std::string& target, int depth)
{
    const std::string scheme = SchemeOf(target);
    if (!scheme.empty() && scheme != "file") {
        if (!IsOfferedScheme(scheme))
            return Failed(ERROR_NO_ASSOCIATION);
        Choice choice;
        choice.app.reset(g_app_info_get_default_for_uri_scheme(scheme.c_str()));
        if (!choice.app)
            return Failed(ERROR_NO_ASSOCIATION);
        choice.uri = target;
        return choice;
    }
    std::string path;
    if (!LocalPath(target, scheme, path))
        return Failed(ERROR_FILE_NOT_FOUND);
    Choice choice;
    if (ChooseEntry(path, depth, choice))
        return choice;
    std::string contentType;
    choice = FileTarget(path, contentType);
    if (choice.error)
        return choice;
    choice.app.reset(g_app_info_get_default_for_type(contentType.c_str(), FALSE));
    if (!choice.app)
        return Failed(ERROR_NO_ASSOCIATION);
    return choice;
}

DWORD ErrorOfLaunch(const GError* error)
{
    if (error->domain == G_SPAWN_ERROR) {
        switch (error->code) {
        case G_SPAWN_ERROR_NOENT:
            return ERROR_FILE_NOT_FOUND;
        case G_SPAWN_ERROR_ACCES:
        case G_SPAWN_ERROR_PERM:
            return ERROR_ACCESS_DENIED;
        default:
            break;
        }
    }
    if (error->domain == G_IO_ERROR && error->code == G_IO_ERROR_NOT_FOUND)
        return ERROR_FILE_NOT_FOUND;
    return ERROR_GEN_FAILURE;
}

BOOL Launch(const Choice& choice)
{
    GError* raw = nullptr;
    gboolean launched = FALSE;
    if (!choice.uri.empty()) {
        GList item{const_cast<char*>(choice.uri.c_str()), nullptr, nullptr};
        launched = g_app_info_launch_uris(choice.app.get(), &item, nullptr, &raw);
    } else if (choice.file) {
        GList item{choice.file.get(), nullptr, nullptr};
        launched = g_app_info_launch(choice.app.get(), &item, nullptr, &raw);
    } else if (!choice.files.empty()) {
        std::vector<GList> items(choice.files.size());
        for (std::size_t i = 0; i < items.size(); ++i)
            items[i] = GList{choice.files[i].get(), i + 1 < items.size() ? &items[i + 1] : nullptr,
                             i > 0 ? &items[i - 1] : nullptr};
        launched = g_app_info_launch(choice.app.get(), items.data(), nullptr, &raw);
    } else {
        launched = g_app_info_launch(choice.app.get(), nullptr, nullptr, &raw);
    }
    const ErrorPtr error(raw);
    if (!launched) {
        SetLastError(error ? ErrorOfLaunch(error.get()) : ERROR_GEN_FAILURE);
        return FALSE;
    }
    return TRUE;
}

// The target as "Open with" hands it to a chosen application: a URL as it is,
// a file as the file it is (an entry is not launched, only given).
Choice ChooseFor(const std::string& applicationId, const std::string& target)
{
    Choice choice;
    const std::string scheme = SchemeOf(target);
    if (!scheme.empty() && scheme != "file") {
        if (!IsOfferedScheme(scheme))
            return Failed(ERROR_NO_ASSOCIATION);
        choice.uri = target;
    } else {
        std::string path;
        if (!LocalPath(target, scheme, path))
            return Failed(ERROR_FILE_NOT_FOUND);
        std::string contentType;
        choice = FileTarget(path, contentType);
        if (choice.error)
            return choice;
    }
    choice.app.reset(G_APP_INFO(g_desktop_app_info_new(applicationId.c_str())));
    if (!choice.app)
        return Failed(ERROR_NO_ASSOCIATION);
    return choice;
}

// An Application entry launched with files; anything else is refused.
Choice ChooseEntryWithFiles(const std::string& entryPath, const std::vector<std::string>& files)
{
    Choice choice;
    if (!ChooseEntry(entryPath, 1, choice) || (!choice.app && !choice.error))
        return Failed(ERROR_ACCESS_DENIED);
    if (choice.error)
        return choice;
    for (const std::string& path : files)
        choice.files.emplace_back(g_file_new_for_path(path.c_str()));
    return choice;
}

} // namespace

OpenHook SetOpenHook(OpenHook hook)
{
    return g_hook.exchange(hook);
}

BOOL OpenWithDesktop(const OpenRequest& request)
{
    const Choice choice = !request.files.empty()        ? ChooseEntryWithFiles(request.target, request.files)
                          : request.application.empty() ? Choose(request.target, 0)
                                                        : ChooseFor(request.application, request.target);
    if (choice.error) {
        SetLastError(choice.error);
        return FALSE;
    }
    return Launch(choice);
}

BOOL OpenItem(HWND owner, const std::string& target)
{
    return OpenItemWith(owner, {}, target);
}

BOOL OpenItemWith(HWND owner, const std::string& applicationId, const std::string& target)
{
    OpenHook hook = g_hook.load();
    if (!hook)
        hook = OpenWithDesktop;
    return hook(OpenRequest{owner, target, applicationId, {}});
}

BOOL LaunchEntryWith(HWND owner, const std::string& entryPath, const std::vector<std::string>& files)
{
    if (files.empty())
        return OpenItem(owner, entryPath);
    OpenHook hook = g_hook.load();
    if (!hook)
        hook = OpenWithDesktop;
    return hook(OpenRequest{owner, entryPath, {}, files});
}

std::string DefaultApplicationFor(const std::string& target)
{
    const Choice choice = Choose(target, 0);
    if (choice.error) {
        SetLastError(choice.error);
        return {};
    }
    const char* id = g_app_info_get_id(choice.app.get());
    if (id)
        return id;
    // An entry outside the desktop's application folders has no id: its file
    // name stands for it.
    if (G_IS_DESKTOP_APP_INFO(choice.app.get())) {
        if (const char* file = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(choice.app.get()))) {
            const std::string_view name(file);
            return std::string(name.substr(name.rfind('/') + 1));
        }
    }
    SetLastError(ERROR_NO_ASSOCIATION);
    return {};
}

std::vector<OpenApplication> ApplicationsFor(const std::string& path)
{
    std::string contentType;
    const Choice target = FileTarget(path, contentType);
    if (target.error) {
        SetLastError(target.error);
        return {};
    }
    std::vector<OpenApplication> applications;
    auto add = [&applications](GAppInfo* app) {
        const char* id = g_app_info_get_id(app);
        if (!id)
            return;
        for (const OpenApplication& known : applications)
            if (known.id == id)
                return;
        const char* name = g_app_info_get_name(app);
        applications.push_back({id, name ? name : id});
    };
    // The default leads whatever order the registry lists them in.
    if (GObjectPtr<GAppInfo> preferred{g_app_info_get_default_for_type(contentType.c_str(), FALSE)})
        add(preferred.get());
    GList* all = g_app_info_get_all_for_type(contentType.c_str());
    for (GList* item = all; item; item = item->next)
        add(G_APP_INFO(item->data));
    g_list_free_full(all, g_object_unref);
    if (applications.empty())
        SetLastError(ERROR_NO_ASSOCIATION);
    return applications;
}

bool IsLaunchableEntry(const std::string& path)
{
    Choice choice;
    return ChooseEntry(path, 1, choice) && choice.app;
}

} // namespace shell32
