#pragma once
// The framework's formatted and resourced ways of making an exception:
//
//     throw vcl::CreateFmt<EListError>("List index out of bounds (%d)", {index});
//     throw vcl::CreateResFmt<Exception>(&SCannotCreateDir, {path});

#include "vcl/core/Exceptions.h"
#include "vcl/core/Format.h"
#include "vcl/core/ResourceStrings.h"

#include <initializer_list>
#include <string_view>

namespace vcl {

template <class E = Exception>
E CreateFmt(std::string_view format, std::initializer_list<TVarRec> args)
{
    return E(Format(format, args));
}

template <class E = Exception>
E CreateRes(PResStringRec resString)
{
    return E(LoadResString(resString));
}

template <class E = Exception>
E CreateResFmt(PResStringRec resString, std::initializer_list<TVarRec> args)
{
    return E(Format(LoadResString(resString), args));
}

} // namespace vcl
