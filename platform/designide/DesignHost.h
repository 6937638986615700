#pragma once
// A small design host: it loads a component package, runs its registration,
// shows what was registered, puts components on a form in design state,
// inspects and edits their properties, runs their component editors, and
// writes the form as a text form file and reads it back.
//
// A package is a shared library opened with dlopen. It lists its units in
// start-up order through the entry KwRegisterPackageUnits (a C function of
// no arguments); the host then starts every registered unit
// (vcl::InitializeUnits) and calls the registration entry asked for. The
// package stays loaded for the life of the process: its classes are in the
// framework's registries, and its units shut down with the others.

#include "designide/DesignIdeExport.h"
#include "designide/DesignIntf.h"
#include "vcl/widgets/Forms.h"

#include <QImage>

#include <memory>
#include <string>
#include <vector>

namespace designide {

// One property as the inspector lists it.
struct CORVANE_DESIGNIDE_EXPORT TPropertyRow {
    std::string Name;
    std::string Value;
    std::string Editor; // the editor class's name
    std::vector<std::string> Categories;
    TPropertyAttributes Attributes;
};

class CORVANE_DESIGNIDE_EXPORT TDesignHost : public IDesigner {
public:
    TDesignHost();
    ~TDesignHost() override;
    TDesignHost(const TDesignHost&) = delete;
    TDesignHost& operator=(const TDesignHost&) = delete;

    // Opens the package at path, starts its units and calls the C function
    // entry (its registration). False, with error set, when the library or
    // an entry cannot be found or the registration raised.
    bool LoadPackage(const std::string& path, const std::string& entry, std::string& error);
    // The same for a package linked into the program: its registration.
    void RunRegistration(void (*registration)());

    std::vector<std::string> Pages() const;
    std::vector<vcl::TClass> PageClasses(const std::string& page) const;
    // The palette bitmap of a class: the bitmap resource named after it in
    // upper case; a null image when there is none.
    QImage PaletteBitmap(vcl::TClass cls) const;

    // The form being designed, made on first use (named Form1).
    vcl::TForm* Form();
    // Makes a component of cls on the form in design state, named after its
    // class (KwSplitter1 ...); a control is placed on parent, or the form.
    vcl::TComponent* AddComponent(vcl::TClass cls, vcl::TWinControl* parent = nullptr);

    std::vector<TPropertyRow> Properties(vcl::TPersistent* instance);
    // The editor of one property of instance, ready to use; null when
    // instance publishes no such property.
    std::unique_ptr<TPropertyEditor> PropertyEditor(vcl::TPersistent* instance, const std::string& name);
    std::unique_ptr<TComponentEditor> ComponentEditor(vcl::TComponent* component);
    std::vector<std::string> Verbs(vcl::TComponent* component);
    void ExecuteVerb(vcl::TComponent* component, int index);

    std::string WriteForm();
    // Replaces the form by the one text describes.
    void ReadForm(const std::string& text);

    // What editors told the host.
    int ModifiedCount() const { return ModifiedCount_; }
    const std::vector<std::string>& ShownMethods() const { return ShownMethods_; }

    vcl::TComponent* GetRoot() override;
    void Modified() override;
    void ShowMethod(vcl::TPersistent* component, const std::string& eventName,
                    const std::string& methodName) override;

private:
    vcl::TForm* Form_ = nullptr;
    int ModifiedCount_ = 0;
    std::vector<std::string> ShownMethods_;
};

} // namespace designide
