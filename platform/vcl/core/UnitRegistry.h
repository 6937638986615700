#pragma once
// The start-up and shut-down of units, in one registered order.
//
// Nothing runs from a static constructor: a package lists its units in order
// with RegisterUnit (from one function of its own), and the application, the
// design host or a test program runs InitializeUnits once the QApplication
// exists and FinalizeUnits before it goes away.

#include "vcl/CorvaneVclExport.h"
#include <string>
#include <string_view>

namespace vcl {

using TUnitProc = void (*)();

struct CORVANE_VCL_EXPORT TUnitInfo {
    const char* Name;         // the unit's name, unique in the process
    TUnitProc Initialization; // may be null
    TUnitProc Finalization;   // may be null
};

// Appends a unit to the start-up order. A name registered before is ignored,
// so a package may be registered by more than one host.
CORVANE_VCL_EXPORT void RegisterUnit(const TUnitInfo& unit);

// Runs the start-up of every registered unit that has not started, in
// registration order. A unit whose start-up raised is not marked started; the
// exception passes on and later units are not started.
CORVANE_VCL_EXPORT void InitializeUnits();

// Runs the shut-down of every started unit in reverse order of start-up. Each
// unit shuts down at most once per start-up; a unit that never started is not
// shut down. An exception from one shut-down does not stop the others; the
// first is raised again at the end.
CORVANE_VCL_EXPORT void FinalizeUnits();

CORVANE_VCL_EXPORT bool UnitRegistered(std::string_view name);
CORVANE_VCL_EXPORT bool UnitInitialized(std::string_view name);

} // namespace vcl
