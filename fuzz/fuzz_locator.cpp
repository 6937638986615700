// A shell location's stored block comes from form files, outside input: the
// reader must take a whole, well-formed block or refuse it with the read
// error, leaving the locator and the shell allocator as they were; a block
// it takes must be written back so that it reads the same again.

#include "UKwShellControls.h"

#include "com/ComTesting.h"
#include "vcl/core/Exceptions.h"
#include "vcl/core/Streams.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class TFuzzLocator : public kw::TKwShellLocator {
public:
    using TKwShellLocator::ReadData;
    using TKwShellLocator::WriteData;
};

std::string Stored(TFuzzLocator& locator)
{
    vcl::TMemoryStream stream;
    locator.WriteData(&stream);
    return std::string(static_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size()));
}

void Load(TFuzzLocator& locator, const std::string& bytes)
{
    vcl::TMemoryStream stream;
    if (!bytes.empty())
        stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
    stream.SetPosition(0);
    locator.ReadData(&stream);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const long long liveBefore = com::testing::LiveTaskAllocations();
    {
        TFuzzLocator locator;
        locator.SetCSIDL(kw::csidlPersonal);
        const std::string before = Stored(locator);
        try {
            Load(locator, input);
        } catch (const vcl::EReadError&) {
            if (Stored(locator) != before)
                std::abort();
            return 0;
        }
        // The desktop by list is not stored at all (the property is left
        // out); everything else reads back as it was written.
        if (locator.Which() == kw::useCSIDL || locator.GetIdList()) {
            const std::string written = Stored(locator);
            TFuzzLocator again;
            Load(again, written);
            if (Stored(again) != written)
                std::abort();
        }
    }
    if (com::testing::LiveTaskAllocations() != liveBefore)
        std::abort();
    return 0;
}
