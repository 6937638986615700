#include "vcl/widgets/FolderPickerForm.h"

#include "vcl/widgets/Application.h"
#include "vcl/widgets/ComCtrls.h"
#include "vcl/widgets/Forms.h"
#include "vcl/widgets/ImgList.h"
#include "vcl/widgets/StdCtrls.h"
#include "win32/Errors.h"
#include "win32/WindowManager.h"

#include <QApplication>

#include <unordered_set>

namespace vcl {

namespace {

// The form's layout, in pixels.
constexpr int kClientWidth = 312;
constexpr int kClientHeight = 360;
constexpr int kMargin = 8;
constexpr int kTitleHeight = 30;
constexpr int kStatusHeight = 16;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

class TFolderPickerForm : public TForm {
public:
    TFolderPickerForm(TComponent* owner, const win32::FolderPickerRequest& request)
        : TForm(owner), Source_(request.Source), Owner_(request.Owner)
    {
    }

    void Build(const win32::FolderPickerRequest& request)
    {
        SetBorderStyle(bsDialog);
        SetCaption("Browse for Folder");
        SetClientSize(kClientWidth, kClientHeight);
        int top = kMargin;
        auto* title = Create<TLabel>(this);
        title->SetName("Title");
        title->SetParent(this);
        title->SetShowAccelChar(false);
        title->SetWordWrap(true);
        title->SetAutoSize(false);
        title->SetBounds(kMargin, top, kClientWidth - 2 * kMargin, kTitleHeight);
        title->SetCaption(request.Title);
        top += kTitleHeight + 4;
        if (request.StatusLine) {
            Status_ = Create<TLabel>(this);
            Status_->SetName("Status");
            Status_->SetParent(this);
            Status_->SetShowAccelChar(false);
            Status_->SetAutoSize(false);
            Status_->SetBounds(kMargin, top, kClientWidth - 2 * kMargin, kStatusHeight);
            Status_->SetCaption("");
            top += kStatusHeight + 4;
        }
        const int buttonsTop = kClientHeight - kMargin - kButtonHeight;
        Images_ = Create<TImageList>(this);
        Images_->SetShareImages(true);
        if (HIMAGELIST images = Source_->Images())
            Images_->SetHandle(images);
        Tree_ = Create<TCustomTreeView>(this);
        Tree_->SetName("Folders");
        Tree_->SetParent(this);
        Tree_->SetBounds(kMargin, top, kClientWidth - 2 * kMargin, buttonsTop - kMargin - top);
        Tree_->SetReadOnly(true);
        Tree_->SetHideSelection(false);
        Tree_->SetImages(Images_);
        Tree_->OnExpanding = TTVExpandingEvent(this, &TFolderPickerForm::TreeExpanding);
        Tree_->OnGetImageIndex = TTVExpandedEvent(this, &TFolderPickerForm::TreeImage);
        Tree_->OnGetSelectedIndex = TTVExpandedEvent(this, &TFolderPickerForm::TreeImage);
        Tree_->OnChange = TTVChangedEvent(this, &TFolderPickerForm::TreeChange);
        const win32::FolderPickerItem root = Source_->Root();
        Root_ = AddNode(nullptr, root);

        Ok_ = Create<TButton>(this);
        Ok_->SetName("OK");
        Ok_->SetParent(this);
        Ok_->SetCaption("OK");
        Ok_->SetDefault(true);
        Ok_->SetModalResult(mrOk);
        Ok_->SetBounds(kClientWidth - kMargin - 2 * kButtonWidth - kButtonGap, buttonsTop, kButtonWidth,
                       kButtonHeight);
        auto* cancel = Create<TButton>(this);
        cancel->SetName("Cancel");
        cancel->SetParent(this);
        cancel->SetCaption("Cancel");
        cancel->SetCancel(true);
        cancel->SetModalResult(mrCancel);
        cancel->SetBounds(kClientWidth - kMargin - kButtonWidth, buttonsTop, kButtonWidth, kButtonHeight);
        SetActiveControl(Tree_);
        Place();
    }

    void SetStatus(const std::string& text)
    {
        if (Status_)
            Status_->SetCaption(text);
    }
    void EnableOk(bool enabled) { Ok_->SetEnabled(enabled); }

    void Select(const std::vector<win32::FolderPickerNode*>& path)
    {
        TTreeNode* node = nullptr;
        for (win32::FolderPickerNode* wanted : path) {
            TTreeNode* found = nullptr;
            if (!node) {
                found = Root_->Data() == wanted ? Root_ : nullptr;
            } else {
                Fill(node);
                for (TTreeNode* child = node->GetFirstChild(); child && !found;
                     child = child->GetNextSibling())
                    if (child->Data() == wanted)
                        found = child;
                node->Expand(false);
            }
            if (!found)
                return;
            node = found;
        }
        if (node) {
            Tree_->SetSelected(node);
            node->MakeVisible();
        }
    }

    win32::FolderPickerNode* Chosen() const
    {
        TTreeNode* node = Tree_->Selected();
        return node ? static_cast<win32::FolderPickerNode*>(node->Data()) : nullptr;
    }

protected:
    void WndProc(TMessage& message) override
    {
        // The window's own messages stay below WM_USER and the framework's
        // above 0x8000: what lies between is the source's to take.
        if (message.Msg >= WM_USER && message.Msg < 0x8000 && Source_) {
            LRESULT result = 0;
            if (Source_->PickerMessage(Handle(), message.Msg, message.WParam, message.LParam, result)) {
                message.Result = result;
                return;
            }
        }
        TForm::WndProc(message);
    }

    void DoShow() override
    {
        TForm::DoShow();
        if (Initialized_)
            return;
        Initialized_ = true;
        Root_->Expand(false);
        Source_->Initialized(Handle());
        // The first selection is told too, also when the tree made it
        // itself before the window showed.
        if (!Tree_->Selected())
            Tree_->SetSelected(Root_);
        if (!Told_ && Tree_->Selected())
            TreeChange(Tree_, Tree_->Selected());
    }

private:
    TTreeNode* AddNode(TTreeNode* parent, const win32::FolderPickerItem& item)
    {
        TTreeNode* node = Tree_->Items()->AddChildObject(parent, item.Text, item.Node);
        node->SetHasChildren(item.HasChildren);
        return node;
    }

    void Fill(TTreeNode* node)
    {
        if (!Filled_.insert(node).second)
            return;
        const std::vector<win32::FolderPickerItem> children =
            Source_->Children(static_cast<win32::FolderPickerNode*>(node->Data()));
        Tree_->Items()->BeginUpdate();
        for (const win32::FolderPickerItem& child : children)
            AddNode(node, child);
        Tree_->Items()->EndUpdate();
        node->SetHasChildren(!children.empty());
    }

    void TreeExpanding(TObject*, TTreeNode* node, bool& allow)
    {
        Fill(node);
        allow = node->HasChildren();
    }

    void TreeImage(TObject*, TTreeNode* node)
    {
        const int index = Source_->IconIndex(static_cast<win32::FolderPickerNode*>(node->Data()));
        if (node->ImageIndex() != index)
            node->SetImageIndex(index);
        if (node->SelectedIndex() != index)
            node->SetSelectedIndex(index);
    }

    void TreeChange(TObject*, TTreeNode* node)
    {
        if (!Initialized_ || !node)
            return;
        Told_ = true;
        Source_->SelectionChanged(Handle(), static_cast<win32::FolderPickerNode*>(node->Data()));
    }

    // Over the owner's window when there is one, else in the screen's middle.
    void Place()
    {
        RECT owner{};
        if (Owner_ && IsWindow(Owner_) && GetWindowRect(Owner_, &owner)) {
            SetBounds(owner.left + ((owner.right - owner.left) - Width()) / 2,
                      owner.top + ((owner.bottom - owner.top) - Height()) / 2, Width(), Height());
            return;
        }
        SetPosition(poScreenCenter);
    }

    win32::FolderPickerSource* Source_;
    HWND Owner_;
    TLabel* Status_ = nullptr;
    TImageList* Images_ = nullptr;
    TCustomTreeView* Tree_ = nullptr;
    TTreeNode* Root_ = nullptr;
    TButton* Ok_ = nullptr;
    std::unordered_set<TTreeNode*> Filled_;
    bool Initialized_ = false;
    bool Told_ = false;
};

class FormPicker final : public win32::FolderPicker {
public:
    explicit FormPicker(TFolderPickerForm* form) : Form_(form) {}
    ~FormPicker() override { Form_->Free(); }

    HWND Window() const override { return Form_->Handle(); }
    void SetStatusText(const std::string& text) override { Form_->SetStatus(text); }
    void EnableOk(bool enabled) override { Form_->EnableOk(enabled); }
    void Select(const std::vector<win32::FolderPickerNode*>& path) override { Form_->Select(path); }
    win32::FolderPickerNode* Run() override { return Form_->ShowModal() == mrOk ? Form_->Chosen() : nullptr; }

private:
    TFolderPickerForm* Form_;
};

} // namespace

std::unique_ptr<win32::FolderPicker> CreateFolderPickerForm(const win32::FolderPickerRequest& request)
{
    if (!request.Source || !qobject_cast<QApplication*>(QCoreApplication::instance()) ||
        !win32::IsGuiThread()) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto* form = Create<TFolderPickerForm>(Application(), request);
    try {
        form->Build(request);
    } catch (...) {
        form->Free();
        throw;
    }
    return std::make_unique<FormPicker>(form);
}

void InstallFolderPicker()
{
    win32::SetDefaultFolderPicker(&CreateFolderPickerForm);
}

} // namespace vcl
