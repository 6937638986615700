// Item id lists and the shell allocator: the byte-level operations on lists
// that the whole library uses, and the string-return record's text.

#include "UKwShellUtils.h"
#include "UKwShellUtils_p.h"

#include "shell32/ShellApi.h"
#include "win32/WideText.h"

#include <atomic>
#include <climits>
#include <cstring>

namespace kw {

namespace {

// Held for the life of the process and never released (as the shell's own
// allocator reference is kept by the unit).
std::atomic<IMalloc*> HeldShellMalloc{nullptr};

// Installs candidate (which carries a reference for us) unless an allocator
// is already held; a loser's reference goes back.
IMalloc* InstallShellMalloc(IMalloc* candidate)
{
    IMalloc* expected = nullptr;
    if (HeldShellMalloc.compare_exchange_strong(expected, candidate, std::memory_order_acq_rel))
        return candidate;
    candidate->Release();
    return expected;
}

const BYTE* Bytes(const ITEMIDLIST* pidl)
{
    return reinterpret_cast<const BYTE*>(pidl);
}

// The bytes of the items without the terminator; 0 for null.
size_t PayloadLen(const ITEMIDLIST* pidl)
{
    const int length = IdListLen(pidl);
    return length > 2 ? static_cast<size_t>(length) - 2 : 0;
}

void* AllocWith(IMalloc* malloc, size_t size)
{
    if (size > ULONG_MAX)
        return nullptr;
    return malloc ? malloc->Alloc(size) : ShellMemAlloc(static_cast<ULONG>(size));
}

bool IsEmptyList(const ITEMIDLIST* pidl)
{
    return detail::ReadItemCount(Bytes(pidl)) == 0;
}

} // namespace

namespace detail {

void SetShellIMalloc(IMalloc* malloc)
{
    if (!malloc)
        return;
    malloc->AddRef();
    InstallShellMalloc(malloc);
}

} // namespace detail

IMalloc* ShellIMalloc()
{
    if (IMalloc* held = HeldShellMalloc.load(std::memory_order_acquire))
        return held;
    IMalloc* obtained = nullptr;
    if (FAILED(SHGetMalloc(&obtained)) || !obtained)
        return nullptr;
    return InstallShellMalloc(obtained);
}

void* ShellMemAlloc(ULONG size)
{
    IMalloc* malloc = ShellIMalloc();
    return malloc ? malloc->Alloc(size) : nullptr;
}

void* ShellMemRealloc(void* p, ULONG size)
{
    if (!p)
        return nullptr;
    IMalloc* malloc = ShellIMalloc();
    return malloc ? malloc->Realloc(p, size) : nullptr;
}

void ShellMemFree(void* p)
{
    if (!p)
        return;
    if (IMalloc* malloc = ShellIMalloc())
        malloc->Free(p);
}

int IdListLen(const ITEMIDLIST* pidl)
{
    if (!pidl)
        return 0;
    const BYTE* p = Bytes(pidl);
    size_t sum = 0;
    while (const unsigned count = detail::ReadItemCount(p + sum))
        sum += count;
    return static_cast<int>(sum + 2);
}

PItemIDList CopyIdList(IMalloc* malloc, const ITEMIDLIST* pidl)
{
    const size_t payload = PayloadLen(pidl);
    auto* copy = static_cast<BYTE*>(AllocWith(malloc, payload + 2));
    if (!copy)
        return nullptr;
    if (payload)
        std::memcpy(copy, pidl, payload);
    detail::WriteTerminator(copy + payload);
    return reinterpret_cast<PItemIDList>(copy);
}

PItemIDList ConcatIdLists(IMalloc* malloc, const ITEMIDLIST* a, const ITEMIDLIST* b)
{
    const size_t lengthA = PayloadLen(a);
    const size_t lengthB = PayloadLen(b);
    auto* joined = static_cast<BYTE*>(AllocWith(malloc, lengthA + lengthB + 2));
    if (!joined)
        return nullptr;
    if (lengthA)
        std::memcpy(joined, a, lengthA);
    if (lengthB)
        std::memcpy(joined + lengthA, b, lengthB);
    detail::WriteTerminator(joined + lengthA + lengthB);
    return reinterpret_cast<PItemIDList>(joined);
}

int CompareAbsIdLists(const ITEMIDLIST* a, const ITEMIDLIST* b)
{
    if (!a && !b)
        return 0;
    if (!a || !b)
        return -1;
    const bool emptyA = IsEmptyList(a);
    const bool emptyB = IsEmptyList(b);
    if (emptyA && emptyB)
        return 0;
    if (emptyA || emptyB)
        return -1;
    com::ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.ReleaseAndGetAddressOf())) || !desktop)
        return INT_MAX;
    const HRESULT hr = desktop->CompareIDs(0, a, b);
    if (FAILED(hr))
        return INT_MAX;
    return static_cast<SHORT>(HRESULT_CODE(hr));
}

std::string StrretToString(const ITEMIDLIST* pidl, const STRRET& strRet)
{
    switch (strRet.uType) {
    case STRRET_WSTR:
        if (!strRet.pOleStr)
            return {};
        return win32::WideToBytes(strRet.pOleStr);
    case STRRET_OFFSET: {
        // The text lies inside the list it was returned for; nothing past
        // the list's end is read. The terminator's zero bytes end any text
        // that starts inside the list.
        if (!pidl)
            return {};
        const size_t length = static_cast<size_t>(IdListLen(pidl));
        const size_t offset = strRet.uOffset;
        if (offset >= length)
            return {};
        const char* text = reinterpret_cast<const char*>(pidl) + offset;
        return std::string(text, strnlen(text, length - offset));
    }
    case STRRET_CSTR:
        return std::string(strRet.cStr, strnlen(strRet.cStr, sizeof(strRet.cStr)));
    default:
        return {};
    }
}

void StrretFree(STRRET& strRet)
{
    if (strRet.uType == STRRET_WSTR && strRet.pOleStr) {
        CoTaskMemFree(strRet.pOleStr);
        strRet.pOleStr = nullptr;
    }
}

} // namespace kw
