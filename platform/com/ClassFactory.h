#pragma once
// IClassFactory and the class contexts of CoCreateInstance.

#include "CorvanePlatformExport.h"
#include "com/Unknown.h"

inline constexpr IID IID_IClassFactory = com::MakeGuid("{00000001-0000-0000-C000-000000000046}");

class CORVANE_PLATFORM_EXPORT IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppvObject) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;
};
KW_DECLARE_INTERFACE(IClassFactory, IUnknown)
using LPCLASSFACTORY = IClassFactory*;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
constexpr DWORD CLSCTX_SERVER = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
