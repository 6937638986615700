#include "com/Guid.h"

#include "com/TaskAllocator.h"

#include "win32/Errors.h"

namespace {

// Writes the 38 characters of the text form (no terminator).
template <typename Char>
void FormatGuid(REFGUID guid, Char* out)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    int pos = 0;
    auto put = [&](std::uint32_t value, int hexDigits) {
        for (int shift = (hexDigits - 1) * 4; shift >= 0; shift -= 4)
            out[pos++] = static_cast<Char>(digits[(value >> shift) & 0xF]);
    };
    out[pos++] = Char('{');
    put(guid.Data1, 8);
    out[pos++] = Char('-');
    put(guid.Data2, 4);
    out[pos++] = Char('-');
    put(guid.Data3, 4);
    out[pos++] = Char('-');
    put(guid.Data4[0], 2);
    put(guid.Data4[1], 2);
    out[pos++] = Char('-');
    for (int i = 2; i < 8; ++i)
        put(guid.Data4[i], 2);
    out[pos++] = Char('}');
}

HRESULT ParseInto(LPCOLESTR text, GUID* guid, HRESULT malformed)
{
    if (!guid)
        return E_INVALIDARG;
    *guid = GUID_NULL;
    if (!text)
        return malformed;
    // Look no further than one character past the longest valid form, so an
    // unterminated or huge input costs nothing.
    std::size_t length = 0;
    while (length <= static_cast<std::size_t>(CCH_GUID_STRING) && text[length] != 0)
        ++length;
    const std::optional<GUID> parsed = com::ParseGuid(std::u16string_view(text, length));
    if (!parsed)
        return malformed;
    *guid = *parsed;
    return S_OK;
}

} // namespace

HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid)
{
    return ParseInto(text, clsid, CO_E_CLASSSTRING);
}

HRESULT IIDFromString(LPCOLESTR text, LPIID iid)
{
    return ParseInto(text, iid, E_INVALIDARG);
}

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax)
{
    if (!buffer || cchMax < CCH_GUID_BUFFER)
        return 0;
    FormatGuid(guid, buffer);
    buffer[CCH_GUID_STRING] = 0;
    return CCH_GUID_BUFFER;
}

HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text)
{
    if (!text)
        return E_INVALIDARG;
    *text = static_cast<LPOLESTR>(CoTaskMemAlloc(CCH_GUID_BUFFER * sizeof(OLECHAR)));
    if (!*text)
        return E_OUTOFMEMORY;
    StringFromGUID2(clsid, *text, CCH_GUID_BUFFER);
    return S_OK;
}

HRESULT StringFromIID(REFIID iid, LPOLESTR* text)
{
    return StringFromCLSID(iid, text);
}

namespace com {

std::string GuidToString(REFGUID guid)
{
    std::string text(CCH_GUID_STRING, '\0');
    FormatGuid(guid, text.data());
    return text;
}

std::u16string GuidToWide(REFGUID guid)
{
    std::u16string text(CCH_GUID_STRING, u'\0');
    FormatGuid(guid, text.data());
    return text;
}

} // namespace com
