#pragma once
// Helpers shared by the test programs.

#include "win32/WinTypes.h"

#include <optional>
#include <string>
#include <string_view>

namespace kwtest {

// Folder where tests leave what a person may want to look at (screenshots);
// made on first use.
std::string OutputDir();
std::string OutputPath(const std::string& fileName);

// A moveable global block of exactly these bytes (so a read past them is
// caught), or null when the heap is exhausted; and a block's bytes.
HGLOBAL GlobalBlockOf(std::string_view bytes);
std::string GlobalBlockBytes(HGLOBAL block);

// A fresh temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return Path_; }
    std::string operator/(const std::string& name) const { return Path_ + "/" + name; }

private:
    std::string Path_;
};

// TZ for the life of the object (tzset both times), so that local times are
// what the test says.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> Old_;
};

// Stands in a folder that is removed at once, as when another program
// deletes the folder a process was started in; the old current directory
// comes back with the object's end.
class RemovedCurrentDirectory {
public:
    RemovedCurrentDirectory();
    ~RemovedCurrentDirectory();
    RemovedCurrentDirectory(const RemovedCurrentDirectory&) = delete;
    RemovedCurrentDirectory& operator=(const RemovedCurrentDirectory&) = delete;

private:
    int Saved_;
};

} // namespace kwtest
