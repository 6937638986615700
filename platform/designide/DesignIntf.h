#pragma once
// The design-time interface a component package registers itself through:
// palette pages, property editors, component editors and property
// categories, and the editor classes a package derives its own from.
//
// Registration fills process-wide tables that the design host reads; a host
// that lets a package go clears them (ClearRegistrations). Editors are
// classes known by a record of their name and a factory (EditorClass<T>()),
// so that registrations can be listed and compared as the host shows them.
//
// Property editors are resolved most specific first: an editor registered
// for the property's name beats one for any name; then one registered for a
// nearer component class beats a farther one or any class; then one for the
// property's own type beats one for an ancestor class type; among equals the
// later registration wins. A property nothing is registered for gets the
// editor of its kind (enumerations TEnumProperty, objects TClassProperty,
// everything else the plain TPropertyEditor).

#include "designide/DesignIdeExport.h"
#include "vcl/core/Classes.h"
#include "vcl/core/Component.h"
#include "vcl/core/Sets.h"
#include "vcl/core/TypInfo.h"
#include "vcl/widgets/Graphics.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace designide {

// What the host offers the editors of the form being designed.
class CORVANE_DESIGNIDE_EXPORT IDesigner {
public:
    virtual ~IDesigner() = default;
    // The form (the root of what is designed).
    virtual vcl::TComponent* GetRoot() = 0;
    // Something on the form changed through an editor.
    virtual void Modified() = 0;
    // Asks for the handler of an event of a component: the handler named
    // methodName is made when missing and shown in the code.
    virtual void ShowMethod(vcl::TPersistent* component, const std::string& eventName,
                            const std::string& methodName) = 0;
};

enum TPropertyAttribute { paValueList, paSubProperties, paDialog, paMultiSelect, paSortList, paReadOnly };
VCL_ENUM_TYPE(TPropertyAttribute, paValueList, paSubProperties, paDialog, paMultiSelect, paSortList,
              paReadOnly)
using TPropertyAttributes = vcl::TSet<TPropertyAttribute>;

using TGetStrProc = std::function<void(const std::string& value)>;

// Edits one published property of one or more components (PropCount). The
// host makes it with the designer and sets what it edits before any call.
class CORVANE_DESIGNIDE_EXPORT TPropertyEditor {
public:
    static constexpr const char* ClassName = "TPropertyEditor";
    TPropertyEditor(IDesigner* designer, int propCount);
    virtual ~TPropertyEditor();
    TPropertyEditor(const TPropertyEditor&) = delete;
    TPropertyEditor& operator=(const TPropertyEditor&) = delete;

    // The host's call: the components (PropCount of them) and the property.
    void SetEditedProperty(std::vector<vcl::TPersistent*> components, const vcl::TPropInfo* prop);

    virtual TPropertyAttributes GetAttributes();
    // The value as text: the property's kind decides the form.
    virtual std::string GetValue();
    // GetValue when every component has the same value, else empty.
    std::string GetVisualValue();
    // Sets the value of every component from text; raises
    // vcl::EPropertyError for text the kind cannot take.
    virtual void SetValue(const std::string& value);
    // The values a drop-down offers, one call each.
    virtual void GetValues(const TGetStrProc& proc);
    // The dialog of paDialog; nothing here.
    virtual void Edit();
    std::string GetName() const;
    bool AllEqual();

    // The ordinal value of the first component; an object property gives its
    // object's address.
    std::int64_t GetOrdValue();
    std::int64_t GetOrdValueAt(int index);
    void SetOrdValue(std::int64_t value);
    std::string GetStrValue();
    void SetStrValue(const std::string& value);
    vcl::TObject* GetObjectValue();

    // Tells the designer of a change.
    void Modified();
    vcl::TPersistent* GetComponent(int index) const;
    int PropCount() const { return PropCount_; }
    const vcl::TTypeInfo* GetPropType() const;
    const vcl::TPropInfo* GetPropInfo() const { return Prop_; }
    IDesigner* Designer() const { return Designer_; }

    // The previous generation's drawing: virtuals of the editor itself. The
    // defaults draw as a host does for an editor that draws nothing of its
    // own; the host calls them for editors that implement neither drawing
    // interface.
    virtual void ListMeasureWidth(const std::string& value, vcl::TCanvas* canvas, int& width);
    virtual void ListMeasureHeight(const std::string& value, vcl::TCanvas* canvas, int& height);
    virtual void ListDrawValue(const std::string& value, vcl::TCanvas* canvas, const vcl::TRect& rect,
                               bool selected);
    virtual void PropDrawName(vcl::TCanvas* canvas, const vcl::TRect& rect, bool selected);
    virtual void PropDrawValue(vcl::TCanvas* canvas, const vcl::TRect& rect, bool selected);

private:
    const vcl::TPropInfo* PropFor(const vcl::TPersistent* instance) const;

    IDesigner* Designer_;
    int PropCount_;
    std::vector<vcl::TPersistent*> Components_;
    const vcl::TPropInfo* Prop_ = nullptr;
};

// An enumeration: a drop-down of its member names.
class CORVANE_DESIGNIDE_EXPORT TEnumProperty : public TPropertyEditor {
public:
    static constexpr const char* ClassName = "TEnumProperty";
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override;
    void GetValues(const TGetStrProc& proc) override;
};

// An object held by a property: shown as its class name in parentheses,
// with its own properties below it.
class CORVANE_DESIGNIDE_EXPORT TClassProperty : public TPropertyEditor {
public:
    static constexpr const char* ClassName = "TClassProperty";
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() override;
    std::string GetValue() override;
};

// Plain text.
class CORVANE_DESIGNIDE_EXPORT TStringProperty : public TPropertyEditor {
public:
    static constexpr const char* ClassName = "TStringProperty";
    using TPropertyEditor::TPropertyEditor;
};

// The previous generation's editor of a file-type filter: plain text here.
class CORVANE_DESIGNIDE_EXPORT TFilterProperty : public TStringProperty {
public:
    static constexpr const char* ClassName = "TFilterProperty";
    using TStringProperty::TStringProperty;
};

// Drawing of a property's name and value in the inspector.
// {E1A50419-1288-4B26-9EFA-6608A35F0824}
class CORVANE_DESIGNIDE_EXPORT ICustomPropertyDrawing {
public:
    virtual ~ICustomPropertyDrawing() = default;
    virtual void PropDrawName(vcl::TCanvas* canvas, const vcl::TRect& rect, bool selected) = 0;
    virtual void PropDrawValue(vcl::TCanvas* canvas, const vcl::TRect& rect, bool selected) = 0;
};

// Drawing of the entries of a property's drop-down.
// {BE2B8CF7-DDCA-4D4B-BE26-2396B969F8E0}
class CORVANE_DESIGNIDE_EXPORT ICustomPropertyListDrawing {
public:
    virtual ~ICustomPropertyListDrawing() = default;
    virtual void ListMeasureWidth(const std::string& value, vcl::TCanvas* canvas, int& width) = 0;
    virtual void ListMeasureHeight(const std::string& value, vcl::TCanvas* canvas, int& height) = 0;
    virtual void ListDrawValue(const std::string& value, vcl::TCanvas* canvas, const vcl::TRect& rect,
                               bool selected) = 0;
};

// How the inspector draws a drop-down entry and a name that nobody draws
// otherwise: the text on the window's (or the selection's) colour.
CORVANE_DESIGNIDE_EXPORT void DefaultPropertyListDrawValue(const std::string& value, vcl::TCanvas* canvas,
                                                           const vcl::TRect& rect, bool selected);
CORVANE_DESIGNIDE_EXPORT void DefaultPropertyDrawName(TPropertyEditor* editor, vcl::TCanvas* canvas,
                                                      const vcl::TRect& rect);
CORVANE_DESIGNIDE_EXPORT void DefaultPropertyDrawValue(TPropertyEditor* editor, vcl::TCanvas* canvas,
                                                       const vcl::TRect& rect);

// Drawing as the host does it: through the interfaces when the editor has
// them, else through its virtuals.
CORVANE_DESIGNIDE_EXPORT void HostListMeasureWidth(TPropertyEditor* editor, const std::string& value,
                                                   vcl::TCanvas* canvas, int& width);
CORVANE_DESIGNIDE_EXPORT void HostListDrawValue(TPropertyEditor* editor, const std::string& value,
                                                vcl::TCanvas* canvas, const vcl::TRect& rect, bool selected);
CORVANE_DESIGNIDE_EXPORT void HostPropDrawValue(TPropertyEditor* editor, vcl::TCanvas* canvas,
                                                const vcl::TRect& rect, bool selected);

// Commands of a component on the designer's form: verbs in its context menu
// and what a double click does.
class CORVANE_DESIGNIDE_EXPORT TComponentEditor {
public:
    TComponentEditor(vcl::TComponent* component, IDesigner* designer);
    virtual ~TComponentEditor();
    TComponentEditor(const TComponentEditor&) = delete;
    TComponentEditor& operator=(const TComponentEditor&) = delete;

    virtual void Edit();
    virtual void ExecuteVerb(int index);
    virtual std::string GetVerb(int index);
    virtual int GetVerbCount();

    vcl::TComponent* Component() const { return Component_; }
    IDesigner* Designer() const { return Designer_; }

private:
    vcl::TComponent* Component_;
    IDesigner* Designer_;
};

// A double click asks for the handler of the component's default event
// (OnCreate, OnChange or OnClick, else its first event), named after the
// component and the event.
class CORVANE_DESIGNIDE_EXPORT TDefaultEditor : public TComponentEditor {
public:
    static constexpr const char* ClassName = "TDefaultEditor";
    using TComponentEditor::TComponentEditor;
    void Edit() override;
};

// ---- editor classes ----

struct CORVANE_DESIGNIDE_EXPORT TPropertyEditorClass {
    const char* Name = nullptr;
    std::unique_ptr<TPropertyEditor> (*Create)(IDesigner* designer, int propCount) = nullptr;
    explicit operator bool() const { return Create != nullptr; }
    friend bool operator==(const TPropertyEditorClass& a, const TPropertyEditorClass& b)
    {
        return a.Create == b.Create;
    }
};

struct CORVANE_DESIGNIDE_EXPORT TComponentEditorClass {
    const char* Name = nullptr;
    std::unique_ptr<TComponentEditor> (*Create)(vcl::TComponent* component, IDesigner* designer) = nullptr;
    explicit operator bool() const { return Create != nullptr; }
    friend bool operator==(const TComponentEditorClass& a, const TComponentEditorClass& b)
    {
        return a.Create == b.Create;
    }
};

// The class record of an editor class E, which names itself with a static
// member ClassName.
template <class E>
auto EditorClass()
{
    if constexpr (std::is_base_of_v<TPropertyEditor, E>) {
        return TPropertyEditorClass{E::ClassName, [](IDesigner* designer, int propCount) {
                                        return std::unique_ptr<TPropertyEditor>(new E(designer, propCount));
                                    }};
    } else {
        return TComponentEditorClass{E::ClassName, [](vcl::TComponent* component, IDesigner* designer) {
                                         return std::unique_ptr<TComponentEditor>(new E(component, designer));
                                     }};
    }
}

CORVANE_DESIGNIDE_EXPORT TPropertyEditorClass PropertyEditorOfKind(const vcl::TTypeInfo* type);

// ---- property categories ----

// A category as a class (the previous generation's way): its name and
// description.
class CORVANE_DESIGNIDE_EXPORT TPropertyCategory {
public:
    virtual ~TPropertyCategory() = default;
    virtual std::string Name() const = 0;
    virtual std::string Description() const = 0;
};

// The category of properties kept for older code.
class CORVANE_DESIGNIDE_EXPORT TLegacyCategory : public TPropertyCategory {
public:
    static constexpr const char* ClassName = "TLegacyCategory";
    std::string Name() const override;
    std::string Description() const override;
};

struct CORVANE_DESIGNIDE_EXPORT TPropertyCategoryClass {
    const char* Name = nullptr;
    std::unique_ptr<TPropertyCategory> (*Create)() = nullptr;
};

template <class C>
TPropertyCategoryClass CategoryClass()
{
    return {C::ClassName, [] { return std::unique_ptr<TPropertyCategory>(new C); }};
}

// The name of the legacy category ("Legacy").
CORVANE_DESIGNIDE_EXPORT const std::string& sLegacyCategoryName();

// ---- registration ----

CORVANE_DESIGNIDE_EXPORT void RegisterComponents(const std::string& page,
                                                 std::initializer_list<vcl::TClass> classes);
// Streamable and known to the designer, with no palette entry.
CORVANE_DESIGNIDE_EXPORT void RegisterNoIcon(std::initializer_list<vcl::TClass> classes);
// componentClass null: any class; propertyName empty: any name.
CORVANE_DESIGNIDE_EXPORT void RegisterPropertyEditor(const vcl::TTypeInfo* propertyType,
                                                     vcl::TClass componentClass,
                                                     const std::string& propertyName,
                                                     TPropertyEditorClass editor);
CORVANE_DESIGNIDE_EXPORT void RegisterComponentEditor(vcl::TClass componentClass,
                                                      TComponentEditorClass editor);
// componentClass null: the names in any class.
CORVANE_DESIGNIDE_EXPORT void RegisterPropertiesInCategory(const std::string& category,
                                                           vcl::TClass componentClass,
                                                           std::initializer_list<const char*> names);
CORVANE_DESIGNIDE_EXPORT void RegisterPropertiesInCategory(TPropertyCategoryClass category,
                                                           vcl::TClass componentClass,
                                                           std::initializer_list<const char*> names);

// ---- what was registered ----

struct CORVANE_DESIGNIDE_EXPORT TPaletteEntry {
    std::string Page;
    vcl::TClass Class = nullptr;
};

struct CORVANE_DESIGNIDE_EXPORT TCategoryRow {
    std::string Category;      // the category's name
    std::string CategoryClass; // the class registered, empty when registered by name
    vcl::TClass ComponentClass = nullptr;
    std::vector<std::string> Names;
};

struct CORVANE_DESIGNIDE_EXPORT TPropertyEditorRow {
    const vcl::TTypeInfo* Type = nullptr;
    vcl::TClass ComponentClass = nullptr;
    std::string PropertyName;
    TPropertyEditorClass Editor;
};

struct CORVANE_DESIGNIDE_EXPORT TComponentEditorRow {
    vcl::TClass ComponentClass = nullptr;
    TComponentEditorClass Editor;
};

// Palette entries in the order registered.
CORVANE_DESIGNIDE_EXPORT std::vector<TPaletteEntry> PaletteEntries();
// Pages in the order first named.
CORVANE_DESIGNIDE_EXPORT std::vector<std::string> PalettePages();
CORVANE_DESIGNIDE_EXPORT std::vector<vcl::TClass> NoIconClasses();
CORVANE_DESIGNIDE_EXPORT std::vector<TCategoryRow> CategoryRows();
CORVANE_DESIGNIDE_EXPORT std::vector<TPropertyEditorRow> PropertyEditorRows();
CORVANE_DESIGNIDE_EXPORT std::vector<TComponentEditorRow> ComponentEditorRows();

// The editor the inspector uses for prop of componentClass.
CORVANE_DESIGNIDE_EXPORT TPropertyEditorClass FindPropertyEditor(vcl::TClass componentClass,
                                                                 const vcl::TPropInfo* prop);
// The editor of the nearest registered class, else TDefaultEditor.
CORVANE_DESIGNIDE_EXPORT TComponentEditorClass FindComponentEditor(vcl::TClass componentClass);
// The categories a property of componentClass is filed under, in the order
// registered.
CORVANE_DESIGNIDE_EXPORT std::vector<std::string> PropertyCategories(vcl::TClass componentClass,
                                                                     const std::string& propertyName);

// Forgets every registration (the package went).
CORVANE_DESIGNIDE_EXPORT void ClearRegistrations();

} // namespace designide
