#pragma once
// Interfaces made up for the tests of the COM stand-in.

#include "com/Unknown.h"

inline constexpr IID IID_ICounter = com::MakeGuid("{6A1F0C21-7E43-4B8D-9C55-0D2E3F4A5B01}");
inline constexpr IID IID_IDerivedCounter = com::MakeGuid("{6A1F0C21-7E43-4B8D-9C55-0D2E3F4A5B02}");
inline constexpr IID IID_INamed = com::MakeGuid("{6A1F0C21-7E43-4B8D-9C55-0D2E3F4A5B03}");
inline constexpr IID IID_INeverImplemented = com::MakeGuid("{6A1F0C21-7E43-4B8D-9C55-0D2E3F4A5B04}");

class ICounter : public IUnknown {
public:
    virtual int Value() = 0;
};
KW_DECLARE_INTERFACE(ICounter, IUnknown)

class IDerivedCounter : public ICounter {
public:
    virtual int Twice() = 0;
};
KW_DECLARE_INTERFACE(IDerivedCounter, ICounter)

class INamed : public IUnknown {
public:
    virtual const char* Name() = 0;
};
KW_DECLARE_INTERFACE(INamed, IUnknown)

class INeverImplemented : public IUnknown {
public:
    virtual void Nothing() = 0;
};
KW_DECLARE_INTERFACE(INeverImplemented, IUnknown)

namespace comtest {
inline constexpr IID IID_IScoped = com::MakeGuid("{6A1F0C21-7E43-4B8D-9C55-0D2E3F4A5B05}");
class IScoped : public IUnknown {
public:
    virtual int Depth() = 0;
};
} // namespace comtest
KW_DECLARE_INTERFACE_IID(comtest::IScoped, comtest::IID_IScoped, IUnknown)
