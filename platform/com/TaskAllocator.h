#pragma once
// The task allocator: the one heap behind CoTaskMemAlloc, CoGetMalloc and the
// shell allocator (SHGetMalloc). A block from any of them may be freed or
// resized by any other. The allocator object lives for the whole process, so
// releasing it is harmless and keeping it is free.
//
// A pointer that did not come from this heap (or was already freed) is never
// touched: Free ignores it, Realloc refuses it, GetSize answers (SIZE_T)-1 and
// DidAlloc 0. com::testing::ForeignTaskFrees() counts such calls.

#include "CorvanePlatformExport.h"
#include "com/Unknown.h"

inline constexpr IID IID_IMalloc = com::MakeGuid("{00000002-0000-0000-C000-000000000046}");

class CORVANE_PLATFORM_EXPORT IMalloc : public IUnknown {
public:
    virtual void* Alloc(SIZE_T cb) = 0;
    virtual void* Realloc(void* pv, SIZE_T cb) = 0;
    virtual void Free(void* pv) = 0;
    virtual SIZE_T GetSize(void* pv) = 0;
    virtual int DidAlloc(void* pv) = 0;
    virtual void HeapMinimize() = 0;
};
KW_DECLARE_INTERFACE(IMalloc, IUnknown)
using LPMALLOC = IMalloc*;

// The memory context CoGetMalloc accepts.
constexpr DWORD MEMCTX_TASK = 1;

// A block of cb bytes (a distinct block also for 0), or null.
CORVANE_PLATFORM_EXPORT LPVOID CoTaskMemAlloc(SIZE_T cb);
// Realloc(null, n) allocates; Realloc(p, 0) frees p and returns null; on
// failure null is returned and p stays valid.
CORVANE_PLATFORM_EXPORT LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
// Null is ignored.
CORVANE_PLATFORM_EXPORT void CoTaskMemFree(LPVOID pv);

// The task allocator, with a reference for the caller. E_INVALIDARG for a
// context other than MEMCTX_TASK or a null out-parameter.
CORVANE_PLATFORM_EXPORT HRESULT CoGetMalloc(DWORD memContext, IMalloc** malloc);
// The shell's allocator: the same heap.
CORVANE_PLATFORM_EXPORT HRESULT SHGetMalloc(IMalloc** malloc);
