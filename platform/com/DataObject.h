#pragma once
// Uniform data transfer: the data object that drag and drop and the
// clipboard carry, the records that describe a format (FORMATETC) and a
// medium (STGMEDIUM), and the enumerator of formats.
//
// A medium handed out by GetData belongs to the receiver, who gives it back
// with ReleaseStgMedium; when the medium names a pUnkForRelease, that object
// owns the data and is released instead.

#include "CorvanePlatformExport.h"
#include "com/OleTypes.h"
#include "com/Unknown.h"
#include "win32/ClipboardFormats.h"
#include "win32/WinTypes.h"

// A clipboard format: one of the platform's CF_* values or a registered one
// (win32/ClipboardFormats.h).
using CLIPFORMAT = WORD;

// The medium of a transfer. The values are bits: a request may allow several.
inline constexpr DWORD TYMED_NULL = 0;
inline constexpr DWORD TYMED_HGLOBAL = 1;
inline constexpr DWORD TYMED_FILE = 2;
inline constexpr DWORD TYMED_ISTREAM = 4;
inline constexpr DWORD TYMED_ISTORAGE = 8;
inline constexpr DWORD TYMED_GDI = 16;
inline constexpr DWORD TYMED_MFPICT = 32;
inline constexpr DWORD TYMED_ENHMF = 64;

// The view of the data asked for.
inline constexpr DWORD DVASPECT_CONTENT = 1;
inline constexpr DWORD DVASPECT_THUMBNAIL = 2;
inline constexpr DWORD DVASPECT_ICON = 4;
inline constexpr DWORD DVASPECT_DOCPRINT = 8;

// EnumFormatEtc's direction: formats GetData offers, or SetData takes.
inline constexpr DWORD DATADIR_GET = 1;
inline constexpr DWORD DATADIR_SET = 2;

// A target device: tdSize is the size of the whole record, its names
// included (the offsets count from the record's start).
struct CORVANE_PLATFORM_EXPORT DVTARGETDEVICE {
    DWORD tdSize;
    WORD tdDriverNameOffset;
    WORD tdDeviceNameOffset;
    WORD tdPortNameOffset;
    WORD tdExtDevmodeOffset;
    BYTE tdData[1];
};

// The platform's 20-byte layout on 32-bit systems; here ptd is 8 bytes.
struct CORVANE_PLATFORM_EXPORT FORMATETC {
    CLIPFORMAT cfFormat;
    DVTARGETDEVICE* ptd;
    DWORD dwAspect;
    LONG lindex;
    DWORD tymed;
};
using LPFORMATETC = FORMATETC*;

// Interfaces a medium or an advise connection only carries: their methods
// beyond IUnknown's are not declared, so nothing of ours implements them.
inline constexpr IID IID_IStream = com::MakeGuid("{0000000C-0000-0000-C000-000000000046}");
inline constexpr IID IID_IStorage = com::MakeGuid("{0000000B-0000-0000-C000-000000000046}");
inline constexpr IID IID_IAdviseSink = com::MakeGuid("{0000010F-0000-0000-C000-000000000046}");
inline constexpr IID IID_IEnumSTATDATA = com::MakeGuid("{00000105-0000-0000-C000-000000000046}");

class CORVANE_PLATFORM_EXPORT IStream : public IUnknown {};
KW_DECLARE_INTERFACE(IStream, IUnknown)
class CORVANE_PLATFORM_EXPORT IStorage : public IUnknown {};
KW_DECLARE_INTERFACE(IStorage, IUnknown)
class CORVANE_PLATFORM_EXPORT IAdviseSink : public IUnknown {};
KW_DECLARE_INTERFACE(IAdviseSink, IUnknown)
class CORVANE_PLATFORM_EXPORT IEnumSTATDATA : public IUnknown {};
KW_DECLARE_INTERFACE(IEnumSTATDATA, IUnknown)

// tymed says which member of the union holds the data.
struct CORVANE_PLATFORM_EXPORT STGMEDIUM {
    DWORD tymed;
    union {
        HBITMAP hBitmap;
        HGLOBAL hGlobal;
        LPOLESTR lpszFileName;
        IStream* pstm;
        IStorage* pstg;
    };
    IUnknown* pUnkForRelease;
};
using LPSTGMEDIUM = STGMEDIUM*;

// Gives a medium back. With pUnkForRelease set, only that object is released
// (it owns the data). Otherwise an HGLOBAL is freed with GlobalFree, a
// bitmap deleted, a stream or storage released, a file's name freed with
// CoTaskMemFree (the file itself stays: a name that came from outside
// never makes us delete a file). Afterwards the medium is TYMED_NULL with
// nothing in it, so giving it back twice does nothing. Null is ignored.
CORVANE_PLATFORM_EXPORT void ReleaseStgMedium(STGMEDIUM* medium);

inline constexpr IID IID_IEnumFORMATETC = com::MakeGuid("{00000103-0000-0000-C000-000000000046}");
inline constexpr IID IID_IDataObject = com::MakeGuid("{0000010E-0000-0000-C000-000000000046}");

class CORVANE_PLATFORM_EXPORT IEnumFORMATETC : public IUnknown {
public:
    // Copies up to celt records into rgelt; fetched (may be null when celt
    // is 1) receives how many. S_OK when all celt came, else S_FALSE.
    virtual HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumFORMATETC** ppenum) = 0;
};
KW_DECLARE_INTERFACE(IEnumFORMATETC, IUnknown)
using LPENUMFORMATETC = IEnumFORMATETC*;

class CORVANE_PLATFORM_EXPORT IDataObject : public IUnknown {
public:
    // The data in a new medium the caller gives back with ReleaseStgMedium.
    virtual HRESULT GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) = 0;
    // The data written into the caller's own medium.
    virtual HRESULT GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) = 0;
    // S_OK when GetData would succeed for the request.
    virtual HRESULT QueryGetData(FORMATETC* pformatetc) = 0;
    virtual HRESULT GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) = 0;
    // fRelease TRUE: the object takes the medium over; FALSE: it copies it.
    virtual HRESULT SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) = 0;
    virtual HRESULT EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) = 0;
    virtual HRESULT DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                            DWORD* pdwConnection) = 0;
    virtual HRESULT DUnadvise(DWORD dwConnection) = 0;
    virtual HRESULT EnumDAdvise(IEnumSTATDATA** ppenumAdvise) = 0;
};
KW_DECLARE_INTERFACE(IDataObject, IUnknown)
using LPDATAOBJECT = IDataObject*;
