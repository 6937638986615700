#include "win32/FolderPicker.h"

#include "win32/Errors.h"

#include <atomic>

namespace win32 {

namespace {
std::atomic<FolderPickerFactory> g_factory{nullptr};
} // namespace

FolderPickerFactory SetDefaultFolderPicker(FolderPickerFactory factory)
{
    return g_factory.exchange(factory);
}

std::unique_ptr<FolderPicker> CreateFolderPicker(const FolderPickerRequest& request)
{
    const FolderPickerFactory factory = g_factory.load();
    if (!factory) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    return factory(request);
}

} // namespace win32
