// The shell locator: one place of the namespace, by list or by special
// folder, and its stored form.

#include "UKwShellControls.h"

#include "shell32/ShellApi.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Filer.h"
#include "vcl/core/Streams.h"

#include <cstring>
#include <utility>

namespace kw {

namespace {

constexpr unsigned char kModeIdList = 0;

// A copy of list for holding: null for the desktop (null or the terminator
// alone). Raises EOutOfMemory when no copy can be had, before anything is
// changed.
PItemIDList HeldCopy(const ITEMIDLIST* list)
{
    if (IdListLen(list) <= 2)
        return nullptr;
    PItemIDList copy = CopyIdList(nullptr, list);
    if (!copy)
        throw vcl::EOutOfMemory("Out of memory");
    return copy;
}

[[noreturn]] void RaiseBadBlock(const std::string& why)
{
    throw vcl::EReadError("Invalid stored shell location: " + why);
}

// The block is the property's whole value: bytes left after it mean a block
// of another shape, which is not taken in part.
void ExpectBlockEnd(vcl::TStream* stream)
{
    if (stream->Position() != stream->Size())
        RaiseBadBlock("bytes after the block's end");
}

std::uint32_t ReadLittleEndian32(vcl::TStream* stream)
{
    unsigned char bytes[4];
    stream->ReadBuffer(bytes, 4);
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) | (std::uint32_t{bytes[2]} << 16) |
           (std::uint32_t{bytes[3]} << 24);
}

// Whether the n bytes at p are items laid end to end whose zero terminator
// ends exactly at the block's end.
bool IsWholeList(const unsigned char* p, std::uint32_t n)
{
    std::uint32_t at = 0;
    while (n - at >= 2) {
        const unsigned count = p[at] | (unsigned{p[at + 1]} << 8);
        if (count == 0)
            return at + 2 == n;
        // A count covers at least itself.
        if (count < 2 || count > n - at)
            return false;
        at += count;
    }
    return false;
}

// Shell memory that goes back unless it is let go.
class ShellBlock {
public:
    explicit ShellBlock(void* p) : P_(p) {}
    ~ShellBlock() { ShellMemFree(P_); }
    ShellBlock(const ShellBlock&) = delete;
    ShellBlock& operator=(const ShellBlock&) = delete;
    void* Get() const { return P_; }
    void* Release() { return std::exchange(P_, nullptr); }

private:
    void* P_;
};

} // namespace

TKwShellLocator::~TKwShellLocator()
{
    ShellMemFree(IdList_);
}

void TKwShellLocator::Replace(TKwShellLocator_Which which, PItemIDList list, TCSIDL folder)
{
    PItemIDList old = std::exchange(IdList_, list);
    Which_ = which;
    CSIDL_ = folder;
    ShellMemFree(old);
}

PItemIDList TKwShellLocator::GetIdList()
{
    if (Which_ == useCSIDL && !IdList_) {
        // No application window exists to own a question the look-up might
        // ask, so none is named.
        PItemIDList found = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(nullptr, static_cast<int>(CSIDL_), &found))) {
            ShellMemFree(found);
            found = nullptr;
        }
        IdList_ = found;
    }
    return IdList_;
}

void TKwShellLocator::SetIdList(const ITEMIDLIST* list)
{
    const bool wasSpecial = Which_ == useCSIDL;
    bool changed;
    if (IdList_)
        // A comparison that fails counts as a change: an owner that missed
        // a new place would show the old one.
        changed = wasSpecial || CompareAbsIdLists(IdList_, list) != 0;
    else
        changed = wasSpecial || list != nullptr;
    // The copy is made before the held list goes: list may be that list.
    Replace(usePidl, HeldCopy(list), csidlNone);
    if (changed)
        Changed();
}

TCSIDL TKwShellLocator::GetCSIDL() const
{
    return Which_ == useCSIDL ? CSIDL_ : csidlNone;
}

void TKwShellLocator::SetCSIDL(TCSIDL value)
{
    const bool changed = Which_ == usePidl || value != CSIDL_;
    Replace(useCSIDL, nullptr, value);
    if (changed)
        Changed();
}

std::string TKwShellLocator::GetPathName()
{
    return ShellGetPathFromIdList(GetIdList());
}

void TKwShellLocator::SetPathName(const std::string& path)
{
    PItemIDList parsed = nullptr;
    if (FAILED(ShellGetIdListFromPath(path, &parsed))) {
        ShellMemFree(parsed);
        SetIdList(nullptr);
        return;
    }
    try {
        SetIdList(parsed);
    } catch (...) {
        ShellMemFree(parsed);
        throw;
    }
    ShellMemFree(parsed);
}

void TKwShellLocator::Clear()
{
    SetIdList(nullptr);
}

bool TKwShellLocator::IsEqual(const TKwShellLocator* other) const
{
    if (!other || other->Which_ != Which_)
        return false;
    if (other == this)
        return true;
    if (Which_ == usePidl)
        return CompareAbsIdLists(IdList_, other->IdList_) == 0;
    return CSIDL_ == other->CSIDL_;
}

void TKwShellLocator::Assign(vcl::TPersistent* source)
{
    if (!source) {
        // Also a special folder that has not been looked up yet becomes the
        // desktop, as every other locator does.
        Clear();
        return;
    }
    if (const auto* other = dynamic_cast<const TKwShellLocator*>(source)) {
        if (IsEqual(other))
            return;
        if (other->Which_ == useCSIDL)
            Replace(useCSIDL, nullptr, other->CSIDL_);
        else
            Replace(usePidl, HeldCopy(other->IdList_), csidlNone);
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

void TKwShellLocator::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TKwShellLocator::DefineProperties(vcl::TFiler* filer)
{
    TPersistent::DefineProperties(filer);
    filer->DefineBinaryProperty("Pidl", {this, &TKwShellLocator::ReadData},
                                {this, &TKwShellLocator::WriteData},
                                IdList_ != nullptr || Which_ == useCSIDL);
}

void TKwShellLocator::ReadData(vcl::TStream* stream)
{
    // Everything is read and checked first; the locator changes only at the
    // end, so a bad block leaves it as it was.
    unsigned char mode = 0;
    stream->ReadBuffer(&mode, 1);
    if (mode != kModeIdList) {
        unsigned char folder = 0;
        stream->ReadBuffer(&folder, 1);
        if (folder > csidlNone)
            RaiseBadBlock("special folder " + std::to_string(folder));
        ExpectBlockEnd(stream);
        Replace(useCSIDL, nullptr, static_cast<TCSIDL>(folder));
        return;
    }
    const std::uint32_t n = ReadLittleEndian32(stream);
    if (n == 0) {
        // An empty block names the desktop as a special folder.
        ExpectBlockEnd(stream);
        Replace(useCSIDL, nullptr, csidlDesktop);
        return;
    }
    if (n < 2)
        RaiseBadBlock("a list of " + std::to_string(n) + " byte");
    if (n > MaxStoredListBytes)
        RaiseBadBlock("a list of " + std::to_string(n) + " bytes");
    const std::int64_t left = stream->Size() - stream->Position();
    if (left < static_cast<std::int64_t>(n))
        throw vcl::EReadError("Stream read error");
    ShellBlock block(ShellMemAlloc(n));
    if (!block.Get())
        RaiseBadBlock("no memory for a list of " + std::to_string(n) + " bytes");
    stream->ReadBuffer(block.Get(), static_cast<int>(n));
    if (!IsWholeList(static_cast<const unsigned char*>(block.Get()), n))
        RaiseBadBlock("the list's items do not end with its block");
    ExpectBlockEnd(stream);
    if (n == 2) {
        // The terminator alone: the desktop, held as no list.
        Replace(usePidl, nullptr, csidlNone);
        return;
    }
    Replace(usePidl, static_cast<PItemIDList>(block.Release()), csidlNone);
}

void TKwShellLocator::WriteData(vcl::TStream* stream)
{
    const unsigned char mode = Which_ == useCSIDL ? 1 : kModeIdList;
    stream->WriteBuffer(&mode, 1);
    if (Which_ == useCSIDL) {
        const auto folder = static_cast<unsigned char>(CSIDL_);
        stream->WriteBuffer(&folder, 1);
        return;
    }
    const auto n = static_cast<std::uint32_t>(IdListLen(IdList_));
    const unsigned char bytes[4] = {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
                                    static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)};
    stream->WriteBuffer(bytes, 4);
    if (IdList_)
        stream->WriteBuffer(IdList_, static_cast<int>(n));
}

} // namespace kw
