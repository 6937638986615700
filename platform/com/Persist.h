#pragma once
// IPersist and IPersistFile: objects that name their class and load from or
// save to a file (shortcuts, for one).

#include "CorvanePlatformExport.h"
#include "com/OleTypes.h"
#include "com/StorageModes.h"
#include "com/Unknown.h"

inline constexpr IID IID_IPersist = com::MakeGuid("{0000010C-0000-0000-C000-000000000046}");
inline constexpr IID IID_IPersistFile = com::MakeGuid("{0000010B-0000-0000-C000-000000000046}");

class CORVANE_PLATFORM_EXPORT IPersist : public IUnknown {
public:
    virtual HRESULT GetClassID(CLSID* pClassID) = 0;
};
KW_DECLARE_INTERFACE(IPersist, IUnknown)
using LPPERSIST = IPersist*;

class CORVANE_PLATFORM_EXPORT IPersistFile : public IPersist {
public:
    // S_OK when changed since the last save, S_FALSE otherwise.
    virtual HRESULT IsDirty() = 0;
    // dwMode is a STGM_* combination.
    virtual HRESULT Load(LPCOLESTR pszFileName, DWORD dwMode) = 0;
    // A null name saves to the current file; fRemember makes a new name current.
    virtual HRESULT Save(LPCOLESTR pszFileName, BOOL fRemember) = 0;
    virtual HRESULT SaveCompleted(LPCOLESTR pszFileName) = 0;
    // The current file's name in a task-allocator block (the caller frees it).
    virtual HRESULT GetCurFile(LPOLESTR* ppszFileName) = 0;
};
KW_DECLARE_INTERFACE(IPersistFile, IPersist)
using LPPERSISTFILE = IPersistFile*;
