#include "vcl/core/ResourceStrings.h"

namespace vcl {

std::string LoadResString(PResStringRec resString)
{
    if (!resString || !resString->Text)
        return {};
    return resString->Text;
}

} // namespace vcl
