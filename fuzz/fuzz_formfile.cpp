// Text form files come from resources, from the design host and from files a
// person edits; the reader must refuse what is malformed without harm, and
// whatever it accepts must survive being written and read again.

#include "../tests/platform/vcl/core/FormTestClasses.h"

#include "vcl/core/Filer.h"
#include "vcl/core/FormText.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

[[noreturn]] void Mismatch(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "fuzz_formfile: %s\n%s\n", what, detail.c_str());
    std::abort();
}

// A root that holds something of every compound kind, for reading into.
constexpr std::string_view kExistingRoot = "object Existing: TTestForm\n"
                                           "  Caption = 'before'\n"
                                           "  Font.Name = 'Old'\n"
                                           "  Items.Strings = (\n"
                                           "    'keep')\n"
                                           "  Columns = <\n"
                                           "    item\n"
                                           "      Caption = 'old'\n"
                                           "    end>\n"
                                           "  Folder.Pidl = {000100000041}\n"
                                           "  Extra = (\n"
                                           "    5\n"
                                           "    'five')\n"
                                           "end\n";

// Reading into an existing root that fails leaves the root as it was.
void ReadIntoExistingRoot(std::string_view text)
{
    vcl::TOwnedPtr<formtest::TTestForm> root(vcl::Create<formtest::TTestForm>(nullptr));
    vcl::ReadComponentFromText(kExistingRoot, root.get());
    static const std::string before = vcl::WriteComponentToText(root.get());
    try {
        vcl::ReadComponentFromText(text, root.get());
    } catch (const vcl::EReadError&) {
        const std::string after = vcl::WriteComponentToText(root.get());
        if (after != before)
            Mismatch("a reading that failed changed the root", before + "----\n" + after);
    }
    formtest::Log().clear();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const formtest::TTestClassesRegistration registration;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ReadIntoExistingRoot(text);

    std::string first;
    try {
        vcl::TOwnedPtr<vcl::TComponent> root(vcl::ReadComponentFromText(text, nullptr));
        try {
            first = vcl::WriteComponentToText(root.get());
        } catch (const vcl::Exception& e) {
            Mismatch("a tree that was read cannot be written", e.what());
        }
    } catch (const vcl::EReadError&) {
        return 0;
    }
    formtest::Log().clear();

    std::string second;
    try {
        vcl::TOwnedPtr<vcl::TComponent> again(vcl::ReadComponentFromText(first, nullptr));
        second = vcl::WriteComponentToText(again.get());
    } catch (const vcl::Exception& e) {
        Mismatch(e.what(), first);
    }
    formtest::Log().clear();
    if (vcl::ParseFormText(first) != vcl::ParseFormText(second) || first != second)
        Mismatch("written, read and written again, the tree changed", first + "----\n" + second);
    return 0;
}
