#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "res/resource.h"

namespace kalvor {
namespace {

// The test executable carries the same compiled resources as kalvor.exe.
class VersionBlock : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t self[MAX_PATH];
        ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0U);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(self, &ignored);
        ASSERT_GT(size, 0U);
        block_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(self, 0, size, block_.data()));
    }

    std::pair<void*, UINT> Query(const std::wstring& key) {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block_.data(), key.c_str(), &value, &length)) {
            return {nullptr, 0};
        }
        return {value, length};
    }

    std::vector<char> block_;
};

TEST_F(VersionBlock, HoldsTheFixedPart) {
    const auto [value, length] = Query(L"\\");
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000U);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001U);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000U);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001U);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3FU);
    EXPECT_EQ(fixed->dwFileFlags, 0U);
    EXPECT_EQ(fixed->dwFileOS, 4U);
    EXPECT_EQ(fixed->dwFileType, 1U);
}

TEST_F(VersionBlock, HoldsTheChineseStringBlockAndItsTranslation) {
    const auto [translation, length] = Query(L"\\VarFileInfo\\Translation");
    ASSERT_EQ(length, 4U);
    EXPECT_EQ(static_cast<const WORD*>(translation)[0], 2052);
    EXPECT_EQ(static_cast<const WORD*>(translation)[1], 936);
    const std::vector<std::pair<std::wstring, std::wstring>> values = {
        {L"FileDescription", L"kalvor"},  {L"FileVersion", L"1.0.0.1"},
        {L"InternalName", L"kalvor.exe"}, {L"OriginalFilename", L"kalvor.exe"},
        {L"ProductName", L"kalvor"},      {L"ProductVersion", L"1.0.0.1"},
    };
    for (const auto& [key, expected] : values) {
        const auto [text, units] = Query(L"\\StringFileInfo\\080403a8\\" + key);
        EXPECT_NE(text, nullptr);
        if (text == nullptr) {
            continue;
        }
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(text)), expected);
    }
    for (const wchar_t* key : {L"CompanyName", L"LegalCopyright"}) {
        const auto [text, units] = Query(std::wstring(L"\\StringFileInfo\\080403a8\\") + key);
        EXPECT_GT(units, 1U) << key;
    }
}

std::string_view ResourceBytes(LPCWSTR type, int id, WORD language) {
    const HRSRC found = FindResourceExW(nullptr, type, MAKEINTRESOURCEW(id), language);
    if (found == nullptr) {
        return {};
    }
    return {static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
            SizeofResource(nullptr, found)};
}

TEST(Resources, HoldTheManifestAndBothIcons) {
    const std::string_view manifest =
        ResourceBytes(RT_MANIFEST, 1, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    EXPECT_NE(manifest.find(R"(level="asInvoker" uiAccess="false")"), std::string_view::npos);
    EXPECT_NE(manifest.find(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"),
              std::string_view::npos);
    const WORD chinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    EXPECT_FALSE(ResourceBytes(RT_GROUP_ICON, IDR_MAINFRAME, chinese).empty());
    EXPECT_FALSE(ResourceBytes(RT_GROUP_ICON, IDR_DOCTYPE, chinese).empty());
}

}  // namespace
}  // namespace kalvor
