// The device-change broadcaster and the drive-information flush.

#include "UKwShellUtils.h"
#include "UKwShellUtils_Startup_p.h"

#include "shell32/ShellFlags.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/MessageWindows.h"
#include "win32/DeviceChange.h"
#include "win32/MountMonitor.h"
#include "win32/WindowManager.h"

#include <algorithm>
#include <string>

namespace kw {

namespace {

// WM_DEVICECHANGE re-posted by the handler to its own window.
constexpr UINT KW_DEVICECHANGE = WM_USER + 100;

// The broadcast data stays the sender's: it is gone once the send returns,
// so a message handled later carries a copy of it.
std::vector<unsigned char> CopyBroadcastData(WPARAM event, LPARAM lParam)
{
    if (!DeviceChangeCarriesData(event) || lParam == 0)
        return {};
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
    constexpr DWORD kMostData = 64 * 1024;
    const DWORD size = std::clamp<DWORD>(header->dbch_size, sizeof(DEV_BROADCAST_HDR), kMostData);
    const auto* bytes = reinterpret_cast<const unsigned char*>(header);
    std::vector<unsigned char> copy(bytes, bytes + size);
    reinterpret_cast<DEV_BROADCAST_HDR*>(copy.data())->dbch_size = size;
    return copy;
}

void FreeHandler(TKwDeviceChangeHandler* handler)
{
    delete handler;
}

} // namespace

std::int32_t gFlushDriveInfoSem = 0;

TKwDeviceChangeHandler::TKwDeviceChangeHandler()
{
    FWindow = vcl::AllocateHWnd(vcl::TWndMethod(this, &TKwDeviceChangeHandler::WndProc));
    win32::AddDeviceChangeWindow(FWindow);
}

TKwDeviceChangeHandler::~TKwDeviceChangeHandler()
{
    win32::RemoveDeviceChangeWindow(FWindow);
    vcl::DeallocateHWnd(FWindow);
}

void TKwDeviceChangeHandler::Add(TKwDeviceChangeEvent Event)
{
    FList.push_back(std::make_shared<TListener>(TListener{Event}));
}

void TKwDeviceChangeHandler::Remove(TKwDeviceChangeEvent Event)
{
    const auto found =
        std::find_if(FList.begin(), FList.end(), [&](const auto& l) { return l->Event == Event; });
    if (found != FList.end())
        DeleteItem(static_cast<int>(found - FList.begin()));
}

void TKwDeviceChangeHandler::DeleteItem(int Index)
{
    if (Index < 0 || Index >= Count())
        throw vcl::EListError("List index out of bounds (" + std::to_string(Index) + ")");
    // A broadcast under way holds the record and sees it marked.
    FList[Index]->Removed = true;
    FList.erase(FList.begin() + Index);
}

void TKwDeviceChangeHandler::BroadcastToList(vcl::TMessage& Message)
{
    const std::vector<std::shared_ptr<TListener>> listeners = FList;
    for (const std::shared_ptr<TListener>& listener : listeners) {
        if (listener->Removed)
            continue;
        try {
            listener->Event(this, Message);
        } catch (const vcl::Exception&) {
            vcl::Application()->HandleException(this);
        }
    }
}

void TKwDeviceChangeHandler::WndProc(vcl::TMessage& Message)
{
    switch (Message.Msg) {
    case WM_DEVICECHANGE:
        // Passed on only after the broadcast has been answered.
        FHeld.push_back(CopyBroadcastData(Message.WParam, Message.LParam));
        if (!PostMessage(FWindow, KW_DEVICECHANGE, Message.WParam, Message.LParam))
            FHeld.pop_back();
        Message.Result = DefWindowProc(FWindow, Message.Msg, Message.WParam, Message.LParam);
        break;
    case KW_DEVICECHANGE: {
        if (FHeld.empty())
            break; // not one of ours
        const std::vector<unsigned char> data = std::move(FHeld.front());
        FHeld.pop_front();
        vcl::TMessage broadcast = Message;
        broadcast.Msg = WM_DEVICECHANGE;
        broadcast.LParam = data.empty() ? (DeviceChangeCarriesData(Message.WParam) ? 0 : Message.LParam)
                                        : reinterpret_cast<LPARAM>(data.data());
        BroadcastToList(broadcast);
        break;
    }
    default:
        Message.Result = DefWindowProc(FWindow, Message.Msg, Message.WParam, Message.LParam);
        break;
    }
}

TKwDeviceChangeHandler* KwDeviceChangeHandler()
{
    if (TKwDeviceChangeHandler* handler = detail::DeviceChangeHandler())
        return handler;
    auto* handler = new TKwDeviceChangeHandler;
    detail::SetDeviceChangeHandler(handler, &FreeHandler);
    return handler;
}

void FlushDriveInfoCache()
{
    if (gFlushDriveInfoSem != 0)
        return;
    PItemIDList pidl = nullptr;
    HRESULT hr = ShellGetSpecialFolderIdList(nullptr, csidlDrives, &pidl);
    if (FAILED(hr))
        vcl::OleError(hr);
    IShellFolder* folder = nullptr;
    hr = ShellGetFolderFromIdList(pidl, &folder);
    ShellMemFree(pidl);
    if (FAILED(hr))
        vcl::OleError(hr);
    ULONG attributes = SFGAO_VALIDATE;
    folder->GetAttributesOf(0, nullptr, &attributes);
    folder->Release();
}

void LockFlushDriveInfoCache()
{
    ++gFlushDriveInfoSem;
}

void UnlockFlushDriveInfoCache()
{
    --gFlushDriveInfoSem;
}

} // namespace kw
