#pragma once
// A folder whose detail columns, their default states and its comparison a
// test chooses, for the shell list's column and sort tests.

#include "IdListTestSupport.h"
#include "UKwShellUtils.h"

#include "com/ComObject.h"
#include "shell32/ShellFlags.h"
#include "shell32/ShellInterfaces.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kwtest {

struct DetailColumn {
    std::string Caption;
    int Fmt = 0;
    int CxChar = 10;
    // The answer of GetDefaultColumnState; failing when StateFails.
    DWORD State = SHCOLSTATE_ONBYDEFAULT;
    bool StateFails = false;
};

// A plain IShellDetails with the given columns.
class ListedDetails : public com::ComObject<IShellDetails> {
public:
    explicit ListedDetails(std::vector<DetailColumn> columns) : Columns(std::move(columns)) {}
    std::vector<DetailColumn> Columns;
    HRESULT GetDetailsOf(LPCITEMIDLIST, UINT column, SHELLDETAILS* details) override
    {
        if (column >= Columns.size())
            return E_INVALIDARG;
        Fill(Columns[column], details);
        return S_OK;
    }
    HRESULT ColumnClick(UINT) override { return S_OK; }

    static void Fill(const DetailColumn& c, SHELLDETAILS* details)
    {
        details->fmt = c.Fmt;
        details->cxChar = c.CxChar;
        details->str.uType = STRRET_CSTR;
        std::strncpy(details->str.cStr, c.Caption.c_str(), STRRET_CSTR_SIZE - 1);
    }
};

// A folder answering IShellFolder2 with Columns and listing Names (each a
// one-item list of the name's bytes); its view object is View. A detail text
// reads "name:column".
class DetailsFolder : public com::ComObject<IShellFolder2> {
public:
    std::vector<DetailColumn> Columns;
    bool Column0Fails = false;
    com::ComPtr<IShellDetails> View;
    std::function<HRESULT(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST)> Compare;
    int CompareCalls = 0;
    // The items listed, by name; how often each name and detail was asked.
    std::vector<std::string> Names;
    std::map<std::string, int> NameCalls;
    std::map<std::string, int> DetailCalls;

    static std::string NameOf(LPCITEMIDLIST item) { return reinterpret_cast<const char*>(item) + 2; }

    HRESULT GetDefaultColumnState(UINT column, DWORD* flags) override
    {
        if (column >= Columns.size() || Columns[column].StateFails)
            return E_FAIL;
        *flags = Columns[column].State;
        return S_OK;
    }
    HRESULT GetDetailsOf(LPCITEMIDLIST pidl, UINT column, SHELLDETAILS* details) override
    {
        if (column >= Columns.size() || (column == 0 && Column0Fails))
            return E_FAIL;
        ListedDetails::Fill(Columns[column], details);
        if (pidl) {
            const std::string name = NameOf(pidl);
            ++DetailCalls[name + "/" + std::to_string(column)];
            std::snprintf(details->str.cStr, STRRET_CSTR_SIZE, "%s:%u", name.c_str(), column);
        }
        return S_OK;
    }
    HRESULT CompareIDs(LPARAM column, LPCITEMIDLIST a, LPCITEMIDLIST b) override
    {
        ++CompareCalls;
        return Compare ? Compare(column, a, b) : E_NOTIMPL;
    }
    HRESULT CreateViewObject(HWND, REFIID riid, void** out) override
    {
        *out = nullptr;
        return View ? View.QueryInterface(riid, out) : E_NOINTERFACE;
    }
    HRESULT GetDefaultSearchGUID(GUID*) override { return E_NOTIMPL; }
    HRESULT EnumSearches(IEnumExtraSearch**) override { return E_NOTIMPL; }
    HRESULT GetDefaultColumn(DWORD, ULONG*, ULONG*) override { return E_NOTIMPL; }
    HRESULT GetDetailsEx(LPCITEMIDLIST, const SHCOLUMNID*, void*) override { return E_NOTIMPL; }
    HRESULT MapColumnToSCID(UINT, SHCOLUMNID*) override { return E_NOTIMPL; }
    HRESULT ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, LPITEMIDLIST*, ULONG*) override
    {
        return E_NOTIMPL;
    }
    HRESULT EnumObjects(HWND, DWORD, IEnumIDList** out) override
    {
        *out = com::MakeComObject<Listing>(this).Detach();
        return S_OK;
    }
    HRESULT BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT GetAttributesOf(UINT, LPCITEMIDLIST*, ULONG* attributes) override
    {
        *attributes &= SFGAO_FILESYSTEM;
        return S_OK;
    }
    HRESULT GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void**) override { return E_NOTIMPL; }
    HRESULT GetDisplayNameOf(LPCITEMIDLIST pidl, DWORD, STRRET* name) override
    {
        const std::string text = NameOf(pidl);
        ++NameCalls[text];
        name->uType = STRRET_CSTR;
        std::snprintf(name->cStr, STRRET_CSTR_SIZE, "%s", text.c_str());
        return S_OK;
    }
    HRESULT SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, DWORD, LPITEMIDLIST*) override { return E_NOTIMPL; }

private:
    class Listing : public com::ComObject<IEnumIDList> {
    public:
        explicit Listing(DetailsFolder* folder) : Folder_(folder) {}
        HRESULT Next(ULONG, LPITEMIDLIST* out, ULONG* fetched) override
        {
            if (fetched)
                *fetched = 0;
            if (At_ >= Folder_->Names.size())
                return S_FALSE;
            const std::string& name = Folder_->Names[At_++];
            const auto size = static_cast<USHORT>(2 + name.size() + 1);
            auto* item = static_cast<BYTE*>(kw::ShellMemAlloc(size + 2u));
            std::memset(item, 0, size + 2u);
            std::memcpy(item, &size, 2);
            std::memcpy(item + 2, name.data(), name.size());
            *out = reinterpret_cast<LPITEMIDLIST>(item);
            if (fetched)
                *fetched = 1;
            return S_OK;
        }
        HRESULT Skip(ULONG) override { return E_NOTIMPL; }
        HRESULT Reset() override { return E_NOTIMPL; }
        HRESULT Clone(IEnumIDList**) override { return E_NOTIMPL; }

    private:
        com::ComPtr<DetailsFolder> Folder_;
        std::size_t At_ = 0;
    };
};

} // namespace kwtest
