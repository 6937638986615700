// A program made of the COM and kernel layers' objects alone: it links only
// when COM depends on nothing above it, and its class registry then holds
// what this program registered and nothing else.

#include "com/ClassRegistry.h"
#include "com/Initialization.h"

#include <cstdio>

namespace {

constexpr CLSID CLSID_AloneObject = com::MakeGuid("{6D1A0C8E-52B4-4F07-9C33-1E8A7B90D2F1}");
// The shell link's class identifier, which only the shell registers.
constexpr CLSID CLSID_ShellLinkClass = com::MakeGuid("{00021401-0000-0000-C000-000000000046}");

class AloneObject : public com::ComObject<IUnknown> {};

int Check(bool ok, const char* what)
{
    if (!ok)
        std::fprintf(stderr, "com alone: %s\n", what);
    return ok ? 0 : 1;
}

} // namespace

int main()
{
    const com::ScopedCoInitialize init;
    int failures = Check(SUCCEEDED(init.Result()), "CoInitialize failed");
    failures += Check(!com::IsClassRegistered(CLSID_ShellLinkClass), "a shell class is registered");
    failures += Check(com::RegisterComObjectClass<AloneObject>(CLSID_AloneObject), "registration refused");
    com::ComPtr<IUnknown> made;
    failures += Check(CoCreateInstance(CLSID_AloneObject, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                       made.ReleaseAndGetVoidAddress()) == S_OK &&
                          made,
                      "the registered class was not made");
    made.Reset();
    failures += Check(com::UnregisterClass(CLSID_AloneObject), "the class could not be unregistered");
    std::printf("com alone: %s\n", failures == 0 ? "ok" : "failed");
    return failures == 0 ? 0 : 1;
}
