// Registry answers as Windows gives them, from the Win32 documentation.
#include "platform/posix/registry_file.h"
#include "platform/win32.h"
#include "support/test_support.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;

class Registry : public ::testing::Test {
  protected:
    TempPrefix prefix;
    std::string Query(HKEY root, const char* sub, const char* name, DWORD bufSize, LONG* rc,
                      DWORD* type = nullptr, DWORD* size = nullptr) {
        HKEY k;
        *rc = RegOpenKeyExA(root, sub, 0, KEY_QUERY_VALUE, &k);
        if (*rc != ERROR_SUCCESS) return {};
        std::string buf(bufSize, ' ');
        DWORD sz = bufSize, t = 0;
        *rc = RegQueryValueExA(k, name, nullptr, &t, reinterpret_cast<LPBYTE>(buf.data()), &sz);
        RegCloseKey(k);
        if (type) *type = t;
        if (size) *size = sz;
        return *rc == ERROR_SUCCESS ? buf.substr(0, sz) : std::string();
    }
};

TEST_F(Registry, StringValuesOfEveryLengthReportTheirSizeWithTheNul) {
    std::string v254(254, 'a'), v255(255, 'b');
    WriteRegistry(prefix, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zelkora]\r\n"
                          "\"Empty\"=hex(1):\r\n"
                          "\"NulOnly\"=\"\"\r\n"
                          "\"One\"=\"x\"\r\n"
                          "\"Long\"=\"" +
                              v254 +
                              "\"\r\n"
                              "\"TooLong\"=\"" +
                              v255 + "\"\r\n");
    LONG rc;
    DWORD type, size;
    EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora", "Empty", 255, &rc, &type, &size), "");
    EXPECT_EQ(rc, ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora", "NulOnly", 255, &rc, &type, &size),
              std::string(1, '\0'));
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora", "One", 255, &rc, &type, &size),
              std::string("x\0", 2));
    EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora", "Long", 255, &rc, &type, &size),
              v254 + '\0');
    EXPECT_EQ(size, 255u);
    Query(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora", "TooLong", 255, &rc, &type, &size);
    EXPECT_EQ(rc, ERROR_MORE_DATA);
    EXPECT_EQ(size, 256u); // the size needed, NUL counted
}

TEST_F(Registry, NamesMatchWithoutRegardToCaseAndTypesAreReported) {
    WriteRegistry(prefix, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zelkora]\r\n"
                          "\"Path\"=hex(2):25,00,41,00,25,00,00,00\r\n"
                          "\"Count\"=dword:0000001f\r\n"
                          "@=\"default\"\r\n");
    LONG rc;
    DWORD type, size;
    EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, "software\\ZELKORA", "path", 255, &rc, &type, &size),
              std::string("%A%\0", 4));
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    std::string dw = Query(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora", "COUNT", 255, &rc, &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(dw.size(), 4u);
    EXPECT_EQ(dw[0], 0x1f);
    EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora", "", 255, &rc),
              std::string("default\0", 8));
    EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora", "Absent", 255, &rc), "");
    EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);
    Query(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nothing", "Path", 255, &rc);
    EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, SizeQueryWithoutBufferAndBadArguments) {
    WriteRegistry(prefix, "[HKEY_CURRENT_USER\\A]\r\n\"V\"=\"hello\"\r\n");
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A", 0, KEY_READ, &k), ERROR_SUCCESS);
    DWORD size = 0, type = 0;
    EXPECT_EQ(RegQueryValueExA(k, "V", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(k, "V", &reserved, &type, nullptr, &size), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(k), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(k, "V", nullptr, &type, nullptr, &size), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, WritesNeedTheRightAndNeverCreateTheKeyOnOpen) {
    WriteRegistry(prefix, "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"Other\"=\"keep\"\r\n");
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &k),
              ERROR_SUCCESS);
    const char* one = "1";
    EXPECT_EQ(RegSetValueExA(k, "TileWallpaper", 0, REG_SZ, reinterpret_cast<const BYTE*>(one), 2),
              ERROR_ACCESS_DENIED);
    RegCloseKey(k);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Missing", 0, KEY_SET_VALUE, &k),
              ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "control panel\\desktop", 0, KEY_SET_VALUE, &k),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(k, "TileWallpaper", 0, REG_SZ, reinterpret_cast<const BYTE*>(one), 2),
              ERROR_SUCCESS);
    RegCloseKey(k);
    std::string text = ReadFile(prefix.path("registry.reg"));
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Control Panel\\Desktop]"), std::string::npos);
    EXPECT_NE(text.find("\"Other\"=\"keep\""), std::string::npos);
    EXPECT_NE(text.find("\"TileWallpaper\"=\"1\""), std::string::npos);
    EXPECT_EQ(text.find("Missing"), std::string::npos);
    LONG rc;
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "Control Panel\\Desktop", "tilewallpaper", 255, &rc),
              std::string("1\0", 2));
}

TEST_F(Registry, CreateKeyMakesParentsAndReportsWhatItDid) {
    WriteRegistry(prefix, "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n");
    HKEY k;
    DWORD disp = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\Zelkora\\Zelkora\\1", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &k, &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(k);
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora\\Zelkora\\1", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &k, &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(k);
    std::string text = ReadFile(prefix.path("registry.reg"));
    // The existing parent keeps its spelling; each new level has its own section.
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zelkora]"), std::string::npos);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zelkora\\Zelkora\\1]"), std::string::npos);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora\\Zelkora", 0, KEY_READ, &k),
              ERROR_SUCCESS);
    RegCloseKey(k);
}

TEST_F(Registry, RewritingKeepsEveryOtherKeyValueAndLine) {
    WriteRegistry(prefix, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n"
                          "\"Bin\"=hex:01,02,03\r\n"
                          "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                          "\"Gone\"=-\r\n"
                          "\"Esc\"=\"a \\\"quoted\\\" \\\\ path\"\r\n\r\n"
                          "[HKEY_CURRENT_USER\\B]\r\n\"W\"=\"x\"\r\n");
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "B", 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k, "W", 0, REG_SZ, reinterpret_cast<const BYTE*>("y"), 2),
              ERROR_SUCCESS);
    RegCloseKey(k);
    std::string text = ReadFile(prefix.path("registry.reg"));
    EXPECT_NE(text.find("\"Bin\"=hex:01,02,03"), std::string::npos);
    EXPECT_NE(text.find("\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00"), std::string::npos);
    EXPECT_NE(text.find("\"Gone\"=-"), std::string::npos);
    EXPECT_NE(text.find("\"Esc\"=\"a \\\"quoted\\\" \\\\ path\""), std::string::npos);
    EXPECT_NE(text.find("\"W\"=\"y\""), std::string::npos);
    // Nothing but the registry itself (and the lock) is left in the prefix.
    for (const auto& e : std::filesystem::directory_iterator(prefix.dir()))
        EXPECT_TRUE(e.path().filename() == "registry.reg" || e.path().filename() == ".lock" ||
                    e.path().filename() == "drive_c")
            << e.path();
}

TEST_F(Registry, Utf16FileWithByteOrderMarkAndRegedit4AreRead) {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\U]\r\n"
                       "\"Name\"=\"Zelkora \xC3\xA9t\xC3\xA9\"\r\n";
    WriteFile(prefix.path("registry.reg"), "\xFF\xFE" + platform::reg::Utf8ToUtf16Le(text));
    LONG rc;
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "U", "Name", 255, &rc),
              std::string("Zelkora \xC3\xA9t\xC3\xA9\0", 14));
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "U", 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(k, "New", 0, REG_SZ, reinterpret_cast<const BYTE*>("v"), 2),
              ERROR_SUCCESS);
    RegCloseKey(k);
    std::string written = ReadFile(prefix.path("registry.reg"));
    ASSERT_EQ(written.substr(0, 2), "\xFF\xFE"); // written back as it was read
    std::string back = platform::reg::Utf16LeToUtf8(written.substr(2));
    EXPECT_NE(back.find("\"Name\"=\"Zelkora \xC3\xA9t\xC3\xA9\""), std::string::npos);
    EXPECT_NE(back.find("\"New\"=\"v\""), std::string::npos);
    WriteFile(prefix.path("registry.reg"),
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\U]\r\n\"E\"=hex(2):41,42,00\r\n");
    DWORD type;
    EXPECT_EQ(Query(HKEY_CURRENT_USER, "U", "E", 255, &rc, &type), std::string("AB\0", 3));
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
}

TEST_F(Registry, MissingOrMalformedFileNeverCrashes) {
    LONG rc;
    Query(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora", "X", 255, &rc);
    EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);
    WriteFile(prefix.path("registry.reg"),
              std::string("\x00\x01[[[\"=\\\nhex(:\n\"a\"=hex(2):0", 26));
    Query(HKEY_LOCAL_MACHINE, "SOFTWARE\\Zelkora", "X", 255, &rc);
    EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND);
}

TEST(RegistryFile, ContinuedHexLinesAndRoundTrip) {
    auto f = platform::reg::Parse(
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n"
        "\"H\"=hex:01,02,\\\r\n  03,04\r\n");
    ASSERT_EQ(f.keys.size(), 1u);
    ASSERT_TRUE(f.keys[0].entries[0].isValue);
    EXPECT_EQ(f.keys[0].entries[0].value.data, std::string("\x01\x02\x03\x04"));
    std::string once = platform::reg::Format(f);
    EXPECT_EQ(platform::reg::Format(platform::reg::Parse(once)), once);
    // Text that is not UTF-8, with CR LF, goes in the hex form and comes back whole.
    std::string raw = std::string("a\xff\xfe", 3) + '\0' + "\r\n";
    f.keys[0].entries[0].value = {"V", 1, raw};
    auto back = platform::reg::Parse(platform::reg::Format(f));
    ASSERT_EQ(back.keys.size(), 1u);
    EXPECT_EQ(back.keys[0].entries[0].value.data, raw);
}

} // namespace
