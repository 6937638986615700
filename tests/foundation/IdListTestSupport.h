#pragma once
// Hand-built item id lists for the foundation's tests, and a folder whose
// comparison a test chooses.

#include "UKwShellUtils.h"

#include "com/ComObject.h"

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kwtest {

// The bytes of a list made of items with these payloads (each item: its
// 16-bit little-endian count, payload size + 2, then the payload), with the
// terminator.
inline std::string ListBytes(std::initializer_list<std::string_view> payloads)
{
    std::string bytes;
    for (std::string_view payload : payloads) {
        const size_t count = payload.size() + 2;
        bytes += static_cast<char>(count & 0xFF);
        bytes += static_cast<char>(count >> 8);
        bytes += payload;
    }
    bytes += std::string(2, '\0');
    return bytes;
}

// A list held through the shell allocator and freed with the holder.
class OwnedList {
public:
    OwnedList() = default;
    explicit OwnedList(kw::PItemIDList pidl) : Pidl_(pidl) {}
    explicit OwnedList(std::string_view bytes)
    {
        Pidl_ = static_cast<kw::PItemIDList>(kw::ShellMemAlloc(static_cast<ULONG>(bytes.size())));
        std::memcpy(Pidl_, bytes.data(), bytes.size());
    }
    ~OwnedList() { kw::ShellMemFree(Pidl_); }
    OwnedList(const OwnedList&) = delete;
    OwnedList& operator=(const OwnedList&) = delete;
    OwnedList(OwnedList&& other) noexcept : Pidl_(std::exchange(other.Pidl_, nullptr)) {}
    OwnedList& operator=(OwnedList&& other) noexcept
    {
        std::swap(Pidl_, other.Pidl_);
        return *this;
    }

    kw::PItemIDList Get() const { return Pidl_; }
    kw::PItemIDList* Out()
    {
        kw::ShellMemFree(std::exchange(Pidl_, nullptr));
        return &Pidl_;
    }
    kw::PItemIDList Release() { return std::exchange(Pidl_, nullptr); }
    explicit operator bool() const { return Pidl_ != nullptr; }

private:
    kw::PItemIDList Pidl_ = nullptr;
};

inline OwnedList MakeList(std::initializer_list<std::string_view> payloads)
{
    return OwnedList(ListBytes(payloads));
}

// The bytes of a list, terminator included ("" for null).
inline std::string BytesOf(const ITEMIDLIST* pidl)
{
    if (!pidl)
        return {};
    return std::string(reinterpret_cast<const char*>(pidl), static_cast<size_t>(kw::IdListLen(pidl)));
}

// A folder that answers CompareIDs with a function of the test's choosing
// and nothing else.
class ComparingFolder : public com::ComObject<IShellFolder> {
public:
    using Comparison = std::function<HRESULT(LPCITEMIDLIST, LPCITEMIDLIST)>;
    explicit ComparingFolder(Comparison comparison) : Comparison_(std::move(comparison)) {}

    int Calls = 0;

    HRESULT CompareIDs(LPARAM, LPCITEMIDLIST a, LPCITEMIDLIST b) override
    {
        ++Calls;
        return Comparison_(a, b);
    }
    HRESULT ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, LPITEMIDLIST*, ULONG*) override
    {
        return E_NOTIMPL;
    }
    HRESULT EnumObjects(HWND, DWORD, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT GetAttributesOf(UINT, LPCITEMIDLIST*, ULONG*) override { return E_NOTIMPL; }
    HRESULT GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void**) override { return E_NOTIMPL; }
    HRESULT GetDisplayNameOf(LPCITEMIDLIST, DWORD, STRRET*) override { return E_NOTIMPL; }
    HRESULT SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, DWORD, LPITEMIDLIST*) override { return E_NOTIMPL; }

private:
    Comparison Comparison_;
};

// A comparison result as CompareIDs reports it: the order in the low 16
// bits of a success code.
inline HRESULT OrderResult(int order)
{
    return static_cast<HRESULT>(static_cast<WORD>(static_cast<SHORT>(order)));
}

} // namespace kwtest
