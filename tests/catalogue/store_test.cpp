// The DAO-shaped store's answers that the catalogue procedures rely on.
#include "platform/dao.h"
#include "runtime/failure.h"
#include "support/test_support.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>

namespace {

using namespace testing_support;

TEST(Store, RecordCountAsJetCountsIt) {
    TempPrefix prefix;
    TestCatalogue cat(prefix);
    cat.AddToy("a", "A");
    cat.AddToy("b", "B");
    cat.AddToy("c", "C");
    auto db = dao::DBEngine.Workspaces(0).OpenDatabase(cat.path());
    auto rs = db.OpenRecordset("SELECT * FROM tblToyz ORDER BY ToyOrder", dao::dbOpenSnapshot);
    EXPECT_FALSE(rs.Eof());
    EXPECT_NE(rs.RecordCount(), 0);
    rs.MoveLast();
    EXPECT_EQ(rs.RecordCount(), 3);
    rs.MoveFirst();
    EXPECT_EQ(CStr(rs.Fields("toytext").Value()), "A");
    auto text = rs.Fields("TOYTEXT");
    rs.MoveNext();
    EXPECT_EQ(CStr(text.Value()), "B");
    rs.MoveNext();
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_THROW(rs.MoveNext(), Failure);
    EXPECT_THROW(text.Value(), Failure);
    EXPECT_THROW(rs.Fields("Nope"), Failure);
    auto empty =
        db.OpenRecordset("SELECT * FROM tblToyz WHERE ToyKey = ?", dao::dbOpenSnapshot, {"zz"});
    EXPECT_TRUE(empty.Eof());
    EXPECT_EQ(empty.RecordCount(), 0);
    EXPECT_TRUE(rs.Fields("ToyPreviewPath").Name() == "ToyPreviewPath");
}

TEST(Store, ExecuteIsSeenAtOnceAndOnlyOneStatementRuns) {
    TempPrefix prefix;
    TestCatalogue cat(prefix);
    cat.AddToy("a", "A");
    auto db = dao::DBEngine.OpenDatabase(cat.path());
    db.Execute("UPDATE tblToyz SET ToyIsActive = -1 WHERE ToyText = ?", {"A"});
    auto other = dao::DBEngine.Workspaces(0).OpenDatabase(cat.path());
    auto rs = other.OpenRecordset("SELECT ToyIsActive FROM tblToyz");
    EXPECT_EQ(CInt(rs.Fields("ToyIsActive").Value()), -1);
    EXPECT_THROW(db.Execute("DELETE FROM tblToyz; DELETE FROM tblThemes"), Failure);
    db.Close();
    EXPECT_THROW(db.Execute("DELETE FROM tblToyz"), Failure);
}

TEST(Store, AWriterInAnotherConnectionIsWaitedFor) {
    TempPrefix prefix;
    TestCatalogue cat(prefix);
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(cat.native().c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE; INSERT INTO tblToyz (ToyKey) VALUES ('w');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    std::thread release([writer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
    });
    auto db = dao::DBEngine.OpenDatabase(cat.path());
    db.Execute("UPDATE tblToyz SET ToyText = 'x'");
    release.join();
    sqlite3_close(writer);
    auto rs = db.OpenRecordset("SELECT ToyText FROM tblToyz");
    EXPECT_EQ(CStr(rs.Fields("ToyText").Value()), "x");
}

TEST(Store, OpenFailuresCarrySQLitesCodeAndMessage) {
    TempPrefix prefix;
    try {
        dao::DBEngine.OpenDatabase("C:\\none\\Zelkora.mdb");
        FAIL();
    } catch (const Failure& f) {
        EXPECT_EQ(f.Number, 14);
        EXPECT_EQ(f.Description, "unable to open database file");
    }
    WriteFile(prefix.path("drive_c/bad.mdb"), std::string(4096, '\x5a'));
    try {
        dao::DBEngine.OpenDatabase("C:\\bad.mdb");
        FAIL();
    } catch (const Failure& f) {
        EXPECT_EQ(f.Number, 26);
    }
}

TEST(CatalogueTool, RefusesBadInputAndWritesNothingHalfway) {
    TempPrefix prefix;
    TestCatalogue cat(prefix);
    cat.AddTheme("Ocean", "Ocean");
    cat.AddModule("Waves", "ocean", "Waves");
    std::string out;
    EXPECT_EQ(cat.TryRun("add-theme", "waves Dup", &out), 1);
    EXPECT_NE(out.find("already used"), std::string::npos);
    EXPECT_EQ(cat.TryRun("add-module", "Ocean X Dup", &out), 1);
    EXPECT_EQ(cat.TryRun("add-module", "M2 Nowhere Text", &out), 1);
    EXPECT_NE(out.find("no theme Nowhere"), std::string::npos);
    EXPECT_EQ(cat.TryRun("add-module", "M3 Ocean Text --null NoSuchField", &out), 2);
    EXPECT_EQ(cat.TryRun("remove-theme", "Ocean", &out), 1);
    EXPECT_EQ(cat.TryRun("create", "", &out), 1);
    ASSERT_EQ(cat.TryRun("list", "modules", &out), 0);
    EXPECT_NE(out.find("tblModules\tWaves\tOcean\tWaves\t200"), std::string::npos) << out;
    EXPECT_EQ(out.find("M3"), std::string::npos);
    EXPECT_EQ(RunCommand(ToolsDir() + "/zelkora-catalogue list /nonexistent.mdb", &out), 1);
    EXPECT_EQ(RunCommand(ToolsDir() + "/zelkora-catalogue --help", &out), 0);
    EXPECT_NE(out.find("add-module"), std::string::npos);
    EXPECT_EQ(RunCommand(ToolsDir() + "/zelkora-catalogue bogus x", &out), 2);
}

TEST(CatalogueTool, TheListingIsUnambiguousAndHasAJsonForm) {
    TempPrefix prefix;
    TestCatalogue cat(prefix);
    cat.AddTheme("T1", "Tab\there");
    cat.AddModule("M1", "T1", "\\N", "--set " + ShellQuote("ModuleURL=a\nb\\c") +
                                         " --null ModuleCopyright");
    std::string out;
    ASSERT_EQ(cat.TryRun("list", "", &out), 0);
    // Each row is one line; a text "\N" is told from Null, a backslash is doubled.
    EXPECT_NE(out.find("tblThemes\tT1\tTab\\there\t100\n"), std::string::npos) << out;
    EXPECT_NE(out.find("tblModules\tM1\tT1\t\\\\N\t200\t\\N\ta\\nb\\\\c\t\\N\t"),
              std::string::npos)
        << out;
    ASSERT_EQ(cat.TryRun("list", "modules --json", &out), 0);
    EXPECT_NE(out.find("\"ModuleTreeText\": \"\\\\N\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"ModuleURL\": \"a\\u000ab\\\\c\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"ModuleCopyright\": null"), std::string::npos) << out;
    EXPECT_NE(out.find("\"ModuleTreeType\": 200"), std::string::npos) << out;
    EXPECT_EQ(out.find("tblThemes"), std::string::npos);
    // A JSON reader takes it whole.
    std::string check;
    EXPECT_EQ(RunCommand(ToolsDir() + "/zelkora-catalogue list " + ShellQuote(cat.native()) +
                             " --json | python3 -c 'import json,sys; d=json.load(sys.stdin); "
                             "print(d[\"tblModules\"][0][\"ModuleURL\"] == \"a\\nb\\\\c\")'",
                         &check),
              0);
    EXPECT_EQ(check, "True\n");
}

} // namespace
