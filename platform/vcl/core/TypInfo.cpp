#include "vcl/core/TypInfo.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <mutex>

namespace vcl {

namespace {

std::string_view TrimSpaces(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::int64_t ParseMemberValue(std::string_view text)
{
    text = TrimSpaces(text);
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
        throw EPropertyError("Enumeration member value must be a literal: " + std::string(text));
    return negative ? -value : value;
}

[[noreturn]] void PropertyError(const std::string& message)
{
    throw EPropertyError(message);
}

const TPropInfo* RequireProp(const TObject* instance, std::string_view name)
{
    const TPropInfo* prop = instance ? GetPropInfo(instance, name) : nullptr;
    if (!prop)
        PropertyError("Unknown property: " + std::string(name));
    return prop;
}

void CheckInstance(const TObject* instance, const TPropInfo* prop)
{
    if (!instance || !prop)
        PropertyError("Property access without an instance or a property");
    if (!instance->InheritsFrom(prop->Declarer))
        PropertyError("Property " + prop->Name + " is not a property of " + instance->ClassName());
}

[[noreturn]] void KindError(const TPropInfo* prop)
{
    PropertyError("Invalid property type: " + prop->Name + " is of type " + prop->PropType->Name);
}

[[noreturn]] void ReadOnlyError(const TPropInfo* prop)
{
    PropertyError("Property " + prop->Name + " is read-only");
}

} // namespace

bool SameIdent(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

bool IsValidIdent(std::string_view ident)
{
    if (ident.empty())
        return false;
    auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    if (!alpha(ident.front()))
        return false;
    for (char c : ident)
        if (!alpha(c) && !(c >= '0' && c <= '9'))
            return false;
    return true;
}

bool IsOrdinalKind(TTypeKind kind)
{
    return kind == tkInteger || kind == tkInt64 || kind == tkChar || kind == tkEnumeration || kind == tkSet;
}

// ---- identifiers, enumerations, sets ----

std::string GetEnumName(const TTypeInfo* type, std::int64_t value)
{
    std::string name;
    IntToIdent(type, value, name);
    return name;
}

bool GetEnumValue(const TTypeInfo* type, std::string_view name, std::int64_t& value)
{
    return IdentToInt(type, name, value);
}

bool IdentToInt(const TTypeInfo* type, std::string_view ident, std::int64_t& value)
{
    if (!type)
        return false;
    for (const TIdentMapEntry& entry : type->Idents)
        if (SameIdent(entry.Name, ident)) {
            value = entry.Value;
            return true;
        }
    return false;
}

bool IntToIdent(const TTypeInfo* type, std::int64_t value, std::string& ident)
{
    if (!type)
        return false;
    for (const TIdentMapEntry& entry : type->Idents)
        if (entry.Value == value) {
            ident = entry.Name;
            return true;
        }
    return false;
}

std::string SetToString(const TTypeInfo* setType, std::uint64_t bits, bool brackets)
{
    std::string text;
    const TTypeInfo* element = setType ? setType->ElementType : nullptr;
    if (element)
        for (const TIdentMapEntry& member : element->Idents) {
            if (member.Value < 0 || member.Value >= MaxSetMembers)
                continue;
            if (bits & (std::uint64_t{1} << member.Value)) {
                if (!text.empty())
                    text += ',';
                text += member.Name;
            }
        }
    return brackets ? "[" + text + "]" : text;
}

std::uint64_t StringToSet(const TTypeInfo* setType, std::string_view text)
{
    if (!setType || setType->Kind != tkSet || !setType->ElementType)
        PropertyError("Not a set type");
    text = TrimSpaces(text);
    if (!text.empty() && text.front() == '[') {
        if (text.back() != ']')
            PropertyError("Invalid set: " + std::string(text));
        text = TrimSpaces(text.substr(1, text.size() - 2));
    }
    std::uint64_t bits = 0;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view member = TrimSpaces(text.substr(0, comma));
        std::int64_t value = 0;
        if (!IdentToInt(setType->ElementType, member, value) || value < 0 || value >= MaxSetMembers)
            PropertyError("Invalid set member: " + std::string(member));
        bits |= std::uint64_t{1} << value;
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
        if (TrimSpaces(text).empty())
            PropertyError("Invalid set: a member expected after ','");
    }
    return bits;
}

TTypeInfo MakeEnumTypeInfo(const char* name, const char* members)
{
    TTypeInfo info;
    info.Kind = tkEnumeration;
    info.Name = name;
    std::string_view rest = members;
    std::int64_t next = 0;
    while (!TrimSpaces(rest).empty()) {
        const size_t comma = rest.find(',');
        std::string_view member = TrimSpaces(rest.substr(0, comma));
        std::int64_t value = next;
        if (const size_t equals = member.find('='); equals != std::string_view::npos) {
            value = ParseMemberValue(member.substr(equals + 1));
            member = TrimSpaces(member.substr(0, equals));
        }
        info.Idents.push_back({value, std::string(member)});
        next = value + 1;
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    info.MinValue = info.MaxValue = info.Idents.empty() ? 0 : info.Idents.front().Value;
    for (const TIdentMapEntry& entry : info.Idents) {
        info.MinValue = std::min(info.MinValue, entry.Value);
        info.MaxValue = std::max(info.MaxValue, entry.Value);
    }
    return info;
}

TTypeInfo MakeIdentTypeInfo(const char* name, std::int64_t minValue, std::int64_t maxValue,
                            std::vector<TIdentMapEntry> idents)
{
    TTypeInfo info;
    info.Kind = tkInteger;
    info.Name = name;
    info.MinValue = minValue;
    info.MaxValue = maxValue;
    info.Idents = std::move(idents);
    return info;
}

// ---- the type of a C++ type ----

const TTypeInfo* TypeInfoOf(TTypeTag<bool>)
{
    static const TTypeInfo info = MakeEnumTypeInfo("Boolean", "False, True");
    return &info;
}

const TTypeInfo* TypeInfoOf(TTypeTag<char>)
{
    static const TTypeInfo info = [] {
        TTypeInfo c;
        c.Kind = tkChar;
        c.Name = "Char";
        c.MinValue = 0;
        c.MaxValue = 255;
        return c;
    }();
    return &info;
}

const TTypeInfo* TypeInfoOf(TTypeTag<double>)
{
    static const TTypeInfo info = [] {
        TTypeInfo f;
        f.Kind = tkFloat;
        f.Name = "Double";
        return f;
    }();
    return &info;
}

const TTypeInfo* TypeInfoOf(TTypeTag<std::string>)
{
    static const TTypeInfo info = [] {
        TTypeInfo s;
        s.Kind = tkString;
        s.Name = "string";
        return s;
    }();
    return &info;
}

const TTypeInfo* IntegerTypeInfo(const char* name, std::int64_t minValue, std::int64_t maxValue, bool int64)
{
    // One record per distinct range; the ranges of the C++ integer types are
    // few, and the records live as long as the process.
    struct Entry {
        bool Wide;
        TTypeInfo Info;
    };
    static std::mutex lock;
    static std::vector<std::unique_ptr<Entry>> entries;
    std::lock_guard guard(lock);
    for (const auto& entry : entries)
        if (entry->Info.MinValue == minValue && entry->Info.MaxValue == maxValue && entry->Wide == int64)
            return &entry->Info;
    auto entry = std::make_unique<Entry>();
    entry->Wide = int64;
    entry->Info.Kind = int64 ? tkInt64 : tkInteger;
    entry->Info.Name = name;
    entry->Info.MinValue = minValue;
    entry->Info.MaxValue = maxValue;
    entries.push_back(std::move(entry));
    return &entries.back()->Info;
}

// ---- published members ----

const TClassRtti* OwnRtti(TClass cls)
{
    return cls && cls->Published ? &cls->Published() : nullptr;
}

TComponent* (*ClassFactory(TClass cls))(TComponent*)
{
    const TClassRtti* rtti = OwnRtti(cls);
    return rtti ? rtti->Create : nullptr;
}

std::vector<const TPropInfo*> GetPropList(TClass cls)
{
    std::vector<TClass> chain;
    for (TClass c = cls; c; c = c->Parent)
        chain.push_back(c);
    std::vector<const TPropInfo*> list;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const TClassRtti* rtti = OwnRtti(*it);
        if (!rtti)
            continue;
        for (const TPropInfo& prop : rtti->Properties) {
            bool replaced = false;
            for (const TPropInfo*& existing : list)
                if (SameIdent(existing->Name, prop.Name)) {
                    existing = &prop;
                    replaced = true;
                    break;
                }
            if (!replaced)
                list.push_back(&prop);
        }
    }
    return list;
}

const TPropInfo* GetPropInfo(TClass cls, std::string_view name)
{
    for (TClass c = cls; c; c = c->Parent)
        if (const TClassRtti* rtti = OwnRtti(c))
            for (const TPropInfo& prop : rtti->Properties)
                if (SameIdent(prop.Name, name))
                    return &prop;
    return nullptr;
}

const TPropInfo* GetPropInfo(const TObject* instance, std::string_view name)
{
    return instance ? GetPropInfo(instance->ClassType(), name) : nullptr;
}

const TFieldInfo* GetFieldInfo(TClass cls, std::string_view name)
{
    for (TClass c = cls; c; c = c->Parent)
        if (const TClassRtti* rtti = OwnRtti(c))
            for (const TFieldInfo& field : rtti->Fields)
                if (SameIdent(field.Name, name))
                    return &field;
    return nullptr;
}

const TMethodInfo* GetMethodInfo(TClass cls, std::string_view name)
{
    for (TClass c = cls; c; c = c->Parent)
        if (const TClassRtti* rtti = OwnRtti(c))
            for (const TMethodInfo& method : rtti->Methods)
                if (SameIdent(method.Name, name))
                    return &method;
    return nullptr;
}

std::string GetMethodName(TObject* instance, const TMethod& method)
{
    if (!instance || method.IsNil())
        return {};
    for (TClass c = instance->ClassType(); c; c = c->Parent)
        if (const TClassRtti* rtti = OwnRtti(c))
            for (const TMethodInfo& info : rtti->Methods)
                if (info.Bind(instance) == method)
                    return info.Name;
    return {};
}

bool IsStoredProp(const TObject* instance, const TPropInfo* prop)
{
    CheckInstance(instance, prop);
    if (prop->StoredFunc)
        return prop->StoredFunc(instance);
    return prop->StoredConstant;
}

bool IsDefaultPropValue(const TObject* instance, const TPropInfo* prop)
{
    CheckInstance(instance, prop);
    switch (prop->PropType->Kind) {
    case tkInteger:
    case tkInt64:
    case tkChar:
    case tkEnumeration:
    case tkSet:
        return prop->HasDefault && prop->GetOrd(instance) == prop->Default;
    case tkFloat:
        return prop->GetFloat(instance) == 0.0;
    case tkString:
        return prop->GetStr(instance).empty();
    case tkMethod:
        return prop->GetMethod(instance).IsNil();
    case tkClass:
        return false;
    }
    return false;
}

// ---- get and set ----

std::int64_t GetOrdProp(const TObject* instance, const TPropInfo* prop)
{
    CheckInstance(instance, prop);
    if (!IsOrdinalKind(prop->PropType->Kind))
        KindError(prop);
    return prop->GetOrd(instance);
}

std::int64_t GetOrdProp(const TObject* instance, std::string_view name)
{
    return GetOrdProp(instance, RequireProp(instance, name));
}

void SetOrdProp(TObject* instance, const TPropInfo* prop, std::int64_t value)
{
    CheckInstance(instance, prop);
    const TTypeInfo* type = prop->PropType;
    if (!IsOrdinalKind(type->Kind))
        KindError(prop);
    if (!prop->SetOrd)
        ReadOnlyError(prop);
    if (type->Kind == tkSet) {
        std::uint64_t allowed = 0;
        for (const TIdentMapEntry& member : type->ElementType->Idents)
            if (member.Value >= 0 && member.Value < MaxSetMembers)
                allowed |= std::uint64_t{1} << member.Value;
        if (static_cast<std::uint64_t>(value) & ~allowed)
            PropertyError("Set value out of range for property " + prop->Name);
    } else if (type->Kind == tkEnumeration) {
        std::string ignored;
        if (!IntToIdent(type, value, ignored))
            PropertyError("Value " + std::to_string(value) + " out of range for property " + prop->Name);
    } else if (value < type->MinValue || value > type->MaxValue) {
        PropertyError("Value " + std::to_string(value) + " out of range for property " + prop->Name);
    }
    prop->SetOrd(instance, value);
}

void SetOrdProp(TObject* instance, std::string_view name, std::int64_t value)
{
    SetOrdProp(instance, RequireProp(instance, name), value);
}

std::string GetEnumProp(const TObject* instance, std::string_view name)
{
    const TPropInfo* prop = RequireProp(instance, name);
    if (prop->PropType->Kind != tkEnumeration)
        KindError(prop);
    return GetEnumName(prop->PropType, GetOrdProp(instance, prop));
}

void SetEnumProp(TObject* instance, std::string_view name, std::string_view value)
{
    const TPropInfo* prop = RequireProp(instance, name);
    if (prop->PropType->Kind != tkEnumeration)
        KindError(prop);
    std::int64_t ordinal = 0;
    if (!GetEnumValue(prop->PropType, value, ordinal))
        PropertyError("Invalid enumeration value '" + std::string(value) + "' for property " + prop->Name);
    SetOrdProp(instance, prop, ordinal);
}

std::string GetSetProp(const TObject* instance, std::string_view name, bool brackets)
{
    const TPropInfo* prop = RequireProp(instance, name);
    if (prop->PropType->Kind != tkSet)
        KindError(prop);
    return SetToString(prop->PropType, static_cast<std::uint64_t>(GetOrdProp(instance, prop)), brackets);
}

void SetSetProp(TObject* instance, std::string_view name, std::string_view value)
{
    const TPropInfo* prop = RequireProp(instance, name);
    if (prop->PropType->Kind != tkSet)
        KindError(prop);
    SetOrdProp(instance, prop, static_cast<std::int64_t>(StringToSet(prop->PropType, value)));
}

std::string GetStrProp(const TObject* instance, const TPropInfo* prop)
{
    CheckInstance(instance, prop);
    if (prop->PropType->Kind != tkString)
        KindError(prop);
    return prop->GetStr(instance);
}

std::string GetStrProp(const TObject* instance, std::string_view name)
{
    return GetStrProp(instance, RequireProp(instance, name));
}

void SetStrProp(TObject* instance, const TPropInfo* prop, const std::string& value)
{
    CheckInstance(instance, prop);
    if (prop->PropType->Kind != tkString)
        KindError(prop);
    if (!prop->SetStr)
        ReadOnlyError(prop);
    prop->SetStr(instance, value);
}

void SetStrProp(TObject* instance, std::string_view name, const std::string& value)
{
    SetStrProp(instance, RequireProp(instance, name), value);
}

double GetFloatProp(const TObject* instance, const TPropInfo* prop)
{
    CheckInstance(instance, prop);
    if (prop->PropType->Kind != tkFloat)
        KindError(prop);
    return prop->GetFloat(instance);
}

double GetFloatProp(const TObject* instance, std::string_view name)
{
    return GetFloatProp(instance, RequireProp(instance, name));
}

void SetFloatProp(TObject* instance, const TPropInfo* prop, double value)
{
    CheckInstance(instance, prop);
    if (prop->PropType->Kind != tkFloat)
        KindError(prop);
    if (!prop->SetFloat)
        ReadOnlyError(prop);
    prop->SetFloat(instance, value);
}

void SetFloatProp(TObject* instance, std::string_view name, double value)
{
    SetFloatProp(instance, RequireProp(instance, name), value);
}

TObject* GetObjectProp(const TObject* instance, const TPropInfo* prop)
{
    CheckInstance(instance, prop);
    if (prop->PropType->Kind != tkClass)
        KindError(prop);
    return prop->GetObject(instance);
}

TObject* GetObjectProp(const TObject* instance, std::string_view name)
{
    return GetObjectProp(instance, RequireProp(instance, name));
}

void SetObjectProp(TObject* instance, const TPropInfo* prop, TObject* value)
{
    CheckInstance(instance, prop);
    if (prop->PropType->Kind != tkClass)
        KindError(prop);
    if (!prop->SetObject)
        ReadOnlyError(prop);
    if (value && !value->InheritsFrom(prop->PropType->ClassType))
        PropertyError("Invalid property value: a " + value->ClassName() + " is no " + prop->PropType->Name);
    prop->SetObject(instance, value);
}

void SetObjectProp(TObject* instance, std::string_view name, TObject* value)
{
    SetObjectProp(instance, RequireProp(instance, name), value);
}

TMethod GetMethodProp(const TObject* instance, const TPropInfo* prop)
{
    CheckInstance(instance, prop);
    if (prop->PropType->Kind != tkMethod)
        KindError(prop);
    return prop->GetMethod(instance);
}

TMethod GetMethodProp(const TObject* instance, std::string_view name)
{
    return GetMethodProp(instance, RequireProp(instance, name));
}

void SetMethodProp(TObject* instance, const TPropInfo* prop, const TMethod& value)
{
    CheckInstance(instance, prop);
    if (prop->PropType->Kind != tkMethod)
        KindError(prop);
    if (!prop->SetMethod)
        ReadOnlyError(prop);
    if (!value.IsNil() && (!value.Signature || *value.Signature != *prop->PropType->Signature))
        PropertyError("Incompatible event handler for property " + prop->Name);
    prop->SetMethod(instance, value);
}

void SetMethodProp(TObject* instance, std::string_view name, const TMethod& value)
{
    SetMethodProp(instance, RequireProp(instance, name), value);
}

} // namespace vcl
