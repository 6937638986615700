#pragma once
// The OLE text types: wide characters, as everywhere in the platform's COM API.

#include "win32/WinTypes.h"

using OLECHAR = WCHAR;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
