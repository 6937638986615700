// The mount monitor: a message-only window of the GUI thread that compares
// the drives with its last snapshot whenever the mount source says the table
// changed, and tells the registered windows what came and went.

#include "win32/MountMonitor.h"

#include "win32/DeviceChange.h"
#include "win32/MountTable.h"
#include "win32/WindowManager.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>

namespace win32 {

namespace {

// Only ever posted to the monitor's own window.
constexpr UINT kCheckTable = WM_USER + 1;

std::atomic<HWND> gMonitorWindow{nullptr};
std::atomic<bool> gCheckPosted{false};
std::atomic<bool> gSourceReplaced{false};

// Any thread: one check is posted however many changes come before it runs.
void TableMayHaveChanged(bool sourceReplaced)
{
    if (sourceReplaced)
        gSourceReplaced.store(true);
    const HWND window = gMonitorWindow.load();
    if (window && !gCheckPosted.exchange(true))
        PostMessage(window, kCheckTable, 0, 0);
}

class Monitor final : public WindowProcedure {
public:
    std::vector<HWND> Windows;
    std::size_t Checks = 0;

    void Start()
    {
        Window_ = CreateWindowFor(this, {});
        Watch();
        gCheckPosted.store(false);
        gSourceReplaced.store(false);
        gMonitorWindow.store(Window_);
        SetMountTableObserver(&TableMayHaveChanged);
    }

    void Stop()
    {
        SetMountTableObserver(nullptr);
        gMonitorWindow.store(nullptr);
        Unwatch();
        DestroyWindow(Window_); // a check still in the mail goes with it
        Window_ = nullptr;
        Drives_.clear();
    }

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != kCheckTable)
            return DefWindowProc(window, message, wParam, lParam);
        gCheckPosted.store(false);
        if (gSourceReplaced.exchange(false) || CurrentMountSource() != Watched_) {
            Unwatch();
            Watch();
        } else {
            Check();
        }
        return 0;
    }

private:
    void Watch()
    {
        Watched_ = CurrentMountSource();
        Watched_->StartWatching();
        std::vector<Drive> drives;
        if (ReadUserVisibleDrives(drives))
            Drives_ = std::move(drives);
        else
            Drives_.clear();
    }

    void Unwatch()
    {
        if (Watched_)
            Watched_->StopWatching();
        Watched_.reset();
    }

    void Check()
    {
        ++Checks;
        std::vector<Drive> current;
        if (!ReadUserVisibleDrives(current))
            return; // an unreadable table says nothing: keep the last snapshot
        const std::vector<Drive> previous = std::exchange(Drives_, current);
        const DriveChanges changes = Diff(previous, current);
        for (const Drive& drive : changes.Removed)
            Announce(DBT_DEVICEREMOVECOMPLETE, drive, previous);
        for (const Drive& drive : changes.Arrived)
            Announce(DBT_DEVICEARRIVAL, drive, current);
    }

    void Announce(WPARAM event, const Drive& drive, const std::vector<Drive>& drives)
    {
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof volume;
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        const auto found = std::find_if(drives.begin(), drives.end(),
                                        [&](const Drive& d) { return d.MountPoint == drive.MountPoint; });
        const auto index = static_cast<std::size_t>(found - drives.begin());
        if (index < 32)
            volume.dbcv_unitmask = DWORD{1} << index;
        if (drive.Kind == DriveKind::Remote)
            volume.dbcv_flags = DBTF_NET;
        else if (drive.Kind == DriveKind::CdRom)
            volume.dbcv_flags = DBTF_MEDIA;
        // A window may leave the list while it is told.
        const std::vector<HWND> windows = Windows;
        for (const HWND window : windows) {
            if (std::find(Windows.begin(), Windows.end(), window) != Windows.end())
                SendMessage(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume));
        }
    }

    HWND Window_ = nullptr;
    std::shared_ptr<MountSource> Watched_;
    std::vector<Drive> Drives_;
};

Monitor& TheMonitor()
{
    static Monitor& monitor = *new Monitor;
    return monitor;
}

} // namespace

void AddDeviceChangeWindow(HWND window)
{
    Monitor& monitor = TheMonitor();
    if (!window || std::find(monitor.Windows.begin(), monitor.Windows.end(), window) != monitor.Windows.end())
        return;
    if (monitor.Windows.empty())
        monitor.Start();
    monitor.Windows.push_back(window);
}

void RemoveDeviceChangeWindow(HWND window)
{
    Monitor& monitor = TheMonitor();
    const auto found = std::find(monitor.Windows.begin(), monitor.Windows.end(), window);
    if (found == monitor.Windows.end())
        return;
    monitor.Windows.erase(found);
    if (monitor.Windows.empty())
        monitor.Stop();
}

namespace testing {

std::size_t MountTableChecks()
{
    return TheMonitor().Checks;
}

} // namespace testing

} // namespace win32
