#include "vcl/core/Collections.h"
#include "vcl/core/Filer.h"
#include "vcl/core/Streams.h"
#include "vcl/core/Strings.h"

#include <algorithm>
#include <climits>

namespace vcl {

struct TWriter::Impl {
    TWriter* Self = nullptr;
    TComponent* Root = nullptr;
    std::vector<TFormObject*> Parents;
    // Where DefineProperties' data goes: the property list and name prefix
    // of the object being written.
    std::vector<TFormProperty>* Out = nullptr;
    std::string Prefix;
    // The values a defined property is writing; the last is the open list.
    std::vector<std::vector<TFormValue>*> Values;
    // Nesting as the reader counts it: objects, collections, items.
    int Depth = 0;
    // Sub-objects inside sub-objects; a sub-object that holds itself would
    // never end.
    int SubDepth = 0;

    void Enter()
    {
        if (++Depth > MaxFormNesting)
            throw EWriteError("Form nested more than " + std::to_string(MaxFormNesting) + " levels deep");
    }
    void Leave() { --Depth; }

    // Levels of lists in value.
    static int ListDepth(const TFormValue& value)
    {
        if (value.Kind != TFormValueKind::List)
            return 0;
        int deepest = 0;
        for (const TFormValue& element : value.List)
            deepest = std::max(deepest, ListDepth(element));
        return deepest + 1;
    }

    static TFormValue Value(TFormValueKind kind)
    {
        TFormValue value;
        value.Kind = kind;
        return value;
    }

    void Add(std::vector<TFormProperty>& out, const std::string& name, TFormValue value)
    {
        TFormProperty property;
        property.Name = name;
        property.Value = std::move(value);
        out.push_back(std::move(property));
    }

    std::string ReferenceName(TComponent* component) const
    {
        if (component == Root)
            return Root->Name();
        if (component->Name().empty())
            return {};
        if (component->Owner() == Root)
            return component->Name();
        if (component->Owner() && !component->Owner()->Name().empty())
            return component->Owner()->Name() + "." + component->Name();
        return {};
    }

    void WriteProperties(TObject* instance, const std::string& prefix, std::vector<TFormProperty>& out)
    {
        for (const TPropInfo* prop : GetPropList(instance->ClassType())) {
            if (!IsStoredProp(instance, prop))
                continue;
            const std::string name = prefix + prop->Name;
            const TTypeInfo* type = prop->PropType;
            switch (type->Kind) {
            case tkInteger:
            case tkInt64:
            case tkChar:
            case tkEnumeration:
            case tkSet:
                WriteOrdinal(instance, prop, name, out);
                break;
            case tkFloat: {
                const double number = prop->GetFloat(instance);
                if (number == 0.0)
                    break;
                TFormValue value = Value(TFormValueKind::Float);
                value.Float = number;
                Add(out, name, std::move(value));
                break;
            }
            case tkString: {
                std::string text = prop->GetStr(instance);
                if (text.empty())
                    break;
                TFormValue value = Value(TFormValueKind::String);
                value.Text = std::move(text);
                Add(out, name, std::move(value));
                break;
            }
            case tkMethod: {
                const std::string handler = GetMethodName(Root, prop->GetMethod(instance));
                if (handler.empty())
                    break;
                TFormValue value = Value(TFormValueKind::Ident);
                value.Text = handler;
                Add(out, name, std::move(value));
                break;
            }
            case tkClass:
                WriteObject(instance, prop, name, out);
                break;
            }
        }
        if (auto* persistent = dynamic_cast<TPersistent*>(instance)) {
            std::vector<TFormProperty>* const savedOut = std::exchange(Out, &out);
            std::string savedPrefix = std::exchange(Prefix, prefix);
            try {
                persistent->DefineProperties(Self);
            } catch (...) {
                Out = savedOut;
                Prefix = std::move(savedPrefix);
                throw;
            }
            Out = savedOut;
            Prefix = std::move(savedPrefix);
        }
    }

    void WriteOrdinal(TObject* instance, const TPropInfo* prop, const std::string& name,
                      std::vector<TFormProperty>& out)
    {
        const std::int64_t ordinal = prop->GetOrd(instance);
        if (prop->HasDefault && ordinal == prop->Default)
            return;
        const TTypeInfo* type = prop->PropType;
        TFormValue value;
        switch (type->Kind) {
        case tkChar:
            value.Kind = TFormValueKind::String;
            value.Text = std::string(1, static_cast<char>(ordinal));
            break;
        case tkEnumeration:
            value.Kind = TFormValueKind::Ident;
            if (!IntToIdent(type, ordinal, value.Text))
                throw EWriteError("Value " + std::to_string(ordinal) + " of " + name + " is no member of " +
                                  type->Name);
            break;
        case tkSet: {
            value.Kind = TFormValueKind::Set;
            const auto bits = static_cast<std::uint64_t>(ordinal);
            std::uint64_t named = 0;
            for (const TIdentMapEntry& member : type->ElementType->Idents)
                if (member.Value >= 0 && member.Value < MaxSetMembers &&
                    (bits & (std::uint64_t{1} << member.Value)) &&
                    !(named & (std::uint64_t{1} << member.Value))) {
                    value.Names.push_back(member.Name);
                    named |= std::uint64_t{1} << member.Value;
                }
            if (named != bits)
                throw EWriteError("Set " + name + " holds members that " + type->ElementType->Name +
                                  " does not name");
            break;
        }
        default:
            if (IntToIdent(type, ordinal, value.Text)) {
                value.Kind = TFormValueKind::Ident;
            } else {
                value.Kind = TFormValueKind::Integer;
                value.Int = ordinal;
            }
            break;
        }
        Add(out, name, std::move(value));
    }

    void WriteObject(TObject* instance, const TPropInfo* prop, const std::string& name,
                     std::vector<TFormProperty>& out)
    {
        TObject* object = prop->GetObject(instance);
        if (!object)
            return;
        auto* component = dynamic_cast<TComponent*>(object);
        if (component && !component->ComponentStyle().Contains(csSubComponent)) {
            if (!prop->SetObject)
                return;
            std::string reference = ReferenceName(component);
            if (reference.empty())
                return;
            TFormValue value = Value(TFormValueKind::Ident);
            value.Text = std::move(reference);
            Add(out, name, std::move(value));
            return;
        }
        if (auto* collection = dynamic_cast<TCollection*>(object)) {
            if (collection->Count() == 0)
                return;
            Enter();
            TFormValue value = Value(TFormValueKind::Collection);
            for (int i = 0; i < collection->Count(); ++i) {
                Enter();
                TFormItem item;
                WriteProperties(collection->Items(i), "", item.Properties);
                value.Items.push_back(std::move(item));
                Leave();
            }
            Leave();
            Add(out, name, std::move(value));
            return;
        }
        if (++SubDepth > MaxFormNesting)
            throw EWriteError("Sub-objects of " + name + " nested too deep");
        if (auto* strings = dynamic_cast<TStrings*>(object)) {
            WriteProperties(strings, name + ".", out);
            --SubDepth;
            if (strings->Count() == 0)
                return;
            // The list is a level of nesting to the reader.
            if (Depth + 1 > MaxFormNesting)
                throw EWriteError("Strings of " + name + " nested more than " +
                                  std::to_string(MaxFormNesting) + " levels deep");
            TFormValue value = Value(TFormValueKind::List);
            for (int i = 0; i < strings->Count(); ++i) {
                TFormValue line = Value(TFormValueKind::String);
                line.Text = strings->Strings(i);
                value.List.push_back(std::move(line));
            }
            Add(out, name + ".Strings", std::move(value));
            return;
        }
        WriteProperties(object, name + ".", out);
        --SubDepth;
    }

    void Append(TFormValue value)
    {
        if (Values.empty())
            throw EWriteError("No property value is being written");
        Values.back()->push_back(std::move(value));
    }
};

TWriter::TWriter() : Impl_(std::make_unique<Impl>())
{
    Impl_->Self = this;
}

TWriter::~TWriter() = default;

TFormObject TWriter::WriteRootComponent(TComponent* root)
{
    if (!root)
        throw EWriteError("No component to write");
    Impl& impl = *Impl_;
    impl.Root = root;
    Root_ = root;
    TFormObject tree;
    tree.Name = root->Name();
    tree.ClassName = root->ClassName();
    const bool wasWriting = root->State_.Contains(csWriting);
    root->State_ += csWriting;
    try {
        impl.Enter();
        impl.WriteProperties(root, "", tree.Properties);
        impl.Parents.push_back(&tree);
        root->GetChildren(TGetChildProc(this, &TWriter::WriteChild), root);
        impl.Parents.pop_back();
        impl.Leave();
    } catch (...) {
        if (!wasWriting)
            root->State_ -= csWriting;
        impl.Parents.clear();
        impl.Values.clear();
        impl.Depth = 0;
        impl.SubDepth = 0;
        Root_ = nullptr;
        throw;
    }
    if (!wasWriting)
        root->State_ -= csWriting;
    Root_ = nullptr;
    return tree;
}

void TWriter::WriteChild(TComponent* child)
{
    Impl& impl = *Impl_;
    impl.Enter();
    TFormObject object;
    object.Name = child->Name();
    object.ClassName = child->ClassName();
    impl.WriteProperties(child, "", object.Properties);
    TFormObject* parent = impl.Parents.back();
    parent->Children.push_back(std::move(object));
    impl.Parents.push_back(&parent->Children.back());
    child->GetChildren(TGetChildProc(this, &TWriter::WriteChild), impl.Root);
    impl.Parents.pop_back();
    impl.Leave();
}

void TWriter::DefineProperty(const std::string& name, TReaderProc, TWriterProc writeData, bool hasData)
{
    Impl& impl = *Impl_;
    if (!hasData || !writeData || !impl.Out)
        return;
    TFormValue value = WriteDefinedValue(name, writeData);
    // The reader counts a list as a level of nesting, and refuses what is
    // nested too deep.
    if (impl.Depth + Impl::ListDepth(value) > MaxFormNesting)
        throw EWriteError("Property " + name + " nested more than " + std::to_string(MaxFormNesting) +
                          " levels deep");
    impl.Add(*impl.Out, impl.Prefix + name, std::move(value));
}

TFormValue TWriter::WriteDefinedValue(const std::string& name, TWriterProc writeData)
{
    Impl& impl = *Impl_;
    std::vector<TFormValue> values;
    const size_t depth = impl.Values.size();
    impl.Values.push_back(&values);
    try {
        writeData(this);
    } catch (...) {
        impl.Values.resize(depth);
        throw;
    }
    const bool closed = impl.Values.size() == depth + 1;
    impl.Values.resize(depth);
    if (!closed)
        throw EWriteError("Property " + name + " left a list open");
    if (values.size() != 1)
        throw EWriteError("Property " + name + " wrote " + std::to_string(values.size()) +
                          " values; one value expected");
    return std::move(values.front());
}

void TWriter::DefineBinaryProperty(const std::string& name, TStreamProc, TStreamProc writeData, bool hasData)
{
    Impl& impl = *Impl_;
    if (!hasData || !writeData || !impl.Out)
        return;
    TMemoryStream stream;
    writeData(&stream);
    TFormValue value = Impl::Value(TFormValueKind::Binary);
    value.Text.assign(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    impl.Add(*impl.Out, impl.Prefix + name, std::move(value));
}

void TWriter::WriteListBegin()
{
    Impl& impl = *Impl_;
    impl.Append(Impl::Value(TFormValueKind::List));
    if (impl.Values.size() > static_cast<size_t>(MaxFormNesting))
        throw EWriteError("Lists nested too deep");
    impl.Values.push_back(&impl.Values.back()->back().List);
}

void TWriter::WriteListEnd()
{
    Impl& impl = *Impl_;
    if (impl.Values.size() < 2)
        throw EWriteError("No list is open");
    impl.Values.pop_back();
}

void TWriter::WriteInteger(std::int64_t value)
{
    TFormValue written = Impl::Value(TFormValueKind::Integer);
    written.Int = value;
    Impl_->Append(std::move(written));
}

void TWriter::WriteFloat(double value)
{
    TFormValue written = Impl::Value(TFormValueKind::Float);
    written.Float = value;
    Impl_->Append(std::move(written));
}

void TWriter::WriteString(const std::string& value)
{
    TFormValue written = Impl::Value(TFormValueKind::String);
    written.Text = value;
    Impl_->Append(std::move(written));
}

void TWriter::WriteIdent(const std::string& ident)
{
    if (!IsValidIdent(ident))
        throw EWriteError("'" + ident + "' is not an identifier");
    TFormValue written = Impl::Value(TFormValueKind::Ident);
    written.Text = ident;
    Impl_->Append(std::move(written));
}

void TWriter::WriteBoolean(bool value)
{
    WriteIdent(value ? "True" : "False");
}

void TWriter::WriteChar(char value)
{
    WriteString(std::string(1, value));
}

std::string WriteComponentToText(TComponent* root)
{
    TWriter writer;
    return PrintFormText(writer.WriteRootComponent(root));
}

void WriteComponentToStream(TStream& stream, TComponent* root)
{
    const std::string text = WriteComponentToText(root);
    if (text.size() > static_cast<size_t>(INT_MAX))
        throw EWriteError("Form too large to write");
    stream.WriteBuffer(text.data(), static_cast<int>(text.size()));
}

} // namespace vcl
