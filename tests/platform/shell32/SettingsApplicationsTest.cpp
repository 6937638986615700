// The Control Panel's items from desktop entries in temporary XDG folders,
// and the printers from printcap and CUPS texts.

#include "shell32/SettingsApplications.h"
#include "shell32/Printers.h"
#include "shell32/PrintersTesting.h"
#include "shell32/ShellTesting.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

void WriteFile(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream file(path, std::ios::binary);
    file << text;
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : Name_(name)
    {
        if (const char* old = std::getenv(name))
            Old_ = old, HadOld_ = true;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (HadOld_)
            setenv(Name_, Old_.c_str(), 1);
        else
            unsetenv(Name_);
        shell32::testing::ResetCachedLocations();
    }

private:
    const char* Name_;
    std::string Old_;
    bool HadOld_ = false;
};

std::string Entry(const std::string& name, const std::string& extra = "",
                  const std::string& categories = "GTK;Settings;")
{
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\nCategories=" + categories +
           "\n" + extra;
}

} // namespace

TEST(SettingsApplications, FromDesktopEntries)
{
    kwtest::TempDir temp;
    const std::string user = temp / "home/applications";
    const std::string system = temp / "system/applications";
    const std::string other = temp / "other/applications";
    ScopedEnv dataHome("XDG_DATA_HOME", (temp / "home").c_str());
    ScopedEnv dataDirs("XDG_DATA_DIRS", (temp / "system:" + temp.Path() + "/other:relative").c_str());
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    ScopedEnv language("LANGUAGE", "de");
    ScopedEnv lcAll("LC_ALL", nullptr);
    shell32::testing::ResetCachedLocations();

    WriteFile(system + "/display.desktop",
              Entry("Display", "Name[de]=Bildschirm\nComment=Screens\nIcon=video-display\n"));
    WriteFile(system + "/kde/power.desktop", Entry("Power")); // id kde-power.desktop
    WriteFile(system + "/notsettings.desktop", Entry("Editor", "", "Utility;TextEditor;"));
    WriteFile(system + "/link.desktop",
              "[Desktop Entry]\nType=Link\nName=Web\nCategories=Settings;\nURL=x\n");
    WriteFile(system + "/nodisplay.desktop", Entry("Hidden helper", "NoDisplay=true\n"));
    WriteFile(system + "/kdeonly.desktop", Entry("KDE only", "OnlyShowIn=KDE;\n"));
    WriteFile(system + "/gnomeonly.desktop", Entry("GNOME only", "OnlyShowIn=GNOME;\n"));
    WriteFile(system + "/notgnome.desktop", Entry("Not GNOME", "NotShowIn=GNOME;\n"));
    WriteFile(system + "/missing.desktop", Entry("Not installed", "TryExec=/nonexistent/program\n"));
    WriteFile(system + "/installed.desktop", Entry("Installed", "TryExec=sh\n"));
    WriteFile(system + "/garbage.desktop", "\x01\x02 not a key file [[[\n");
    WriteFile(system + "/noname.desktop", "[Desktop Entry]\nType=Application\nCategories=Settings;\n");
    WriteFile(system + "/removed.desktop", Entry("Removed by the user"));
    WriteFile(system + "/replaced.desktop", Entry("System copy"));
    WriteFile(system + "/notes.txt", Entry("Not a desktop file"));
    // The user's folder wins for the same id, also to hide an entry.
    WriteFile(user + "/removed.desktop", Entry("Removed", "Hidden=true\n"));
    WriteFile(user + "/replaced.desktop", Entry("User copy"));
    // A lower folder cannot replace a higher one's entry.
    WriteFile(other + "/display.desktop", Entry("Shadowed display"));
    WriteFile(other + "/sound.desktop", Entry("Sound"));

    const std::vector<shell32::SettingsApplication> apps = shell32::ListSettingsApplications();
    std::vector<std::string> ids, names;
    for (const auto& app : apps)
        ids.push_back(app.Id), names.push_back(app.Name);
    EXPECT_EQ(ids, (std::vector<std::string>{"display.desktop", "gnomeonly.desktop", "installed.desktop",
                                             "kde-power.desktop", "replaced.desktop", "sound.desktop"}));
    EXPECT_EQ(names, (std::vector<std::string>{"Bildschirm", "GNOME only", "Installed", "Power", "User copy",
                                               "Sound"}));
    ASSERT_FALSE(apps.empty());
    EXPECT_EQ(apps[0].Path, system + "/display.desktop");
    EXPECT_EQ(apps[0].Comment, "Screens");
    EXPECT_EQ(apps[0].Icon, "video-display");
    EXPECT_EQ(apps[4].Path, user + "/replaced.desktop");
}

TEST(SettingsApplications, EmptyWithoutFolders)
{
    kwtest::TempDir temp;
    ScopedEnv dataHome("XDG_DATA_HOME", (temp / "none").c_str());
    ScopedEnv dataDirs("XDG_DATA_DIRS", (temp / "none2").c_str());
    shell32::testing::ResetCachedLocations();
    EXPECT_TRUE(shell32::ListSettingsApplications().empty());
}

TEST(Printers, PrintcapAndCups)
{
    EXPECT_EQ(shell32::ParsePrintcap("# This file was automatically generated by cupsd(8)\n"
                                     "Office_Laser|HP LaserJet 4000:rm=server:rp=Office_Laser:\n"
                                     "\n"
                                     "lp|default:\\\n"
                                     "\t:sd=/var/spool/lpd:\\\n"
                                     "continued:line\n"
                                     "  indented:line\n"
                                     "PDF:\n"
                                     "bad/name:\n"),
              (std::vector<std::string>{"Office_Laser", "lp", "PDF"}));
    EXPECT_TRUE(shell32::ParsePrintcap("").empty());

    EXPECT_EQ(shell32::ParseCupsPrinters("# Printer configuration file\n"
                                         "<DefaultPrinter Office>\nInfo Office printer\n</DefaultPrinter>\n"
                                         "  <Printer Lab>\nState Idle\n</Printer>\n"
                                         "<Printer >\n</Printer>\n"
                                         "<Printer Unclosed\n"),
              (std::vector<std::string>{"Office", "Lab"}));

    kwtest::TempDir temp;
    WriteFile(temp / "printcap", "Office|x:rm=a:\nLab:\n");
    WriteFile(temp / "printers.conf", "<Printer Lab>\n</Printer>\n<Printer Annex>\n</Printer>\n");
    shell32::testing::SetPrinterFiles(temp / "printcap", temp / "printers.conf");
    EXPECT_EQ(shell32::ListPrinters(), (std::vector<std::string>{"Annex", "Lab", "Office"}));
    shell32::testing::SetPrinterFiles(temp / "missing", temp / "missing2");
    EXPECT_TRUE(shell32::ListPrinters().empty());
    shell32::testing::SetPrinterFiles({}, {});
}
