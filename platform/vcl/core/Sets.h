#pragma once
// The framework's small sets: a set of members of one enumeration, held as
// bits of one 64-bit word (member ordinal n is bit n).
//
//     enum TKwFooOption { kwfoOne, kwfoTwo, kwfoThree };
//     using TKwFooOptions = vcl::TSet<TKwFooOption>;
//     TKwFooOptions options{kwfoOne, kwfoThree};
//     if (options.Contains(kwfoOne)) ...
//     options += kwfoTwo;
//
// The run-time type information reads and writes a set property as its bits.

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace vcl {

// The most members a set type may have.
inline constexpr int MaxSetMembers = 64;

template <class E>
requires std::is_enum_v<E>
class TSet {
public:
    using Element = E;

    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members)
    {
        for (E member : members)
            Bits_ |= Bit(member);
    }
    static constexpr TSet FromBits(std::uint64_t bits)
    {
        TSet set;
        set.Bits_ = bits;
        return set;
    }
    constexpr std::uint64_t Bits() const { return Bits_; }

    constexpr bool Contains(E member) const { return (Bits_ & Bit(member)) != 0; }
    constexpr bool Empty() const { return Bits_ == 0; }
    constexpr TSet& Include(E member)
    {
        Bits_ |= Bit(member);
        return *this;
    }
    constexpr TSet& Exclude(E member)
    {
        Bits_ &= ~Bit(member);
        return *this;
    }

    constexpr TSet& operator+=(E member) { return Include(member); }
    constexpr TSet& operator-=(E member) { return Exclude(member); }
    constexpr TSet& operator+=(TSet other)
    {
        Bits_ |= other.Bits_;
        return *this;
    }
    constexpr TSet& operator-=(TSet other)
    {
        Bits_ &= ~other.Bits_;
        return *this;
    }
    friend constexpr TSet operator+(TSet a, TSet b) { return FromBits(a.Bits_ | b.Bits_); }
    friend constexpr TSet operator-(TSet a, TSet b) { return FromBits(a.Bits_ & ~b.Bits_); }
    friend constexpr TSet operator*(TSet a, TSet b) { return FromBits(a.Bits_ & b.Bits_); }
    friend constexpr TSet operator+(TSet a, E b) { return a += b; }
    friend constexpr TSet operator-(TSet a, E b) { return a -= b; }
    friend constexpr bool operator==(TSet a, TSet b) = default;

private:
    static constexpr std::uint64_t Bit(E member)
    {
        const auto ordinal = static_cast<std::uint64_t>(member);
        return ordinal < MaxSetMembers ? std::uint64_t{1} << ordinal : 0;
    }

    std::uint64_t Bits_ = 0;
};

} // namespace vcl
