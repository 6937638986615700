// The tables a package's registration fills and the host reads, and the
// resolution of editors from them.

#include "designide/DesignIntf.h"

#include "vcl/core/ClassRegistry.h"

#include <climits>

namespace designide {

using namespace vcl;

namespace {

struct TRegistrations {
    std::vector<TPaletteEntry> Palette;
    std::vector<TClass> NoIcon;
    std::vector<TPropertyEditorRow> PropertyEditors;
    std::vector<TComponentEditorRow> ComponentEditors;
    std::vector<TCategoryRow> Categories;
};

TRegistrations& Registrations()
{
    static TRegistrations registrations;
    return registrations;
}

// How many steps up from cls ancestor is; -1 when it is no ancestor.
int Distance(TClass cls, TClass ancestor)
{
    int steps = 0;
    for (TClass c = cls; c; c = c->Parent, ++steps)
        if (c == ancestor)
            return steps;
    return -1;
}

// How far the registered type is from the property's: 0 for the same type,
// the class distance for an ancestor class type, -1 when it does not apply.
int TypeDistance(const TTypeInfo* registered, const TTypeInfo* actual)
{
    if (registered == actual)
        return 0;
    // A type record made in another library for the same type.
    if (registered && actual && registered->Kind == actual->Kind && registered->Kind != tkClass &&
        registered->Name == actual->Name)
        return 0;
    if (registered && actual && registered->Kind == tkClass && actual->Kind == tkClass &&
        registered->ClassType)
        return Distance(actual->ClassType, registered->ClassType);
    return -1;
}

void AddCategory(const std::string& category, const std::string& categoryClass, TClass componentClass,
                 std::initializer_list<const char*> names)
{
    TCategoryRow row{category, categoryClass, componentClass, {}};
    for (const char* name : names)
        row.Names.emplace_back(name);
    Registrations().Categories.push_back(std::move(row));
}

} // namespace

std::string TLegacyCategory::Name() const
{
    return sLegacyCategoryName();
}

std::string TLegacyCategory::Description() const
{
    return "Properties kept for older code";
}

const std::string& sLegacyCategoryName()
{
    static const std::string name = "Legacy";
    return name;
}

void RegisterComponents(const std::string& page, std::initializer_list<TClass> classes)
{
    for (TClass cls : classes) {
        RegisterClass(cls);
        Registrations().Palette.push_back({page, cls});
    }
}

void RegisterNoIcon(std::initializer_list<TClass> classes)
{
    for (TClass cls : classes) {
        RegisterClass(cls);
        Registrations().NoIcon.push_back(cls);
    }
}

void RegisterPropertyEditor(const TTypeInfo* propertyType, TClass componentClass,
                            const std::string& propertyName, TPropertyEditorClass editor)
{
    Registrations().PropertyEditors.push_back({propertyType, componentClass, propertyName, editor});
}

void RegisterComponentEditor(TClass componentClass, TComponentEditorClass editor)
{
    Registrations().ComponentEditors.push_back({componentClass, editor});
}

void RegisterPropertiesInCategory(const std::string& category, TClass componentClass,
                                  std::initializer_list<const char*> names)
{
    AddCategory(category, std::string(), componentClass, names);
}

void RegisterPropertiesInCategory(TPropertyCategoryClass category, TClass componentClass,
                                  std::initializer_list<const char*> names)
{
    AddCategory(category.Create()->Name(), category.Name, componentClass, names);
}

std::vector<TPaletteEntry> PaletteEntries()
{
    return Registrations().Palette;
}

std::vector<std::string> PalettePages()
{
    std::vector<std::string> pages;
    for (const TPaletteEntry& entry : Registrations().Palette)
        if (std::find(pages.begin(), pages.end(), entry.Page) == pages.end())
            pages.push_back(entry.Page);
    return pages;
}

std::vector<TClass> NoIconClasses()
{
    return Registrations().NoIcon;
}

std::vector<TCategoryRow> CategoryRows()
{
    return Registrations().Categories;
}

std::vector<TPropertyEditorRow> PropertyEditorRows()
{
    return Registrations().PropertyEditors;
}

std::vector<TComponentEditorRow> ComponentEditorRows()
{
    return Registrations().ComponentEditors;
}

TPropertyEditorClass FindPropertyEditor(TClass componentClass, const TPropInfo* prop)
{
    const TPropertyEditorRow* best = nullptr;
    bool bestNamed = false;
    int bestClass = INT_MAX;
    int bestType = INT_MAX;
    for (const TPropertyEditorRow& row : Registrations().PropertyEditors) {
        const int typeDistance = TypeDistance(row.Type, prop->PropType);
        if (typeDistance < 0)
            continue;
        int classDistance = INT_MAX - 1;
        if (row.ComponentClass) {
            classDistance = Distance(componentClass, row.ComponentClass);
            if (classDistance < 0)
                continue;
        }
        const bool named = !row.PropertyName.empty();
        if (named && !SameIdent(row.PropertyName, prop->Name))
            continue;
        // Later registrations win ties, hence <= on every step.
        const bool better = !best || (named != bestNamed           ? named
                                      : classDistance != bestClass ? classDistance < bestClass
                                                                   : typeDistance <= bestType);
        if (better) {
            best = &row;
            bestNamed = named;
            bestClass = classDistance;
            bestType = typeDistance;
        }
    }
    return best ? best->Editor : PropertyEditorOfKind(prop->PropType);
}

TComponentEditorClass FindComponentEditor(TClass componentClass)
{
    const TComponentEditorRow* best = nullptr;
    int bestDistance = INT_MAX;
    for (const TComponentEditorRow& row : Registrations().ComponentEditors) {
        const int distance = Distance(componentClass, row.ComponentClass);
        if (distance >= 0 && distance <= bestDistance) {
            best = &row;
            bestDistance = distance;
        }
    }
    if (best)
        return best->Editor;
    return EditorClass<TDefaultEditor>();
}

std::vector<std::string> PropertyCategories(TClass componentClass, const std::string& propertyName)
{
    std::vector<std::string> categories;
    for (const TCategoryRow& row : Registrations().Categories) {
        if (row.ComponentClass && Distance(componentClass, row.ComponentClass) < 0)
            continue;
        for (const std::string& name : row.Names)
            if (SameIdent(name, propertyName) &&
                std::find(categories.begin(), categories.end(), row.Category) == categories.end())
                categories.push_back(row.Category);
    }
    return categories;
}

void ClearRegistrations()
{
    TRegistrations& registrations = Registrations();
    for (const TPaletteEntry& entry : registrations.Palette)
        UnRegisterClass(entry.Class);
    for (TClass cls : registrations.NoIcon)
        UnRegisterClass(cls);
    registrations = TRegistrations();
}

} // namespace designide
