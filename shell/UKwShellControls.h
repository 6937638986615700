#pragma once
// The shell controls: the shell locator, which names one place of the
// namespace and keeps it in form files.
//
// The unit spans several source files, one concern each
// (UKwShellControls_<Concern>.cpp).

#include "UKwShell95.h"
#include "UKwShellUtils.h"

#include "com/Unknown.h"
#include "vcl/core/Classes.h"
#include "vcl/core/Events.h"

#include <cstdint>
#include <string>

namespace vcl {
class TFiler;
class TStream;
} // namespace vcl

namespace kw {

// ---- Shell locator ----

// How a locator names its place.
enum TKwShellLocator_Which : unsigned char {
    usePidl,  // by an absolute item id list (none: the desktop)
    useCSIDL, // by the number of a special folder
};

// One place of the namespace, named by an absolute item id list or by a
// special folder, which is looked up when first asked for, so that a form
// stored with a special folder finds it again on any machine. The locator
// owns the list it holds; OnChange hears of every real change, after the new
// place is in place. In a form file it is one binary property "Pidl": a mode
// byte, then for a special folder its number (one byte), for a list its
// length in bytes (32-bit little-endian, the terminator included) and the
// list. The desktop by list stores nothing.
class TKwShellLocator : public vcl::TPersistent {
    VCL_DECLARE_CLASS(TKwShellLocator, vcl::TPersistent)
public:
    TKwShellLocator() = default;
    ~TKwShellLocator() override;

    // The place's absolute list (null: the desktop). A special folder is
    // looked up when none is held yet; a failed look-up gives null and is
    // tried again next time. The list stays the locator's and lives until the
    // locator next changes, reads a stream or goes.
    PItemIDList GetIdList();
    // A copy of list (null or the terminator alone: the desktop); list may be
    // the locator's own.
    void SetIdList(const ITEMIDLIST* list);
    // The special folder, or csidlNone when the place is named by a list.
    TCSIDL GetCSIDL() const;
    // Drops a looked-up list, so the next GetIdList asks again.
    void SetCSIDL(TCSIDL value);
    // The file-system path of the place; empty for a virtual folder.
    std::string GetPathName();
    // The place a path names; anything that does not parse is the desktop.
    void SetPathName(const std::string& path);
    // The desktop.
    void Clear();
    // Both name the place the same way: equal special folders, or lists
    // naming the same item (a failed comparison is no match).
    bool IsEqual(const TKwShellLocator* other) const;
    TKwShellLocator_Which Which() const { return Which_; }

    // Null: what Clear does. Another locator: its place and mode (OnChange
    // is not copied); nothing happens when both are equal already.
    void Assign(vcl::TPersistent* source) override;
    void DefineProperties(vcl::TFiler* filer) override;

    // Called with the locator after every real change; not stored.
    vcl::TNotifyEvent OnChange;

    // The most bytes a stored list may have.
    static constexpr std::uint32_t MaxStoredListBytes = 1u << 20;

protected:
    virtual void Changed();
    // Reads the whole stored block or raises vcl::EReadError with the
    // locator unchanged. Owners act on what they read in their Loaded, so
    // OnChange is not called.
    void ReadData(vcl::TStream* stream);
    void WriteData(vcl::TStream* stream);

private:
    // The desktop by list holds null, never the terminator alone.
    void Replace(TKwShellLocator_Which which, PItemIDList list, TCSIDL folder);

    TKwShellLocator_Which Which_ = usePidl;
    PItemIDList IdList_ = nullptr;
    TCSIDL CSIDL_ = csidlDesktop;
};

} // namespace kw
