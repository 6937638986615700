#include "shell32/Printers.h"
#include "shell32/PrintersTesting.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace shell32 {
namespace {

constexpr std::size_t kMaxPrinterFileBytes = 1024 * 1024;

struct PrinterFiles {
    std::string Printcap;
    std::string CupsPrinters;
};

PrinterFiles& Files()
{
    static PrinterFiles files;
    return files;
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::string text;
    text.resize(kMaxPrinterFileBytes);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

template <typename Visit>
void ForEachLine(std::string_view text, Visit visit)
{
    while (!text.empty()) {
        const size_t end = text.find('\n');
        visit(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

bool IsPrintableName(std::string_view name)
{
    return !name.empty() && name.size() <= 127 &&
           std::none_of(name.begin(), name.end(), [](char c) { return c == '/' || c == '\0' || c < ' '; });
}

} // namespace

std::vector<std::string> ParsePrintcap(std::string_view text)
{
    std::vector<std::string> names;
    bool continued = false;
    ForEachLine(text, [&](std::string_view line) {
        const bool wasContinued = continued;
        const std::string_view trimmed = Trim(line);
        continued = !trimmed.empty() && trimmed.back() == '\\';
        // A continuation line (or one starting with blanks or ':') belongs to
        // the entry above.
        if (wasContinued || trimmed.empty() || trimmed.front() == '#' || line.front() == ' ' ||
            line.front() == '\t' || trimmed.front() == ':')
            return;
        std::string_view head = trimmed.substr(0, trimmed.find_first_of(":\\"));
        const std::string_view name = Trim(head.substr(0, head.find('|')));
        if (IsPrintableName(name))
            names.emplace_back(name);
    });
    return names;
}

std::vector<std::string> ParseCupsPrinters(std::string_view text)
{
    std::vector<std::string> names;
    ForEachLine(text, [&](std::string_view line) {
        std::string_view trimmed = Trim(line);
        for (std::string_view opener :
             {std::string_view("<Printer "), std::string_view("<DefaultPrinter ")}) {
            if (trimmed.starts_with(opener) && trimmed.ends_with(">")) {
                const std::string_view name =
                    Trim(trimmed.substr(opener.size(), trimmed.size() - opener.size() - 1));
                if (IsPrintableName(name))
                    names.emplace_back(name);
            }
        }
    });
    return names;
}

std::vector<std::string> ListPrinters()
{
    const PrinterFiles& files = Files();
    std::vector<std::string> names =
        ParsePrintcap(ReadFileText(files.Printcap.empty() ? "/etc/printcap" : files.Printcap));
    const std::vector<std::string> cups = ParseCupsPrinters(
        ReadFileText(files.CupsPrinters.empty() ? "/etc/cups/printers.conf" : files.CupsPrinters));
    names.insert(names.end(), cups.begin(), cups.end());
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

namespace testing {

void SetPrinterFiles(std::string printcap, std::string cupsPrinters)
{
    Files() = PrinterFiles{std::move(printcap), std::move(cupsPrinters)};
}

} // namespace testing

} // namespace shell32
