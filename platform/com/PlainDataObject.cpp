#include "com/PlainDataObject.h"
#include "com/ComObject.h"
#include "win32/GlobalMemory.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace com {
namespace {

constexpr LONG kWholeContent = -1;

using win32::LockedGlobal;

bool SameFormat(const FORMATETC& a, const FORMATETC& b)
{
    return a.cfFormat == b.cfFormat && a.dwAspect == b.dwAspect && a.lindex == b.lindex;
}

class FormatEnumerator : public ComObject<IEnumFORMATETC> {
public:
    FormatEnumerator(std::shared_ptr<const FormatList> formats, ULONG position)
        : Formats_(std::move(formats)), Position_(std::min<std::size_t>(position, Formats_->size()))
    {
    }

    HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) override
    {
        return Guard([&] {
            if (pceltFetched)
                *pceltFetched = 0;
            if (!rgelt || (celt > 1 && !pceltFetched))
                return E_INVALIDARG;
            ULONG fetched = 0;
            while (fetched < celt && Position_ < Formats_->size()) {
                rgelt[fetched] = (*Formats_)[Position_++];
                rgelt[fetched].ptd = nullptr;
                ++fetched;
            }
            if (pceltFetched)
                *pceltFetched = fetched;
            return fetched == celt ? S_OK : S_FALSE;
        });
    }
    HRESULT Skip(ULONG celt) override
    {
        return Guard([&] {
            const std::size_t left = Formats_->size() - Position_;
            if (celt > left) {
                Position_ = Formats_->size();
                return S_FALSE;
            }
            Position_ += celt;
            return S_OK;
        });
    }
    HRESULT Reset() override
    {
        return Guard([&] {
            Position_ = 0;
            return S_OK;
        });
    }
    HRESULT Clone(IEnumFORMATETC** ppenum) override
    {
        return Guard([&] { return CreateFormatEnumerator(Formats_, static_cast<ULONG>(Position_), ppenum); });
    }

private:
    std::shared_ptr<const FormatList> Formats_;
    std::size_t Position_;
};

class PlainDataObject : public ComObject<IDataObject> {
public:
    ~PlainDataObject() override
    {
        for (STGMEDIUM& medium : Media_)
            ReleaseStgMedium(&medium);
    }

    HRESULT GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override
    {
        return Guard([&] {
            if (!pmedium)
                return E_INVALIDARG;
            *pmedium = STGMEDIUM{};
            std::size_t index = 0;
            if (const HRESULT hr = Find(pformatetcIn, &index); hr != S_OK)
                return hr;
            HGLOBAL copy = DuplicateGlobalBlock(Media_[index].hGlobal);
            if (!copy)
                return E_OUTOFMEMORY;
            pmedium->tymed = TYMED_HGLOBAL;
            pmedium->hGlobal = copy;
            return S_OK;
        });
    }
    HRESULT GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override
    {
        return Guard([&] {
            if (!pmedium)
                return E_INVALIDARG;
            std::size_t index = 0;
            if (const HRESULT hr = Find(pformatetc, &index); hr != S_OK)
                return hr;
            if (pmedium->tymed != TYMED_HGLOBAL)
                return DV_E_TYMED;
            const LockedGlobal target(pmedium->hGlobal);
            if (!target.Data())
                return E_INVALIDARG;
            const LockedGlobal source(Media_[index].hGlobal);
            if (target.Size() < source.Size())
                return STG_E_MEDIUMFULL;
            if (source.Size())
                std::memcpy(target.Data(), source.Data(), source.Size());
            return S_OK;
        });
    }
    HRESULT QueryGetData(FORMATETC* pformatetc) override
    {
        return Guard([&] { return QueryFormat(*Formats_, pformatetc); });
    }
    HRESULT GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override
    {
        return Guard([&] {
            if (!pformatectIn || !pformatetcOut)
                return E_INVALIDARG;
            // No format here stands for another: the request is its own
            // canonical form, whatever device it named.
            *pformatetcOut = *pformatectIn;
            pformatetcOut->ptd = nullptr;
            return DATA_S_SAMEFORMATETC;
        });
    }
    HRESULT SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override
    {
        return Guard([&] { return Set(pformatetc, pmedium, fRelease != FALSE); });
    }
    HRESULT EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override
    {
        return Guard([&] {
            if (!ppenumFormatEtc)
                return E_POINTER;
            *ppenumFormatEtc = nullptr;
            if (dwDirection != DATADIR_GET)
                return E_NOTIMPL;
            return CreateFormatEnumerator(Formats_, 0, ppenumFormatEtc);
        });
    }
    HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD* pdwConnection) override
    {
        if (pdwConnection)
            *pdwConnection = 0;
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override
    {
        if (ppenumAdvise)
            *ppenumAdvise = nullptr;
        return OLE_E_ADVISENOTSUPPORTED;
    }

private:
    // The held format a request gets, or the answer why there is none.
    HRESULT Find(const FORMATETC* request, std::size_t* index) const
    {
        const HRESULT hr = QueryFormat(*Formats_, request);
        if (hr != S_OK)
            return hr;
        for (std::size_t i = 0; i < Formats_->size(); ++i) {
            if (SameFormat((*Formats_)[i], *request)) {
                *index = i;
                return S_OK;
            }
        }
        return DV_E_FORMATETC;
    }

    HRESULT Set(const FORMATETC* format, STGMEDIUM* medium, bool takeOver)
    {
        if (!format || !medium)
            return E_INVALIDARG;
        if (medium->tymed != TYMED_HGLOBAL || !(format->tymed & TYMED_HGLOBAL))
            return DV_E_TYMED;
        if (format->dwAspect == DVASPECT_CONTENT && format->lindex != kWholeContent)
            return DV_E_LINDEX;
        if (!LockedGlobal(medium->hGlobal).Data())
            return E_INVALIDARG;

        // Everything that can fail comes before anything changes: the new
        // list, room for the medium, the copy.
        FORMATETC entry = *format;
        entry.ptd = nullptr;
        entry.tymed = TYMED_HGLOBAL;
        auto formats = std::make_shared<FormatList>(*Formats_);
        const auto same = std::find_if(formats->begin(), formats->end(),
                                       [&](const FORMATETC& held) { return SameFormat(held, entry); });
        const std::size_t index = static_cast<std::size_t>(same - formats->begin());
        if (same == formats->end()) {
            formats->push_back(entry);
            Media_.reserve(Media_.size() + 1);
        } else {
            *same = entry;
        }
        STGMEDIUM held{};
        if (takeOver) {
            held = *medium;
        } else {
            held.tymed = TYMED_HGLOBAL;
            held.hGlobal = DuplicateGlobalBlock(medium->hGlobal);
            if (!held.hGlobal)
                return E_OUTOFMEMORY;
        }

        if (index == Media_.size()) {
            Media_.push_back(held);
        } else if (takeOver && Media_[index].hGlobal == held.hGlobal) {
            // The block held already came back: it is kept, not freed.
            if (IUnknown* before = std::exchange(Media_[index].pUnkForRelease, held.pUnkForRelease))
                before->Release();
        } else {
            std::swap(Media_[index], held);
            ReleaseStgMedium(&held);
        }
        Formats_ = std::move(formats);
        return S_OK;
    }

    std::shared_ptr<const FormatList> Formats_ = std::make_shared<const FormatList>();
    std::vector<STGMEDIUM> Media_; // one per format, in the same order
};

} // namespace

HRESULT QueryFormat(const FormatList& formats, const FORMATETC* request)
{
    if (!request)
        return DV_E_FORMATETC;
    if (request->dwAspect == DVASPECT_CONTENT && request->lindex != kWholeContent)
        return DV_E_LINDEX;
    bool formatOffered = false;
    for (const FORMATETC& held : formats) {
        if (!SameFormat(held, *request))
            continue;
        if (held.tymed & request->tymed)
            return S_OK;
        formatOffered = true;
    }
    return formatOffered ? DV_E_TYMED : DV_E_FORMATETC;
}

HRESULT CreateFormatEnumerator(std::shared_ptr<const FormatList> formats, ULONG position,
                               IEnumFORMATETC** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guard([&] {
        if (!formats)
            formats = std::make_shared<const FormatList>();
        *out = MakeComObject<FormatEnumerator>(std::move(formats), position).Detach();
        return S_OK;
    });
}

HGLOBAL DuplicateGlobalBlock(HGLOBAL block)
{
    const LockedGlobal source(block);
    if (!source.Data())
        return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, source.Size());
    if (!copy)
        return nullptr;
    const LockedGlobal target(copy);
    if (source.Size())
        std::memcpy(target.Data(), source.Data(), source.Size());
    return copy;
}

HRESULT CreatePlainDataObject(IDataObject** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Guard([&] {
        *out = MakeComObject<PlainDataObject>().Detach();
        return S_OK;
    });
}

} // namespace com
