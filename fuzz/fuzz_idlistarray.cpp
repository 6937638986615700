// Item id list arrays come from other programs through drops and the
// clipboard: the reader must stay inside the block, and what it accepts is
// one parent and the count of items the block names, each a list of ours.

#include "shell32/IdListArray.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exact-size copy, so a read past the end is caught.
    std::vector<std::uint8_t> buffer(data, data + size);
    const auto array = shell32::ReadIdListArray(buffer.data(), buffer.size());
    if (!array)
        return 0;
    const std::uint32_t count =
        buffer[0] | (buffer[1] << 8) | (buffer[2] << 16) | (std::uint32_t{buffer[3]} << 24);
    if (!array->Parent || array->Items.size() != count)
        std::abort();
    std::size_t total = shell32::IdListSize(array->Parent.get());
    for (const shell32::OwnedIdList& item : array->Items) {
        const std::size_t length = shell32::IdListSize(item.get());
        if (length == 0 || !shell32::ValidateIdList(item.get(), length))
            std::abort();
        total += length;
    }
    if (total > size)
        std::abort();
    return 0;
}
