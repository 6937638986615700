#include "win32/MountTesting.h"

#include <cerrno>

namespace win32::testing {

bool TextMountSource::ReadMounts(std::vector<MountEntry>& entries)
{
    ++TableReads_;
    if (ReadError_ != 0) {
        errno = ReadError_;
        return false;
    }
    return ParseMountTable(Text_, entries);
}

BlockDeviceInfo TextMountSource::ProbeDevice(const MountEntry& entry)
{
    ++DeviceProbes_;
    const auto found = Devices_.find(entry.MountPoint);
    return found != Devices_.end() ? found->second : BlockDeviceInfo{};
}

std::string TextMountSource::ProbeLabel(const MountEntry& entry)
{
    const auto found = Labels_.find(entry.MountPoint);
    return found != Labels_.end() ? found->second : std::string();
}

bool TextMountSource::QuerySpace(const std::string& path, DriveSpace& space)
{
    // As statvfs: the sizes of the innermost mount that holds path; a mount
    // the test gave no sizes cannot be asked (no medium, a dead share).
    std::vector<MountEntry> entries;
    const MountEntry* holder = ParseMountTable(Text_, entries) ? FindMountOf(entries, path) : nullptr;
    if (!holder) {
        errno = ENOENT;
        return false;
    }
    const auto found = Spaces_.find(NormalizeMountPath(holder->MountPoint));
    if (found == Spaces_.end()) {
        errno = EIO;
        return false;
    }
    space = found->second;
    return true;
}

} // namespace win32::testing
