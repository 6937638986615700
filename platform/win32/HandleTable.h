#pragma once
// A thread-safe table of objects addressed by opaque, pointer-sized handles.
//
// Every slot carries a generation. A handle encodes the table's tag, the
// slot's generation at the time it was issued and the slot's index, so a
// handle whose object was removed (or whose slot now holds another object)
// no longer matches and is refused without touching the slot's contents.
// A slot whose generation is used up is retired instead of being reused, so
// a stale handle can never come back to life. The value 0 is never issued,
// nor is INVALID_HANDLE_VALUE (all bits set).
//
// Records are reached only through callbacks run under the table's lock; a
// callback must not call back into the same table. Records that must outlive
// the lock (windows that re-enter the table while they work) are best held by
// shared_ptr.

#include "win32/WinTypes.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <type_traits>
#include <utility>
#include <vector>

namespace win32 {

// Distinct tags keep one table's handles invalid in every other table, even
// where the platform's types meet (HANDLE, HGDIOBJ).
enum class HandleKind : std::uint8_t {
    Module = 1,
    Window,
    Icon,
    Cursor,
    Bitmap,
    Brush,
    Pen,
    Font,
    Region,
    Palette,
    DeviceContext,
    Menu,
    ImageList,
    RegistryKey,
    GlobalMemory,
    Kernel,
    FindFile,
    ChangeNotification,
    Other = 0x7F,
};

namespace handle_bits {
// Layout of a handle value: | 0 | tag (7) | generation (24) | index + 1 (32) |
// The top bit stays clear so a handle is positive when held as LPARAM.
constexpr unsigned kIndexBits = 32;
constexpr unsigned kGenerationBits = 24;
constexpr std::uint64_t kIndexMask = (std::uint64_t{1} << kIndexBits) - 1;
constexpr std::uint32_t kGenerationMask = (std::uint32_t{1} << kGenerationBits) - 1;
constexpr unsigned kTagShift = kIndexBits + kGenerationBits;
} // namespace handle_bits

// GenerationBits bounds how often a slot is reused before it is retired; only
// tests choose fewer than the handle layout holds.
template <class Handle, class Record, unsigned GenerationBits = handle_bits::kGenerationBits>
class HandleTable {
    static_assert(std::is_pointer_v<Handle>, "handles are pointer types");
    static_assert(GenerationBits >= 1 && GenerationBits <= handle_bits::kGenerationBits);
    static_assert(sizeof(Handle) == sizeof(std::uint64_t), "handles are 64-bit here");

public:
    // At most maxSlots objects live at once (the platform's quota).
    explicit HandleTable(HandleKind kind, std::size_t maxSlots = std::size_t{1} << 20)
        : Tag_(static_cast<std::uint8_t>(kind) & 0x7F),
          MaxSlots_(maxSlots < handle_bits::kIndexMask ? maxSlots : handle_bits::kIndexMask - 1)
    {
    }
    HandleTable(const HandleTable&) = delete;
    HandleTable& operator=(const HandleTable&) = delete;

    // Stores the record and returns its new handle; 0 when the table is full.
    Handle Insert(Record record)
    {
        std::unique_lock lock(Mutex_);
        std::uint32_t index;
        if (!Free_.empty()) {
            index = Free_.back();
            Free_.pop_back();
        } else {
            if (Slots_.size() >= MaxSlots_)
                return nullptr;
            index = static_cast<std::uint32_t>(Slots_.size());
            Slots_.emplace_back();
        }
        Slot& slot = Slots_[index];
        slot.Held.emplace(std::move(record));
        ++Live_;
        return Encode(index, slot.Generation);
    }

    bool IsValid(Handle handle) const
    {
        std::shared_lock lock(Mutex_);
        return Find(handle) != nullptr;
    }

    // Runs read(const Record&) when the handle is live; false when it is not.
    template <class F>
    bool Read(Handle handle, F&& read) const
    {
        std::shared_lock lock(Mutex_);
        const Slot* slot = Find(handle);
        if (!slot)
            return false;
        std::forward<F>(read)(*slot->Held);
        return true;
    }

    // Runs modify(Record&) when the handle is live; false when it is not.
    template <class F>
    bool Modify(Handle handle, F&& modify)
    {
        std::unique_lock lock(Mutex_);
        Slot* slot = Find(handle);
        if (!slot)
            return false;
        std::forward<F>(modify)(*slot->Held);
        return true;
    }

    // A copy of the record, or nothing for a stale handle.
    std::optional<Record> Get(Handle handle) const
    {
        std::shared_lock lock(Mutex_);
        const Slot* slot = Find(handle);
        if (!slot)
            return std::nullopt;
        return *slot->Held;
    }

    // Removes the record and hands it back; from now on the handle is stale.
    std::optional<Record> Take(Handle handle)
    {
        std::optional<Record> taken;
        {
            std::unique_lock lock(Mutex_);
            Slot* slot = Find(handle);
            if (!slot)
                return std::nullopt;
            taken.emplace(std::move(*slot->Held));
            Release(*slot, DecodeIndex(handle));
        }
        return taken;
    }

    // Removes the record (destroyed outside the lock); false for a stale handle.
    bool Remove(Handle handle) { return Take(handle).has_value(); }

    // Removes the records for which pred(const Record&) holds; returns how many.
    template <class Pred>
    std::size_t RemoveIf(Pred&& pred)
    {
        std::vector<Record> doomed;
        {
            std::unique_lock lock(Mutex_);
            for (std::uint32_t i = 0; i < Slots_.size(); ++i) {
                Slot& slot = Slots_[i];
                if (slot.Held && pred(std::as_const(*slot.Held))) {
                    doomed.push_back(std::move(*slot.Held));
                    Release(slot, i);
                }
            }
        }
        return doomed.size();
    }

    // Calls visit(Handle, const Record&) for every live record.
    template <class F>
    void ForEach(F&& visit) const
    {
        std::shared_lock lock(Mutex_);
        for (std::uint32_t i = 0; i < Slots_.size(); ++i) {
            const Slot& slot = Slots_[i];
            if (slot.Held)
                visit(Encode(i, slot.Generation), std::as_const(*slot.Held));
        }
    }

    std::size_t Size() const
    {
        std::shared_lock lock(Mutex_);
        return Live_;
    }

private:
    struct Slot {
        std::uint32_t Generation = 1;
        std::optional<Record> Held;
    };

    Handle Encode(std::uint32_t index, std::uint32_t generation) const
    {
        const std::uint64_t value = (std::uint64_t{Tag_} << handle_bits::kTagShift) |
                                    (std::uint64_t{generation} << handle_bits::kIndexBits) |
                                    (std::uint64_t{index} + 1);
        return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(value));
    }

    static std::uint64_t Value(Handle handle)
    {
        return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
    }
    static std::uint32_t DecodeIndex(Handle handle)
    {
        return static_cast<std::uint32_t>((Value(handle) & handle_bits::kIndexMask) - 1);
    }

    template <class Self>
    static auto FindIn(Self& self, Handle handle) -> decltype(&self.Slots_[0])
    {
        const std::uint64_t value = Value(handle);
        if ((value >> handle_bits::kTagShift) != self.Tag_)
            return nullptr;
        const std::uint64_t indexPlusOne = value & handle_bits::kIndexMask;
        if (indexPlusOne == 0 || indexPlusOne > self.Slots_.size())
            return nullptr;
        auto* slot = &self.Slots_[indexPlusOne - 1];
        const auto generation =
            static_cast<std::uint32_t>((value >> handle_bits::kIndexBits) & handle_bits::kGenerationMask);
        if (!slot->Held || slot->Generation != generation)
            return nullptr;
        return slot;
    }
    Slot* Find(Handle handle) { return FindIn(*this, handle); }
    const Slot* Find(Handle handle) const { return FindIn(*this, handle); }

    // The caller holds the lock and has moved the record out.
    void Release(Slot& slot, std::uint32_t index)
    {
        slot.Held.reset();
        --Live_;
        if (slot.Generation < kMaxGeneration) {
            ++slot.Generation;
            Free_.push_back(index);
        }
        // else: the slot is retired, so no handle it ever issued can match again.
    }

    static constexpr std::uint32_t kMaxGeneration = (std::uint32_t{1} << GenerationBits) - 1;

    const std::uint8_t Tag_;
    const std::size_t MaxSlots_;
    mutable std::shared_mutex Mutex_;
    std::vector<Slot> Slots_;
    std::vector<std::uint32_t> Free_;
    std::size_t Live_ = 0;
};

} // namespace win32
