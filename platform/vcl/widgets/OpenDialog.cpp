// The file-open dialog component and its default question through Qt.

#include "vcl/widgets/OpenDialog.h"

#include "vcl/core/Publish.h"
#include "win32/WideText.h"

#include <QApplication>
#include <QFileDialog>

#include <atomic>

namespace vcl {

namespace {

std::atomic<TOpenDialogHook> TheHook{nullptr};

QString ToQ(const std::string& text)
{
    return QString::fromStdU16String(win32::BytesToWide(text));
}

std::string FromQ(const QString& text)
{
    return win32::WideToBytes(text.toStdU16String());
}

bool AskWithQt(TOpenDialogRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), ToQ(request.Title), ToQ(request.InitialDir));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.MultiSelect     ? QFileDialog::ExistingFiles
                       : request.FileMustExist ? QFileDialog::ExistingFile
                                               : QFileDialog::AnyFile);
    QStringList filters;
    for (const std::string& f : request.NameFilters)
        filters << ToQ(f);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (request.FilterIndex >= 0 && request.FilterIndex < filters.size())
            dialog.selectNameFilter(filters[request.FilterIndex]);
    }
    if (!request.FileName.empty())
        dialog.selectFile(ToQ(request.FileName));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (const QString& file : dialog.selectedFiles())
        request.Files.push_back(FromQ(file));
    request.ChosenFilter = static_cast<int>(filters.indexOf(dialog.selectedNameFilter()));
    return !request.Files.empty();
}

} // namespace

std::vector<std::string> FilterToNameFilters(const std::string& filter)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= filter.size() && !filter.empty()) {
        const std::size_t bar = filter.find('|', start);
        parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    std::vector<std::string> result;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string masks = parts[i + 1];
        for (char& c : masks)
            if (c == ';')
                c = ' ';
        result.push_back(parts[i] + " (" + masks + ")");
    }
    return result;
}

TOpenDialogHook SetOpenDialogHook(TOpenDialogHook hook)
{
    return TheHook.exchange(hook);
}

const TClassRtti& TOpenDialog::PublishedTable()
{
    static const TClassRtti table =
        Publish<TOpenDialog>()
            .Property<&TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt>("DefaultExt")
            .Property<&TOpenDialog::FileName, &TOpenDialog::SetFileName>("FileName")
            .Property<&TOpenDialog::Filter, &TOpenDialog::SetFilter>("Filter")
            .Property<&TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex>("FilterIndex")
            .Default(1)
            .Property<&TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir>("InitialDir")
            .Property<&TOpenDialog::Options, &TOpenDialog::SetOptions>("Options")
            .Default(TOpenOptions{ofHideReadOnly, ofEnableSizing})
            .Property<&TOpenDialog::Title, &TOpenDialog::SetTitle>("Title")
            .Property<&TOpenDialog::HelpContext, &TOpenDialog::SetHelpContext>("HelpContext")
            .Default(0);
    return table;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner), Files_(std::make_unique<TStringList>()) {}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute()
{
    TOpenDialogRequest request;
    request.Title = Title_.empty() ? std::string("Open") : Title_;
    request.InitialDir = InitialDir_;
    request.FileName = FileName_;
    request.NameFilters = FilterToNameFilters(Filter_);
    request.FilterIndex = FilterIndex_ - 1;
    request.MultiSelect = Options_.Contains(ofAllowMultiSelect);
    request.FileMustExist = Options_.Contains(ofFileMustExist);
    Files_->Clear();
    const TOpenDialogHook hook = TheHook.load();
    if (!(hook ? hook(request) : AskWithQt(request)))
        return false;
    for (const std::string& file : request.Files)
        Files_->Add(file);
    FileName_ = request.Files.empty() ? std::string() : request.Files.front();
    if (request.ChosenFilter >= 0 && !request.NameFilters.empty())
        FilterIndex_ = request.ChosenFilter + 1;
    return true;
}

} // namespace vcl
