#pragma once
// The design tests' host: the package's units started once for the
// program, and a design host whose tables hold one registration at a time.

#include "../platform/vcl/widgets/WidgetTesting.h"
#include "Reg_KwShellControls.h"
#include "designide/DesignHost.h"
#include "vcl/core/UnitRegistry.h"

#include <QApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace kwtest {

// Starts the package's units (the design units with them) once.
inline void StartPackage()
{
    static bool started = false;
    if (!started) {
        KwRegisterPackageUnits();
        vcl::InitializeUnits();
        started = true;
    }
}

// A host over one run of registration.
class DesignHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartPackage();
        designide::ClearRegistrations();
        Host = std::make_unique<designide::TDesignHost>();
        Host->RunRegistration(&kw::Register);
    }
    void TearDown() override
    {
        Host.reset();
        designide::ClearRegistrations();
    }
    std::unique_ptr<designide::TDesignHost> Host;
};

// The shown form of class F, or null.
template <class F>
F* ShownForm()
{
    for (int i = 0; i < vcl::Screen()->FormCount(); ++i)
        if (auto* form = dynamic_cast<F*>(vcl::Screen()->Forms(i)); form && form->Visible())
            return form;
    return nullptr;
}

// A key on the form's focused control (the form itself when none has the
// focus), as a person presses it.
inline void PressKey(vcl::TCustomForm* form, Qt::Key key)
{
    QWidget* target = form->Peer();
    if (QWidget* focused = QApplication::focusWidget(); focused && focused->window() == target->window())
        target = focused;
    QTest::keyClick(target, key);
}

} // namespace kwtest
