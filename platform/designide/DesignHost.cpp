// The design host over the registration tables and the form filers.

#include "designide/DesignHost.h"

#include "vcl/core/Exceptions.h"
#include "vcl/core/Filer.h"
#include "vcl/core/Resources.h"
#include "vcl/core/UnitRegistry.h"
#include "vcl/widgets/Graphics.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>

namespace designide {

using namespace vcl;

TDesignHost::TDesignHost() = default;

TDesignHost::~TDesignHost()
{
    if (Form_)
        Form_->Free();
}

bool TDesignHost::LoadPackage(const std::string& path, const std::string& entry, std::string& error)
{
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        error = why ? why : "cannot load " + path;
        return false;
    }
    auto units = reinterpret_cast<void (*)()>(dlsym(library, "KwRegisterPackageUnits"));
    auto registration = reinterpret_cast<void (*)()>(dlsym(library, entry.c_str()));
    if (!units || !registration) {
        error = path + " has no entry " + (units ? entry : std::string("KwRegisterPackageUnits"));
        return false;
    }
    try {
        units();
        InitializeUnits();
        RunRegistration(registration);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    return true;
}

void TDesignHost::RunRegistration(void (*registration)())
{
    registration();
}

std::vector<std::string> TDesignHost::Pages() const
{
    return PalettePages();
}

std::vector<TClass> TDesignHost::PageClasses(const std::string& page) const
{
    std::vector<TClass> classes;
    for (const TPaletteEntry& entry : PaletteEntries())
        if (entry.Page == page)
            classes.push_back(entry.Class);
    return classes;
}

QImage TDesignHost::PaletteBitmap(TClass cls) const
{
    std::string name = cls->Name;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    if (!FindResourceData(HInstance(), name, RT_BITMAP))
        return QImage();
    TOwnedPtr<TBitmap> bitmap(Create<TBitmap>());
    bitmap->LoadFromResourceName(HInstance(), name);
    return bitmap->ToImage();
}

TForm* TDesignHost::Form()
{
    if (!Form_) {
        Form_ = Create<TForm>(nullptr);
        Form_->SetDesigning(true);
        Form_->SetName("Form1");
        Form_->SetCaption("Form1");
    }
    return Form_;
}

TComponent* TDesignHost::AddComponent(TClass cls, TWinControl* parent)
{
    auto factory = ClassFactory(cls);
    if (!factory)
        throw EComponentError(std::string("Class ") + cls->Name + " cannot be made");
    TForm* form = Form();
    TComponent* component = factory(form);
    component->SetDesigning(true);
    const std::string base = std::string(cls->Name).substr(cls->Name[0] == 'T' ? 1 : 0);
    for (int n = 1;; ++n) {
        const std::string name = base + std::to_string(n);
        if (!form->FindComponent(name)) {
            component->SetName(name);
            break;
        }
    }
    if (auto* control = dynamic_cast<TControl*>(component))
        control->SetParent(parent ? parent : form);
    // On the designer's form a control has its window at once, as it would
    // on a shown form: some make their parts with it.
    if (auto* control = dynamic_cast<TWinControl*>(component))
        control->HandleNeeded();
    return component;
}

std::unique_ptr<TPropertyEditor> TDesignHost::PropertyEditor(TPersistent* instance, const std::string& name)
{
    const TPropInfo* prop = vcl::GetPropInfo(instance, name);
    if (!prop)
        return nullptr;
    std::unique_ptr<TPropertyEditor> editor = FindPropertyEditor(instance->ClassType(), prop).Create(this, 1);
    editor->SetEditedProperty({instance}, prop);
    return editor;
}

std::vector<TPropertyRow> TDesignHost::Properties(TPersistent* instance)
{
    std::vector<TPropertyRow> rows;
    for (const TPropInfo* prop : GetPropList(instance->ClassType())) {
        const TPropertyEditorClass editorClass = FindPropertyEditor(instance->ClassType(), prop);
        std::unique_ptr<TPropertyEditor> editor = editorClass.Create(this, 1);
        editor->SetEditedProperty({instance}, prop);
        rows.push_back({prop->Name, editor->GetValue(), editorClass.Name,
                        PropertyCategories(instance->ClassType(), prop->Name), editor->GetAttributes()});
    }
    return rows;
}

std::unique_ptr<TComponentEditor> TDesignHost::ComponentEditor(TComponent* component)
{
    return FindComponentEditor(component->ClassType()).Create(component, this);
}

std::vector<std::string> TDesignHost::Verbs(TComponent* component)
{
    std::unique_ptr<TComponentEditor> editor = ComponentEditor(component);
    std::vector<std::string> verbs;
    for (int i = 0; i < editor->GetVerbCount(); ++i)
        verbs.push_back(editor->GetVerb(i));
    return verbs;
}

void TDesignHost::ExecuteVerb(TComponent* component, int index)
{
    ComponentEditor(component)->ExecuteVerb(index);
}

std::string TDesignHost::WriteForm()
{
    return WriteComponentToText(Form());
}

void TDesignHost::ReadForm(const std::string& text)
{
    TOwnedPtr<TForm> form(Create<TForm>(nullptr));
    form->SetDesigning(true);
    ReadComponentFromText(text, form.get());
    if (Form_)
        Form_->Free();
    Form_ = form.release();
}

TComponent* TDesignHost::GetRoot()
{
    return Form();
}

void TDesignHost::Modified()
{
    ++ModifiedCount_;
}

void TDesignHost::ShowMethod(TPersistent*, const std::string&, const std::string& methodName)
{
    ShownMethods_.push_back(methodName);
}

} // namespace designide
