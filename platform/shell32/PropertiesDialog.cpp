#include "shell32/PropertiesDialog.h"

#include "shell32/Folders.h"
#include "shell32/ItemVerbs.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

#include <ftw.h>
#include <sys/stat.h>

namespace shell32 {

namespace {

// nftw gives no context pointer; one walk at a time on the GUI thread.
ItemProperties* g_walked = nullptr;

int CountEntry(const char*, const struct stat* st, int kind, FTW*)
{
    if (kind == FTW_D || kind == FTW_DP || kind == FTW_DNR)
        ++g_walked->Folders;
    else
        ++g_walked->Files;
    if (S_ISREG(st->st_mode) || S_ISLNK(st->st_mode))
        g_walked->Size += static_cast<std::uint64_t>(st->st_size);
    return 0;
}

QString Display(const std::string& bytes)
{
    // A display text: an invalid byte shows as U+FFFD.
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString SizeText(std::uint64_t size)
{
    const QLocale locale;
    if (size < 1024)
        return QStringLiteral("%1 bytes").arg(locale.toString(static_cast<qulonglong>(size)));
    return QStringLiteral("%1 (%2 bytes)")
        .arg(locale.formattedDataSize(static_cast<qint64>(size), 1, QLocale::DataSizeTraditionalFormat),
             locale.toString(static_cast<qulonglong>(size)));
}

} // namespace

ItemProperties ReadItemProperties(const std::vector<std::string>& paths)
{
    ItemProperties properties;
    g_walked = &properties;
    std::size_t read = 0;
    for (const std::string& path : paths) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0)
            continue;
        ++read;
        const std::string type = FileTypeName(NameOfPath(path), S_ISDIR(st.st_mode));
        const std::string folder = FolderOfPath(path);
        if (read == 1) {
            properties.Name = NameOfPath(path);
            properties.Type = type;
            properties.Location = folder;
            properties.Modified =
                QLocale()
                    .toString(QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec), QLocale::LongFormat)
                    .toStdString();
        } else {
            if (properties.Type != type)
                properties.Type = "Multiple types";
            if (properties.Location != folder)
                properties.Location = "Various folders";
        }
        if (S_ISDIR(st.st_mode)) {
            // The walk counts the folder itself, which only holds the rest.
            const std::size_t before = properties.Folders;
            nftw(path.c_str(), CountEntry, 32, FTW_PHYS);
            if (properties.Folders > before)
                --properties.Folders;
        } else {
            ++properties.Files;
            properties.Size += static_cast<std::uint64_t>(st.st_size);
        }
    }
    g_walked = nullptr;
    if (read > 1) {
        properties.Name = std::to_string(read) + " items";
        properties.Modified.clear();
    }
    return properties;
}

QWidget* ShowPropertiesDialog(HWND, const std::vector<std::string>& paths)
{
    // Widgets need the widgets' application (a program may run on Qt Gui alone).
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    const ItemProperties properties = ReadItemProperties(paths);
    if (properties.Name.empty())
        return nullptr;
    auto* dialog = new QDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("%1 Properties").arg(Display(properties.Name)));
    auto* layout = new QVBoxLayout(dialog);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    const auto row = [&](const char* label, const QString& value, const char* name) {
        auto* text = new QLabel(value);
        text->setObjectName(QLatin1String(name));
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QLatin1String(label), text);
    };
    row("Name:", Display(properties.Name), "name");
    row("Type:", Display(properties.Type), "type");
    row("Location:", Display(properties.Location), "location");
    row("Size:", SizeText(properties.Size), "size");
    if (paths.size() > 1 || properties.Folders > 0)
        row("Contains:",
            QStringLiteral("%1 %2, %3 %4")
                .arg(properties.Files)
                .arg(QLatin1String(properties.Files == 1 ? "file" : "files"))
                .arg(properties.Folders)
                .arg(QLatin1String(properties.Folders == 1 ? "folder" : "folders")),
            "contains");
    if (!properties.Modified.empty())
        row("Modified:", Display(properties.Modified), "modified");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    layout->addWidget(buttons);
    dialog->show();
    return dialog;
}

} // namespace shell32
