#pragma once
// A mount source for tests: the table is mountinfo text, and the devices,
// labels and sizes are what the test says they are.
//
//     auto source = std::make_shared<win32::testing::TextMountSource>(text);
//     source->SetDevice("/media/me/STICK", {true, true, false});
//     win32::testing::ScopedMountSource use(source);

#include "CorvanePlatformExport.h"
#include "win32/MountTable.h"

#include <map>

namespace win32::testing {

class CORVANE_PLATFORM_EXPORT TextMountSource final : public MountSource {
public:
    explicit TextMountSource(std::string mountInfo = {}) : Text_(std::move(mountInfo)) {}

    // Tells the mount monitor, as the system's table does when it changes.
    void SetText(std::string mountInfo)
    {
        Text_ = std::move(mountInfo);
        ++Revision_;
        NotifyMountTableChanged();
    }
    // ReadMounts fails with this errno while it is not 0.
    void SetReadError(int error) { ReadError_ = error; }
    // Keyed by mount point as it appears in the table (unescaped).
    void SetDevice(const std::string& mountPoint, BlockDeviceInfo info)
    {
        Devices_[mountPoint] = info;
        ++Revision_;
    }
    void SetLabel(const std::string& mountPoint, std::string label)
    {
        Labels_[mountPoint] = std::move(label);
        ++Revision_;
    }
    // The sizes of the mount at mountPoint, for every path it holds.
    void SetSpace(const std::string& mountPoint, DriveSpace space) { Spaces_[mountPoint] = space; }
    // How often each probe was asked (to check what is cached).
    int DeviceProbes() const { return DeviceProbes_; }
    int TableReads() const { return TableReads_; }

    bool ReadMounts(std::vector<MountEntry>& entries) override;
    BlockDeviceInfo ProbeDevice(const MountEntry& entry) override;
    std::string ProbeLabel(const MountEntry& entry) override;
    bool QuerySpace(const std::string& path, DriveSpace& space) override;
    std::uint64_t Revision() const override { return Revision_; }

private:
    std::uint64_t Revision_ = 0;
    int DeviceProbes_ = 0;
    int TableReads_ = 0;
    std::string Text_;
    int ReadError_ = 0;
    std::map<std::string, BlockDeviceInfo> Devices_;
    std::map<std::string, std::string> Labels_;
    std::map<std::string, DriveSpace> Spaces_;
};

// Uses a source for the life of the object, then restores what was there.
class CORVANE_PLATFORM_EXPORT ScopedMountSource {
public:
    explicit ScopedMountSource(std::shared_ptr<MountSource> source)
        : Previous_(SetMountSource(std::move(source)))
    {
    }
    ~ScopedMountSource() { SetMountSource(std::move(Previous_)); }
    ScopedMountSource(const ScopedMountSource&) = delete;
    ScopedMountSource& operator=(const ScopedMountSource&) = delete;

private:
    std::shared_ptr<MountSource> Previous_;
};

} // namespace win32::testing
