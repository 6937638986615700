#include "win32/VersionInfo.h"
#include "PlatformFixture.h"
#include "win32/Errors.h"
#include "win32/VersionBlock.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using VersionInfoTest = PlatformFixture;

// The module's fixed file version, read as the system's GetModuleVersion does.
bool ReadVersion(const char* file, DWORD& ms, DWORD& ls)
{
    DWORD handle = 99;
    const DWORD size = GetFileVersionInfoSizeA(file, &handle);
    EXPECT_EQ(handle, 0u);
    if (size == 0)
        return false;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoA(file, handle, size, data.data()))
        return false;
    void* fixed = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(data.data(), "\\", &fixed, &len))
        return false;
    EXPECT_EQ(len, sizeof(VS_FIXEDFILEINFO));
    EXPECT_GE(static_cast<BYTE*>(fixed), data.data());
    EXPECT_LE(static_cast<BYTE*>(fixed) + len, data.data() + data.size());
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    EXPECT_EQ(info->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(info->dwStrucVersion, VS_FFI_STRUCVERSION);
    ms = info->dwFileVersionMS;
    ls = info->dwFileVersionLS;
    EXPECT_EQ(info->dwProductVersionMS, ms);
    return true;
}

std::vector<BYTE> BlockOf(const char* file)
{
    std::vector<BYTE> data(GetFileVersionInfoSizeA(file, nullptr));
    EXPECT_TRUE(GetFileVersionInfoA(file, 0, static_cast<DWORD>(data.size()), data.data()));
    return data;
}

TEST_F(VersionInfoTest, CommonControlsFollowTheIdentity)
{
    DWORD ms = 0, ls = 0;
    ASSERT_TRUE(ReadVersion("comctl32.dll", ms, ls));
    EXPECT_EQ(ms, 0x00050051u);
    EXPECT_EQ(ls, win32::CurrentIdentity().commonControlsLS);

    win32::PlatformIdentity old = win32::testing::DefaultIdentity();
    old.commonControlsMS = 0x00040048; // 4.72
    old.commonControlsLS = 0x0BB80000;
    old.shellMS = 0x00040047;
    win32::testing::SetIdentity(old);
    ASSERT_TRUE(ReadVersion("COMCTL32", ms, ls));
    EXPECT_EQ(ms, 0x00040048u);
    EXPECT_EQ(ls, 0x0BB80000u);
    ASSERT_TRUE(ReadVersion("shell32.dll", ms, ls));
    EXPECT_EQ(ms, 0x00040047u);
    ASSERT_TRUE(ReadVersion("kernel32.dll", ms, ls));
    EXPECT_EQ(ms, 0x00050000u);
    EXPECT_EQ(ls, 2195u << 16);
}

TEST_F(VersionInfoTest, FilesWithoutVersionResources)
{
    for (const char* file : {"/etc/hostname", "/no/such/file", "notepad.exe", "nosuch.dll"}) {
        SetLastError(ERROR_SUCCESS);
        DWORD handle = 5;
        EXPECT_EQ(GetFileVersionInfoSizeA(file, &handle), 0u) << file;
        EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND) << file;
        BYTE data[16] = {};
        EXPECT_FALSE(GetFileVersionInfoA(file, 0, sizeof data, data));
        DWORD ms = 1, ls = 2;
        EXPECT_FALSE(ReadVersion(file, ms, ls));
        EXPECT_EQ(ms, 1u);
    }
    // A module a test registers without a version, and a missing stand-in.
    win32::testing::RegisterModule("plain.dll", std::nullopt, {});
    EXPECT_EQ(GetFileVersionInfoSizeA("plain.dll", nullptr), 0u);
    win32::testing::UnregisterModule("comctl32.dll");
    EXPECT_EQ(GetFileVersionInfoSizeA("comctl32.dll", nullptr), 0u);

    // Too small a buffer: refused, nothing written.
    const DWORD size = GetFileVersionInfoSizeA("shell32.dll", nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size, 0xAA);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(GetFileVersionInfoA("shell32.dll", 0, size - 1, data.data()));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(data[0], 0xAA);
}

TEST_F(VersionInfoTest, SubBlocksAndTexts)
{
    win32::testing::RegisterModule("tool.dll", win32::ModuleVersion{0x00010002, 0x00030004}, {});
    std::vector<BYTE> block = BlockOf("tool.dll");
    void* value = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileVersion", &value, &len));
    EXPECT_STREQ(static_cast<const char*>(value), "1.2.3.4");
    EXPECT_EQ(len, 8u);
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\stringfileinfo\\040904b0\\OriginalFilename", &value, &len));
    EXPECT_STREQ(static_cast<const char*>(value), "tool.dll");
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &len));
    ASSERT_EQ(len, 4u);
    WORD translation[2];
    std::memcpy(translation, value, sizeof translation);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);

    for (const char* unknown :
         {"\\Nothing", "\\StringFileInfo\\040904B0\\Nope", "\\VarFileInfo\\Translation\\x"}) {
        value = &len;
        len = 9;
        EXPECT_FALSE(VerQueryValueA(block.data(), unknown, &value, &len)) << unknown;
        EXPECT_EQ(value, nullptr);
        EXPECT_EQ(len, 0u);
    }
    EXPECT_FALSE(VerQueryValueA(block.data(), nullptr, &value, &len));
    EXPECT_FALSE(VerQueryValueA(nullptr, "\\", &value, &len));
}

TEST_F(VersionInfoTest, DamagedAndForeignBlocksFailCleanly)
{
    const std::vector<BYTE> good = BlockOf("comctl32.dll");
    void* value = nullptr;
    UINT len = 0;

    // A foreign buffer, no bigger than the part of a block that is checked first.
    std::vector<BYTE> foreign(38, 0x41);
    EXPECT_FALSE(VerQueryValueA(foreign.data(), "\\", &value, &len));

    // A block whose declared length cuts through its parts, at every length:
    // the copy is exactly that long, so ASan sees any read past it.
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        std::vector<BYTE> truncated(good.begin(),
                                    good.begin() + static_cast<long>(std::max<std::size_t>(cut, 38)));
        const WORD declared = static_cast<WORD>(cut);
        std::memcpy(truncated.data(), &declared, sizeof declared);
        const auto root = win32::FindVersionValue(truncated.data(), truncated.size(), "\\");
        const auto text = win32::FindVersionValue(truncated.data(), truncated.size(),
                                                  "\\StringFileInfo\\040904B0\\ProductVersion");
        if (text) {
            EXPECT_LE(text->data + text->length, truncated.data() + cut);
        }
        if (cut < 92) {
            EXPECT_FALSE(root.has_value()) << cut; // the fixed record itself does not fit
        }
    }

    // Every single corrupted byte is either tolerated or refused, never overrun.
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (BYTE poison : {BYTE{0x00}, BYTE{0xFF}, BYTE{0x7F}}) {
            std::vector<BYTE> bad = good;
            bad[at] = poison;
            for (const char* path :
                 {"\\", "\\StringFileInfo\\040904B0\\FileVersion", "\\VarFileInfo\\Translation"}) {
                const auto found = win32::FindVersionValue(bad.data(), bad.size(), path);
                if (found) {
                    EXPECT_GE(found->data, bad.data());
                    EXPECT_LE(found->data + found->length, bad.data() + bad.size());
                }
            }
        }
    }

    // A wrong signature in the fixed record.
    std::vector<BYTE> unsigned_ = good;
    void* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueA(unsigned_.data(), "\\", &fixed, &len));
    static_cast<VS_FIXEDFILEINFO*>(fixed)->dwSignature = 0;
    EXPECT_FALSE(VerQueryValueA(unsigned_.data(), "\\", &value, &len));
}

} // namespace
