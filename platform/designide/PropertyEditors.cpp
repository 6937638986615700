// The property editors every package builds on, and the inspector's own
// drawing of names and values.

#include "designide/DesignIntf.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/FloatFormat.h"
#include "vcl/core/SysUtils.h"

#include <charconv>

namespace designide {

using namespace vcl;

namespace {

bool ParseInt(const std::string& text, std::int64_t& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && first != last;
}

} // namespace

TPropertyEditor::TPropertyEditor(IDesigner* designer, int propCount)
    : Designer_(designer), PropCount_(propCount)
{
}

TPropertyEditor::~TPropertyEditor() = default;

void TPropertyEditor::SetEditedProperty(std::vector<TPersistent*> components, const TPropInfo* prop)
{
    if (components.empty() || !prop)
        throw EPropertyError("A property editor needs a property and at least one component");
    Components_ = std::move(components);
    PropCount_ = static_cast<int>(Components_.size());
    Prop_ = prop;
}

const TPropInfo* TPropertyEditor::PropFor(const TPersistent* instance) const
{
    // Components of different classes each have their own record of the
    // property of that name.
    if (Prop_ && instance && !instance->InheritsFrom(Prop_->Declarer))
        if (const TPropInfo* own = vcl::GetPropInfo(instance, Prop_->Name))
            return own;
    return Prop_;
}

TPropertyAttributes TPropertyEditor::GetAttributes()
{
    TPropertyAttributes attributes{paMultiSelect};
    if (Prop_ && !Prop_->Writable())
        attributes += paReadOnly;
    return attributes;
}

std::string TPropertyEditor::GetValue()
{
    TPersistent* instance = GetComponent(0);
    const TTypeInfo* type = GetPropType();
    switch (type->Kind) {
    case tkInteger:
    case tkInt64: {
        const std::int64_t value = GetOrdProp(instance, PropFor(instance));
        std::string ident;
        if (IntToIdent(type, value, ident))
            return ident;
        return std::to_string(value);
    }
    case tkChar:
        return std::string(1, static_cast<char>(GetOrdProp(instance, PropFor(instance))));
    case tkEnumeration:
        return GetEnumName(type, GetOrdProp(instance, PropFor(instance)));
    case tkSet:
        return SetToString(type, static_cast<std::uint64_t>(GetOrdProp(instance, PropFor(instance))), true);
    case tkFloat:
        return FloatToStr(GetFloatProp(instance, PropFor(instance)));
    case tkString:
        return GetStrProp(instance, PropFor(instance));
    case tkClass: {
        TObject* object = GetObjectProp(instance, PropFor(instance));
        if (auto* component = dynamic_cast<TComponent*>(object))
            return component->Name();
        return object ? "(" + std::string(object->ClassName()) + ")" : std::string();
    }
    case tkMethod: {
        const TMethod method = GetMethodProp(instance, PropFor(instance));
        TComponent* root = Designer_ ? Designer_->GetRoot() : nullptr;
        return root && !method.IsNil() ? GetMethodName(root, method) : std::string();
    }
    }
    return std::string();
}

std::string TPropertyEditor::GetVisualValue()
{
    return AllEqual() ? GetValue() : std::string();
}

bool TPropertyEditor::AllEqual()
{
    if (PropCount_ <= 1)
        return true;
    const std::string first = GetValue();
    std::vector<TPersistent*> saved = Components_;
    bool equal = true;
    for (int i = 1; i < PropCount_ && equal; ++i) {
        Components_ = {saved[static_cast<std::size_t>(i)]};
        equal = GetValue() == first;
    }
    Components_ = std::move(saved);
    return equal;
}

void TPropertyEditor::SetValue(const std::string& value)
{
    const TTypeInfo* type = GetPropType();
    for (TPersistent* instance : Components_) {
        switch (type->Kind) {
        case tkInteger:
        case tkInt64:
        case tkChar: {
            std::int64_t number = 0;
            if (type->Kind == tkChar && value.size() == 1)
                number = static_cast<unsigned char>(value[0]);
            else if (!IdentToInt(type, value, number) && !ParseInt(value, number))
                throw EPropertyError("Invalid property value");
            SetOrdProp(instance, PropFor(instance), number);
            break;
        }
        case tkEnumeration: {
            std::int64_t number = 0;
            if (!GetEnumValue(type, value, number))
                throw EPropertyError("Invalid property value");
            SetOrdProp(instance, PropFor(instance), number);
            break;
        }
        case tkSet:
            SetOrdProp(instance, PropFor(instance), static_cast<std::int64_t>(StringToSet(type, value)));
            break;
        case tkFloat: {
            double number = 0;
            if (!TryStrToFloat(value, number))
                throw EPropertyError("Invalid property value");
            SetFloatProp(instance, PropFor(instance), number);
            break;
        }
        case tkString:
            SetStrProp(instance, PropFor(instance), value);
            break;
        case tkClass: {
            TComponent* root = Designer_ ? Designer_->GetRoot() : nullptr;
            TComponent* found = value.empty() || !root ? nullptr : root->FindComponent(value);
            if (!value.empty() && !found)
                throw EPropertyError("Invalid property value");
            SetObjectProp(instance, PropFor(instance), found);
            break;
        }
        case tkMethod: {
            TComponent* root = Designer_ ? Designer_->GetRoot() : nullptr;
            TMethod method;
            if (!value.empty()) {
                const TMethodInfo* info = root ? vcl::GetMethodInfo(root->ClassType(), value) : nullptr;
                if (!info)
                    throw EPropertyError("Invalid property value");
                method = info->Bind(root);
            }
            SetMethodProp(instance, PropFor(instance), method);
            break;
        }
        }
    }
    Modified();
}

void TPropertyEditor::GetValues(const TGetStrProc&) {}

void TPropertyEditor::Edit() {}

std::string TPropertyEditor::GetName() const
{
    return Prop_ ? Prop_->Name : std::string();
}

std::int64_t TPropertyEditor::GetOrdValue()
{
    return GetOrdValueAt(0);
}

std::int64_t TPropertyEditor::GetOrdValueAt(int index)
{
    TPersistent* instance = GetComponent(index);
    if (GetPropType()->Kind == tkClass)
        return static_cast<std::int64_t>(
            reinterpret_cast<std::intptr_t>(GetObjectProp(instance, PropFor(instance))));
    return GetOrdProp(instance, PropFor(instance));
}

void TPropertyEditor::SetOrdValue(std::int64_t value)
{
    for (TPersistent* instance : Components_)
        SetOrdProp(instance, PropFor(instance), value);
    Modified();
}

std::string TPropertyEditor::GetStrValue()
{
    return GetStrProp(GetComponent(0), PropFor(GetComponent(0)));
}

void TPropertyEditor::SetStrValue(const std::string& value)
{
    for (TPersistent* instance : Components_)
        SetStrProp(instance, PropFor(instance), value);
    Modified();
}

TObject* TPropertyEditor::GetObjectValue()
{
    return GetObjectProp(GetComponent(0), PropFor(GetComponent(0)));
}

void TPropertyEditor::Modified()
{
    if (Designer_)
        Designer_->Modified();
}

TPersistent* TPropertyEditor::GetComponent(int index) const
{
    if (index < 0 || index >= static_cast<int>(Components_.size()))
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return Components_[static_cast<std::size_t>(index)];
}

const TTypeInfo* TPropertyEditor::GetPropType() const
{
    if (!Prop_)
        throw EPropertyError("The property editor edits no property");
    return Prop_->PropType;
}

void TPropertyEditor::ListMeasureWidth(const std::string&, TCanvas*, int&) {}

void TPropertyEditor::ListMeasureHeight(const std::string&, TCanvas*, int&) {}

void TPropertyEditor::ListDrawValue(const std::string& value, TCanvas* canvas, const TRect& rect,
                                    bool selected)
{
    DefaultPropertyListDrawValue(value, canvas, rect, selected);
}

void TPropertyEditor::PropDrawName(TCanvas* canvas, const TRect& rect, bool)
{
    DefaultPropertyDrawName(this, canvas, rect);
}

void TPropertyEditor::PropDrawValue(TCanvas* canvas, const TRect& rect, bool)
{
    DefaultPropertyDrawValue(this, canvas, rect);
}

// ---- the kinds' editors ----

TPropertyAttributes TEnumProperty::GetAttributes()
{
    TPropertyAttributes attributes = TPropertyEditor::GetAttributes();
    attributes += paValueList;
    attributes += paSortList;
    return attributes;
}

void TEnumProperty::GetValues(const TGetStrProc& proc)
{
    const TTypeInfo* type = GetPropType();
    for (std::int64_t value = type->MinValue; value <= type->MaxValue; ++value)
        if (std::string name = GetEnumName(type, value); !name.empty())
            proc(name);
}

TPropertyAttributes TClassProperty::GetAttributes()
{
    return TPropertyAttributes{paMultiSelect, paSubProperties, paReadOnly};
}

std::string TClassProperty::GetValue()
{
    return "(" + std::string(GetPropType()->Name) + ")";
}

TPropertyEditorClass PropertyEditorOfKind(const TTypeInfo* type)
{
    switch (type ? type->Kind : tkInteger) {
    case tkEnumeration:
        return EditorClass<TEnumProperty>();
    case tkClass:
        // A reference to another component is chosen by name; an object the
        // component holds is edited in place.
        if (type && ClassInheritsFrom(type->ClassType, TComponent::StaticClass()))
            return EditorClass<TPropertyEditor>();
        return EditorClass<TClassProperty>();
    case tkString:
        return EditorClass<TStringProperty>();
    default:
        return EditorClass<TPropertyEditor>();
    }
}

// ---- drawing ----

void DefaultPropertyListDrawValue(const std::string& value, TCanvas* canvas, const TRect& rect, bool selected)
{
    canvas->Brush()->SetColor(selected ? clHighlight : clWindow);
    canvas->Font()->SetColor(selected ? clHighlightText : clWindowText);
    canvas->TextRect(rect, rect.left + 1, rect.top + 1, value);
}

void DefaultPropertyDrawName(TPropertyEditor* editor, TCanvas* canvas, const TRect& rect)
{
    canvas->TextRect(rect, rect.left + 2, rect.top + 1, editor->GetName());
}

void DefaultPropertyDrawValue(TPropertyEditor* editor, TCanvas* canvas, const TRect& rect)
{
    canvas->TextRect(rect, rect.left + 2, rect.top + 1, editor->GetVisualValue());
}

void HostListMeasureWidth(TPropertyEditor* editor, const std::string& value, TCanvas* canvas, int& width)
{
    if (auto* drawing = dynamic_cast<ICustomPropertyListDrawing*>(editor))
        drawing->ListMeasureWidth(value, canvas, width);
    else
        editor->ListMeasureWidth(value, canvas, width);
}

void HostListDrawValue(TPropertyEditor* editor, const std::string& value, TCanvas* canvas, const TRect& rect,
                       bool selected)
{
    if (auto* drawing = dynamic_cast<ICustomPropertyListDrawing*>(editor))
        drawing->ListDrawValue(value, canvas, rect, selected);
    else
        editor->ListDrawValue(value, canvas, rect, selected);
}

void HostPropDrawValue(TPropertyEditor* editor, TCanvas* canvas, const TRect& rect, bool selected)
{
    if (auto* drawing = dynamic_cast<ICustomPropertyDrawing*>(editor))
        drawing->PropDrawValue(canvas, rect, selected);
    else
        editor->PropDrawValue(canvas, rect, selected);
}

} // namespace designide
