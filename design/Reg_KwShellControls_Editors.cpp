// The package's property editors and component editors.

#include "FKwAbout.h"
#include "FKwOpenDlg.h"
#include "FKwShellLocatorEditor.h"
#include "Reg_KwShellControls.h"
#include "UKwShellControls.h"
#include "UKwSplitter.h"
#include "UKwSysFolderDlg.h"
#include "vcl/widgets/Application.h"
#include "vcl/widgets/OpenDialog.h"

namespace kw {

using namespace vcl;
using namespace designide;

void ShowAboutFor(TComponent* component)
{
    TKwFrmAbout::ExecuteCtl(KwProductName, KwCopyrightYears, component->ClassName(), KwAboutVersion,
                            KwAboutRelease);
}

// ---- TKwFrameStyleProperty ----

namespace {

int SampleWidth(TCanvas* canvas)
{
    return 2 * canvas->TextWidth("X");
}

} // namespace

void TKwFrameStyleProperty::ListMeasureWidth(const std::string&, TCanvas* canvas, int& width)
{
    width += SampleWidth(canvas);
}

void TKwFrameStyleProperty::ListMeasureHeight(const std::string&, TCanvas*, int&) {}

void TKwFrameStyleProperty::ListDrawValue(const std::string& value, TCanvas* canvas, const TRect& rect,
                                          bool selected)
{
    const int w = SampleWidth(canvas);
    TRect text = rect;
    text.left += w;
    DefaultPropertyListDrawValue(value, canvas, text, selected);
    canvas->Brush()->SetColor(clBtnFace);
    TRect strip{rect.left, rect.top, rect.left + w, rect.bottom};
    canvas->FillRect(strip);
    std::int64_t style = 0;
    if (GetEnumValue(TypeInfo<TKwFrameStyle>(), value, style)) {
        InflateRect(strip, -2, -2);
        DrawFrame(static_cast<TKwFrameStyle>(style), canvas, strip);
    }
}

void TKwFrameStyleProperty::PropDrawName(TCanvas* canvas, const TRect& rect, bool)
{
    DefaultPropertyDrawName(this, canvas, rect);
}

void TKwFrameStyleProperty::PropDrawValue(TCanvas* canvas, const TRect& rect, bool selected)
{
    ListDrawValue(GetVisualValue(), canvas, rect, selected);
}

// ---- TKwShellLocatorEditor ----

TPropertyAttributes TKwShellLocatorEditor::GetAttributes()
{
    return TPropertyAttributes{paDialog, paReadOnly};
}

void TKwShellLocatorEditor::Edit()
{
    auto* locator =
        dynamic_cast<TKwShellLocator*>(reinterpret_cast<TObject*>(static_cast<std::intptr_t>(GetOrdValue())));
    if (!locator)
        return;
    TOwnedPtr<TFrmShellLocatorEditor> form(Create<TFrmShellLocatorEditor>(Application()));
    form->SetLocator(locator);
    if (form->ShowModal() == mrOk)
        Modified();
}

// ---- TCSIDLEditor ----

void TCSIDLEditor::GetValues(const TGetStrProc& proc)
{
    const TTypeInfo* type = GetPropType();
    for (std::int64_t value = type->MinValue; value <= type->MaxValue; ++value)
        if (const std::string name = GetEnumName(type, value); name.find('_') == std::string::npos)
            proc(name);
}

// ---- component editors ----

void TKwAboutEditor::ExecuteVerb(int)
{
    ShowAboutFor(Component());
}

std::string TKwAboutEditor::GetVerb(int)
{
    return "&About...";
}

int TKwAboutEditor::GetVerbCount()
{
    return 1;
}

void TKwDialogEditor::ExecuteVerb(int index)
{
    if (index == 0)
        ShowAboutFor(Component());
    else if (index == 1)
        RunDialog();
}

std::string TKwDialogEditor::GetVerb(int index)
{
    switch (index) {
    case 0:
        return "&About...";
    case 1:
        return "&Test...";
    default:
        return std::string();
    }
}

int TKwDialogEditor::GetVerbCount()
{
    return 2;
}

void TKwDialogEditor::RunDialog()
{
    if (auto* dialog = dynamic_cast<TKwDialog*>(Component()))
        dialog->Execute();
}

void TKwSysFolderDlgEditor::RunDialog()
{
    if (auto* dialog = dynamic_cast<TKwSysFolderDlg*>(Component()))
        dialog->Execute();
}

void TKwSplitterEditor::ExecuteVerb(int index)
{
    auto* splitter = dynamic_cast<TKwSplitter*>(Component());
    if (!splitter)
        return;
    switch (index) {
    case 0:
        ShowAboutFor(splitter);
        break;
    case 1:
        // Integer division truncates toward zero, as the position wants.
        splitter->SetPosition((splitter->Extent() - splitter->SplitterWidth()) / 2);
        break;
    case 2:
        splitter->SwapPanes(-1);
        break;
    case 3:
    case 4:
        if (TKwPane* pane = splitter->GetPane(index - 3))
            splitter->SetActivePane(pane->Index());
        break;
    default:
        break;
    }
}

std::string TKwSplitterEditor::GetVerb(int index)
{
    switch (index) {
    case 0:
        return "&About...";
    case 1:
        return "&Center Panes";
    case 2:
        return "Swap &Panes";
    case 3:
        return "Activate Pane &1";
    case 4:
        return "Activate Pane &2";
    default:
        return std::string();
    }
}

int TKwSplitterEditor::GetVerbCount()
{
    return 5;
}

void TOpenDialogEditor::ExecuteVerb(int)
{
    if (auto* dialog = dynamic_cast<TOpenDialog*>(Component())) {
        dialog->Files()->Clear();
        dialog->Execute();
    }
}

std::string TOpenDialogEditor::GetVerb(int index)
{
    return index == 0 ? std::string("&Test...") : std::string();
}

int TOpenDialogEditor::GetVerbCount()
{
    return 1;
}

#if defined(KW_PREVIOUS_GENERATION)
std::string TKwillenCategory::Name() const
{
    return KwCategoryName;
}

std::string TKwillenCategory::Description() const
{
    return "Items added by Kwillen controls";
}
#endif

} // namespace kw
