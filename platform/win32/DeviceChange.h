#pragma once
// Device-change broadcasts: what WM_DEVICECHANGE carries.
//
// wParam is the event; for arrivals and removals lParam points at a
// broadcast header that lives only while the message is being sent.

#include "CorvanePlatformExport.h"
#include "win32/WinTypes.h"

constexpr WPARAM DBT_DEVNODES_CHANGED = 0x0007;
constexpr WPARAM DBT_DEVICEARRIVAL = 0x8000;
constexpr WPARAM DBT_DEVICEQUERYREMOVE = 0x8001;
constexpr WPARAM DBT_DEVICEQUERYREMOVEFAILED = 0x8002;
constexpr WPARAM DBT_DEVICEREMOVEPENDING = 0x8003;
constexpr WPARAM DBT_DEVICEREMOVECOMPLETE = 0x8004;
constexpr WPARAM DBT_DEVICETYPESPECIFIC = 0x8005;
constexpr WPARAM DBT_CUSTOMEVENT = 0x8006;

constexpr DWORD DBT_DEVTYP_VOLUME = 0x00000002;

constexpr WORD DBTF_MEDIA = 0x0001;
constexpr WORD DBTF_NET = 0x0002;

struct CORVANE_PLATFORM_EXPORT DEV_BROADCAST_HDR {
    DWORD dbch_size;
    DWORD dbch_devicetype;
    DWORD dbch_reserved;
};

// A volume: unit mask bit i is the i-th drive root of the drives the
// broadcast speaks of (for an arrival those after it, for a removal those
// before it), as GetLogicalDrives numbers them.
struct CORVANE_PLATFORM_EXPORT DEV_BROADCAST_VOLUME {
    DWORD dbcv_size;
    DWORD dbcv_devicetype;
    DWORD dbcv_reserved;
    DWORD dbcv_unitmask;
    WORD dbcv_flags;
};

// Whether lParam of a WM_DEVICECHANGE with this event points at a
// broadcast header.
constexpr bool DeviceChangeCarriesData(WPARAM event)
{
    return event >= DBT_DEVICEARRIVAL && event <= DBT_CUSTOMEVENT;
}
