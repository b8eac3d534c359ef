// Profile-file answers as Windows gives them, from the Win32 documentation.
#include "platform/win32.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace testing_support;

class Profile : public ::testing::Test {
  protected:
    TempPrefix prefix;
    std::string file = "C:\\Zelkora\\zelkora.ini";
    std::string native() const { return prefix.path("drive_c/Zelkora/zelkora.ini"); }
    std::string Get(const char* section, const char* key, const char* def, DWORD size = 255,
                    DWORD* n = nullptr) {
        std::string buf(size + 1, '#');
        DWORD got = GetPrivateProfileStringA(section, key, def, buf.data(), size, file.c_str());
        if (n) *n = got;
        return std::string(buf.c_str());
    }
};

TEST_F(Profile, AbsentFileSectionOrKeyYieldsTheDefault) {
    DWORD n;
    EXPECT_EQ(Get("Options", "ExitAfterApply", "0", 255, &n), "0");
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(Get("Options", "ExitAfterApply", "dflt  ", 255, &n), "dflt"); // trailing blanks go
    EXPECT_EQ(Get("Options", "ExitAfterApply", nullptr, 255, &n), "");
    EXPECT_EQ(n, 0u);
    WriteFile(native(), "[Other]\r\nExitAfterApply=1\r\n");
    EXPECT_EQ(Get("Options", "ExitAfterApply", "0"), "0");
    WriteFile(native(), "[Options]\r\nMinimizeAfterApply=1\r\n");
    EXPECT_EQ(Get("Options", "ExitAfterApply", "0"), "0");
}

TEST_F(Profile, CaseBlanksAndQuotes) {
    WriteFile(native(), "; a comment\r\n[ Options ]\r\n  exitafterapply =  1  \r\n"
                        "Quoted=\"  spaced  \"\r\nSingle='x'\r\nHalf=\"x\r\nEmpty=\r\n");
    EXPECT_EQ(Get("OPTIONS", "ExitAfterApply", "0"), "1");
    EXPECT_EQ(Get("options", "quoted", ""), "  spaced  ");
    EXPECT_EQ(Get("Options", "Single", ""), "x");
    EXPECT_EQ(Get("Options", "Half", ""), "\"x");
    EXPECT_EQ(Get("Options", "Empty", "d"), "");
}

TEST_F(Profile, LongValuesAreCutToTheBuffer) {
    WriteFile(native(), "[S]\nK=" + std::string(300, 'v') + "\n");
    DWORD n;
    EXPECT_EQ(Get("S", "K", "", 255, &n), std::string(254, 'v'));
    EXPECT_EQ(n, 254u);
    EXPECT_EQ(Get("S", "K", "", 5, &n), "vvvv");
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(Get("S", "K", "", 1, &n), "");
    EXPECT_EQ(n, 0u);
}

TEST_F(Profile, SectionAndKeyListsEndWithTwoNuls) {
    WriteFile(native(), "[A]\r\nx=1\r\ny=2\r\n[B]\r\n");
    std::string buf(64, '#');
    DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buf.data(), 64, file.c_str());
    EXPECT_EQ(n, 4u);
    EXPECT_EQ(buf.substr(0, 5), std::string("A\0B\0\0", 5));
    n = GetPrivateProfileStringA("a", nullptr, "", buf.data(), 64, file.c_str());
    EXPECT_EQ(buf.substr(0, 5), std::string("x\0y\0\0", 5));
    n = GetPrivateProfileStringA("a", nullptr, "", buf.data(), 4, file.c_str());
    EXPECT_EQ(n, 2u);
}

TEST_F(Profile, WriteCreatesFileAndSectionButNotTheFolder) {
    EXPECT_FALSE(WritePrivateProfileStringA("Options", "ExitAfterApply", "1", file.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    MakeDirs(prefix.path("drive_c/Zelkora"));
    EXPECT_TRUE(WritePrivateProfileStringA("Options", "ExitAfterApply", "1", file.c_str()));
    EXPECT_EQ(ReadFile(native()), "[Options]\r\nExitAfterApply=1\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("Options", "MinimizeAfterApply", "0", file.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("options", "exitafterapply", "0", file.c_str()));
    EXPECT_EQ(ReadFile(native()), "[Options]\r\nExitAfterApply=0\r\nMinimizeAfterApply=0\r\n");
}

TEST_F(Profile, WriteKeepsEveryOtherLineByteForByte) {
    std::string before = "; Zelkora preferences\n[Options]\n  ExitAfterApply = 1 ; note\n\n"
                         "[Other]\nkey=value\nlast=line";
    WriteFile(native(), before);
    EXPECT_TRUE(WritePrivateProfileStringA("Options", "MinimizeAfterApply", "1", file.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("New", "K", "V", file.c_str()));
    EXPECT_EQ(ReadFile(native()), "; Zelkora preferences\n[Options]\n  ExitAfterApply = 1 ; note\n"
                                  "MinimizeAfterApply=1\r\n\n[Other]\nkey=value\nlast=line\r\n"
                                  "[New]\r\nK=V\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA("Other", "key", nullptr, file.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("New", nullptr, nullptr, file.c_str()));
    EXPECT_EQ(ReadFile(native()), "; Zelkora preferences\n[Options]\n  ExitAfterApply = 1 ; note\n"
                                  "MinimizeAfterApply=1\r\n\n[Other]\nlast=line\r\n");
}

TEST_F(Profile, ReadOnlyFileRefusesTheWrite) {
    WriteFile(native(), "[Options]\r\nExitAfterApply=0\r\n");
    ::chmod(native().c_str(), 0444);
    EXPECT_FALSE(WritePrivateProfileStringA("Options", "ExitAfterApply", "1", file.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Get("Options", "ExitAfterApply", "x"), "0");
}

} // namespace
