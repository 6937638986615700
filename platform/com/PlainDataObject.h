#pragma once
// A data object whose formats are whatever its users set with SetData (the
// shell's cut and copy put their file lists there), the format list it and
// its enumerators share, and the availability answer of a format list.
//
// Formats carry no target device: ptd takes no part in matching and the
// enumerators hand out records whose ptd is null (nothing for the caller to
// free). Data is held in global memory only (TYMED_HGLOBAL).

#include "CorvanePlatformExport.h"
#include "com/DataObject.h"

#include <memory>
#include <vector>

namespace com {

// The formats an object offers, in the order it offers them. An enumerator
// shares the list it walks, so it stays valid after its object is gone; an
// object that changes its formats makes a new list.
using FormatList = std::vector<FORMATETC>;

// The availability answer for request against formats: DV_E_LINDEX for a
// content request whose lindex is not -1; DV_E_FORMATETC for a null request
// or a format not offered with the request's aspect and lindex; DV_E_TYMED
// when it is offered on none of the media the request allows; else S_OK.
CORVANE_PLATFORM_EXPORT HRESULT QueryFormat(const FormatList& formats, const FORMATETC* request);

// An enumerator over formats at position (clamped to the list's end), with
// one reference for the caller. E_POINTER for a null out-parameter.
CORVANE_PLATFORM_EXPORT HRESULT CreateFormatEnumerator(std::shared_ptr<const FormatList> formats,
                                                       ULONG position, IEnumFORMATETC** out);

// A new block of the same size and content (GMEM_MOVEABLE), or null with the
// last error set when block is not live or no memory is left.
CORVANE_PLATFORM_EXPORT HGLOBAL DuplicateGlobalBlock(HGLOBAL block);

// A new data object with no formats, with one reference for the caller.
//  - SetData takes TYMED_HGLOBAL media (DV_E_TYMED for others, E_INVALIDARG
//    for a block that is not live); fRelease TRUE takes the medium over (on
//    success only: a failed call leaves it with the caller), FALSE copies the
//    block. A format set again (same cfFormat, aspect and lindex) replaces
//    the one before.
//  - GetData hands out a copy of the block, which the receiver frees on its
//    own (ReleaseStgMedium); the object keeps its data. GetDataHere copies
//    into the caller's block (STG_E_MEDIUMFULL when it is smaller).
//  - EnumFormatEtc(DATADIR_GET) lists the formats in the order first set;
//    DATADIR_SET answers E_NOTIMPL. Advise connections are not supported
//    (OLE_E_ADVISENOTSUPPORTED).
CORVANE_PLATFORM_EXPORT HRESULT CreatePlainDataObject(IDataObject** out);

} // namespace com
