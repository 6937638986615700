#include "shell32/ItemEnumerator.h"

#include "com/ComObject.h"
#include "com/TaskAllocator.h"
#include "shell32/FileSystem_linux.h"
#include "shell32/ItemIdList.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace shell32 {

namespace {

// What has been read so far, shared by an enumerator and its clones. Each
// chunk read keeps its items in a block of its own, so that a large folder
// is never copied into a larger buffer as it grows.
class ItemStore {
public:
    explicit ItemStore(std::string items)
    {
        std::vector<std::uint32_t> offsets;
        for (std::size_t offset = 0; offset + 2 <= items.size();) {
            const std::size_t count =
                static_cast<BYTE>(items[offset]) | (static_cast<BYTE>(items[offset + 1]) << 8);
            if (count < 2 || offset + count > items.size())
                break;
            offsets.push_back(static_cast<std::uint32_t>(offset));
            offset += count;
        }
        AddBlock(std::move(items), offsets);
    }
    explicit ItemStore(std::unique_ptr<DirectoryReader> reader) : Reader_(std::move(reader)) {}

    // Copies item index into a new list; S_FALSE past the end, an error when
    // reading failed there.
    HRESULT Copy(std::size_t index, LPITEMIDLIST& out)
    {
        std::lock_guard lock(Mutex_);
        while (index >= Items_.size() && Reader_)
            ReadMore();
        if (index >= Items_.size())
            return FAILED(Error_) ? Error_ : S_FALSE;
        const Item item = Items_[index];
        out = AllocIdList(std::string_view(Blocks_[item.block]).substr(item.offset, item.length));
        return out ? S_OK : E_OUTOFMEMORY;
    }

    // S_OK when there is a first item, S_FALSE when there is nothing to list,
    // or the error that stopped the reading before the first item.
    HRESULT FirstItemResult()
    {
        if (Available(0, 1) == 1)
            return S_OK;
        std::lock_guard lock(Mutex_);
        return FAILED(Error_) ? Error_ : S_FALSE;
    }

    // How many items exist from index on, up to wanted (reads as needed).
    std::size_t Available(std::size_t index, std::size_t wanted)
    {
        std::lock_guard lock(Mutex_);
        while (index + wanted > Items_.size() && Reader_)
            ReadMore();
        return index >= Items_.size() ? 0 : std::min(wanted, Items_.size() - index);
    }

private:
    struct Item {
        std::uint32_t block;
        std::uint32_t offset;
        std::uint32_t length;
    };

    void AddBlock(std::string block, const std::vector<std::uint32_t>& offsets)
    {
        const auto number = static_cast<std::uint32_t>(Blocks_.size());
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            const std::uint32_t end =
                i + 1 < offsets.size() ? offsets[i + 1] : static_cast<std::uint32_t>(block.size());
            Items_.push_back({number, offsets[i], end - offsets[i]});
        }
        Blocks_.push_back(std::move(block));
    }

    // Reads the next chunk (the caller holds the lock). Memory running out
    // ends the listing with that error: the chunk's entries are gone from the
    // directory stream, so going on would skip them unseen.
    void ReadMore()
    {
        const std::size_t items = Items_.size();
        try {
            std::string block;
            std::vector<std::uint32_t> offsets;
            if (Reader_->ReadChunk(block, offsets)) {
                AddBlock(std::move(block), offsets);
                return;
            }
            Error_ = Reader_->Error();
        } catch (const std::bad_alloc&) {
            Items_.resize(items);
            Error_ = E_OUTOFMEMORY;
        }
        Reader_.reset();
    }

    std::mutex Mutex_;
    std::vector<std::string> Blocks_;
    std::vector<Item> Items_;
    std::unique_ptr<DirectoryReader> Reader_;
    HRESULT Error_ = S_OK;
};

class ItemEnumerator : public com::InterlockedComObject<IEnumIDList> {
public:
    ItemEnumerator(std::shared_ptr<ItemStore> store, std::size_t position)
        : Store_(std::move(store)), Position_(position)
    {
    }

    HRESULT Next(ULONG celt, LPITEMIDLIST* rgelt, ULONG* fetched) override
    {
        return com::Guard([&] {
            if (fetched)
                *fetched = 0;
            if (!rgelt || (celt > 1 && !fetched))
                return E_POINTER;
            ULONG got = 0;
            HRESULT hr = S_OK;
            while (got < celt) {
                LPITEMIDLIST item = nullptr;
                hr = Store_->Copy(Position_, item);
                if (hr != S_OK)
                    break;
                rgelt[got++] = item;
                ++Position_;
            }
            if (hr == E_OUTOFMEMORY) {
                // Nothing half-done: give back what this call made.
                Position_ -= got;
                while (got > 0)
                    CoTaskMemFree(rgelt[--got]);
                return E_OUTOFMEMORY;
            }
            if (fetched)
                *fetched = got;
            if (got == celt)
                return S_OK;
            return (got == 0 && FAILED(hr)) ? hr : S_FALSE;
        });
    }

    HRESULT Skip(ULONG celt) override
    {
        return com::Guard([&] {
            const std::size_t skipped = Store_->Available(Position_, celt);
            Position_ += skipped;
            return skipped == celt ? S_OK : S_FALSE;
        });
    }

    HRESULT Reset() override
    {
        return com::Guard([&] {
            Position_ = 0;
            return S_OK;
        });
    }

    HRESULT Clone(IEnumIDList** clone) override
    {
        return com::Guard([&] {
            if (!clone)
                return E_POINTER;
            *clone = com::MakeComObject<ItemEnumerator>(Store_, Position_).Detach();
            return S_OK;
        });
    }

private:
    std::shared_ptr<ItemStore> Store_;
    std::size_t Position_;
};

} // namespace

namespace {

// A folder with nothing to list answers S_FALSE and hands out no enumerator,
// as the shell's folders do; callers treat that as an empty folder.
HRESULT MakeEnumerator(std::shared_ptr<ItemStore> store, IEnumIDList** enumerator)
{
    if (!enumerator)
        return E_POINTER;
    *enumerator = nullptr;
    const HRESULT first = store->FirstItemResult();
    if (first != S_OK)
        return first;
    *enumerator = com::MakeComObject<ItemEnumerator>(std::move(store), std::size_t{0}).Detach();
    return S_OK;
}

} // namespace

HRESULT MakeItemEnumerator(std::string items, IEnumIDList** enumerator)
{
    return MakeEnumerator(std::make_shared<ItemStore>(std::move(items)), enumerator);
}

HRESULT MakeDirectoryEnumerator(std::unique_ptr<DirectoryReader> reader, IEnumIDList** enumerator)
{
    return MakeEnumerator(std::make_shared<ItemStore>(std::move(reader)), enumerator);
}

} // namespace shell32
