#pragma once
// A folder whose detail columns, their default states and its comparison a
// test chooses, for the shell list's column and sort tests.

#include "IdListTestSupport.h"
#include "UKwShellUtils.h"

#include "com/ComObject.h"
#include "shell32/ShellFlags.h"
#include "shell32/ShellInterfaces.h"

#include <cstring>
#include <functional>
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

// A folder answering IShellFolder2 with Columns; its view object is View.
class DetailsFolder : public com::ComObject<IShellFolder2> {
public:
    std::vector<DetailColumn> Columns;
    bool Column0Fails = false;
    com::ComPtr<IShellDetails> View;
    std::function<HRESULT(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST)> Compare;
    int CompareCalls = 0;

    HRESULT GetDefaultColumnState(UINT column, DWORD* flags) override
    {
        if (column >= Columns.size() || Columns[column].StateFails)
            return E_FAIL;
        *flags = Columns[column].State;
        return S_OK;
    }
    HRESULT GetDetailsOf(LPCITEMIDLIST, UINT column, SHELLDETAILS* details) override
    {
        if (column >= Columns.size() || (column == 0 && Column0Fails))
            return E_FAIL;
        ListedDetails::Fill(Columns[column], details);
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
    HRESULT EnumObjects(HWND, DWORD, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT GetAttributesOf(UINT, LPCITEMIDLIST*, ULONG*) override { return E_NOTIMPL; }
    HRESULT GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void**) override { return E_NOTIMPL; }
    HRESULT GetDisplayNameOf(LPCITEMIDLIST, DWORD, STRRET*) override { return E_NOTIMPL; }
    HRESULT SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, DWORD, LPITEMIDLIST*) override { return E_NOTIMPL; }
};

} // namespace kwtest
