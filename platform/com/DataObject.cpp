#include "com/DataObject.h"
#include "com/TaskAllocator.h"
#include "win32/Gdi.h"
#include "win32/GlobalMemory.h"

#include <utility>

void ReleaseStgMedium(STGMEDIUM* medium)
{
    if (!medium)
        return;
    // Emptied before anything is released: a release may run code that
    // looks at the medium again.
    const STGMEDIUM held = std::exchange(*medium, STGMEDIUM{TYMED_NULL, {nullptr}, nullptr});
    if (held.pUnkForRelease) {
        held.pUnkForRelease->Release();
        return;
    }
    switch (held.tymed) {
    case TYMED_HGLOBAL:
        GlobalFree(held.hGlobal);
        break;
    case TYMED_FILE:
        CoTaskMemFree(held.lpszFileName);
        break;
    case TYMED_ISTREAM:
        if (held.pstm)
            held.pstm->Release();
        break;
    case TYMED_ISTORAGE:
        if (held.pstg)
            held.pstg->Release();
        break;
    case TYMED_GDI:
        if (held.hBitmap)
            DeleteObject(held.hBitmap);
        break;
    default:
        // Metafiles never come from this platform; nothing else is owned.
        break;
    }
}
