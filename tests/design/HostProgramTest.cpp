// The design host program over the packages in processes of their own:
// the palette listed with its bitmaps, and a form with one of each
// component written, read back and written again to the same text.

#include "TestSupport.h"

#include <QImage>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#ifdef KW_DESIGN_HOST

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct HostRun {
    const char* Package;
    const char* Entry;
    // How the library's category and the legacy one are registered; null:
    // no categories.
    const char* Kwillen;
    const char* Legacy;
};

int Count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

TEST(DesignHostProgram, ListsThePaletteAndRoundTripsAForm)
{
    std::vector<HostRun> runs{
        {KW_PACKAGE_D6, "Reg_KwShellControls_Register", "category ' Kwillen' T", "category 'Legacy' any 2"},
        {KW_PACKAGE_D6, "Reg_KwShellControls_RegisterForCppHosts", nullptr, nullptr}};
#ifdef KW_PACKAGE_D5
    runs.push_back({KW_PACKAGE_D5, "Reg_KwShellControls_Register",
                    "category ' Kwillen' as TKwillenCategory T",
                    "category 'Legacy' as TLegacyCategory any 2"});
#endif
    const std::vector<std::string> palette{
        "TKwShellTree",       "TKwShellList", "TKwShellCombo", "TKwOpenDlg",  "TKwSaveDlg",
        "TKwFolderBrowseDlg", "TKwFrame",     "TKwGroup",      "TKwSplitter", "TKwImageCombo",
        "TKwSysFolderDlg",    "TKwCombobox",  "TKwTreeView",   "TKwListView"};
    for (const HostRun& run : runs) {
        kwtest::TempDir out;
        QProcess host;
        host.start(KW_DESIGN_HOST, {run.Package, run.Entry, QString::fromStdString(out.Path())});
        ASSERT_TRUE(host.waitForFinished(120000)) << run.Package;
        const std::string printed = host.readAllStandardOutput().toStdString();
        EXPECT_EQ(host.exitCode(), 0) << run.Package << " " << run.Entry << "\n"
                                      << printed << host.readAllStandardError().toStdString();
        std::string expected = "page Shell\n";
        for (const std::string& cls : palette)
            expected += "  " + cls + " 24x24\n";
        expected += "no icon TKwPane\n";
        EXPECT_NE(printed.find(expected), std::string::npos) << printed;
        if (run.Kwillen) {
            EXPECT_EQ(Count(printed, run.Kwillen), 13) << printed;
            EXPECT_EQ(Count(printed, run.Legacy), 1) << printed;
        }
        EXPECT_EQ(Count(printed, "category "), run.Kwillen ? 14 : 0) << printed;
        const std::string first = ReadFile(out / "form1.txt");
        EXPECT_EQ(first, ReadFile(out / "form2.txt"));
        for (const std::string& cls : palette) {
            EXPECT_NE(first.find(": " + cls + "\n"), std::string::npos) << cls << "\n" << first;
            // The palette bitmaps, to look at.
            const QImage bitmap(QString::fromStdString(out / (cls + ".png")));
            EXPECT_EQ(bitmap.size(), QSize(24, 24)) << cls;
            bitmap.scaled(96, 96).save(QString::fromStdString(kwtest::OutputPath("palette-" + cls + ".png")));
        }
        EXPECT_NE(printed.find("same"), std::string::npos);
    }
}

} // namespace

#endif
