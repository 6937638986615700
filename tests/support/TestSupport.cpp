#include "TestSupport.h"
#include "win32/GlobalMemory.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace kwtest {

std::string OutputDir()
{
    const char* env = std::getenv("KW_TEST_OUTPUT");
    std::string dir =
        env && *env ? env : (std::filesystem::temp_directory_path() / "corvane-test-output").string();
    std::filesystem::create_directories(dir);
    return dir;
}

std::string OutputPath(const std::string& fileName)
{
    return OutputDir() + "/" + fileName;
}

TempDir::TempDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "corvane-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    Path_ = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(Path_, ec);
}

ScopedTimeZone::ScopedTimeZone(const char* zone)
{
    if (const char* old = std::getenv("TZ"))
        Old_ = old;
    setenv("TZ", zone, 1);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone()
{
    if (Old_)
        setenv("TZ", Old_->c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

RemovedCurrentDirectory::RemovedCurrentDirectory() : Saved_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    const TempDir gone; // removed at the end of this block, with the process standing in it
    if (Saved_ >= 0 && ::chdir(gone.Path().c_str()) == 0)
        return;
    if (Saved_ >= 0)
        ::close(Saved_);
    throw std::runtime_error("cannot enter a temporary folder");
}

RemovedCurrentDirectory::~RemovedCurrentDirectory()
{
    if (::fchdir(Saved_) != 0)
        std::abort(); // every later test would run from a removed folder
    ::close(Saved_);
}

HGLOBAL GlobalBlockOf(std::string_view bytes)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (block && !bytes.empty()) {
        std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
    }
    return block;
}

std::string GlobalBlockBytes(HGLOBAL block)
{
    const win32::LockedGlobal locked(block);
    if (!locked.Data())
        return {};
    return std::string(static_cast<const char*>(locked.Data()), locked.Size());
}

} // namespace kwtest
