// What each origin of the application scheme may read: its own folder and
// what pages share, never another's folder, a toy's data, or anything outside
// the installation, however the path is written.
#include "sandbox/app_address.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using namespace testing_support;
namespace fs = std::filesystem;

class AppAddress : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* f :
             {"zelkora.js", "zelkora.css", "defaulthelp.htm", "themes/options.txt",
              "ZelToyz/ZelToyz.txt", "ZelToyz/Clock/toy.js", "ZelToyz/Sticky Notes/toy.js",
              "Modules/scene.js", "Modules/Sea/sea.css", "Modules/Sea/Waves/ZKRWaves.htm",
              "Modules/Sea/Waves/data.txt", "Modules/Sea/Reef/ZKRReef.htm",
              "Modules/Sky/Stars/ZKRStars.htm", "Data/Zelkora.mdb"}) {
            fs::create_directories(fs::path(root + f).parent_path());
            WriteFile(root + f, "x");
        }
        WriteFile(prefix.path("secret.txt"), "x");
        fs::create_directory_symlink(prefix.dir(), root + "Modules/Sea/Waves/out");
        fs::create_directory_symlink(root + "Modules/Sky/Stars", root + "Modules/Sea/Waves/stars");
    }
    std::string Origin(const std::string& rel) {
        std::string url = sandbox::AddressOf(root, root + rel).url;
        return url.substr(10, url.find('/', 10) - 10);
    }
    TempPrefix prefix;
    std::string root = prefix.path("app/");
};

TEST_F(AppAddress, AddressesAreOfTheFilesOwnOriginAndOnlyInsideTheInstallation) {
    EXPECT_EQ(sandbox::AddressOf(root, root + "Modules/Sea/Waves/ZKRWaves.htm").url,
              "zelkora://" + Origin("Modules/Sea/Waves/data.txt") + "/Modules/Sea/Waves/ZKRWaves.htm");
    EXPECT_EQ(Origin("Modules/Sea/Waves/ZKRWaves.htm").substr(0, 2), "m-");
    EXPECT_NE(Origin("Modules/Sea/Waves/ZKRWaves.htm"), Origin("Modules/Sea/Reef/ZKRReef.htm"));
    EXPECT_EQ(Origin("ZelToyz/Clock/toy.js").substr(0, 2), "t-");
    EXPECT_EQ(Origin("defaulthelp.htm"), "app");
    EXPECT_EQ(sandbox::AddressOf(root, root + "ZelToyz/Sticky Notes/toy.js").url,
              "zelkora://" + Origin("ZelToyz/Sticky Notes/toy.js") + "/ZelToyz/Sticky%20Notes/toy.js");
    for (const std::string& outside : {prefix.path("secret.txt"), root + "Modules/Sea/Waves/out/secret.txt",
                                       root + "Modules/Sea/Waves/gone.htm", root + "Modules"}) {
        sandbox::Address a = sandbox::AddressOf(root, outside);
        EXPECT_EQ(a.url, "") << outside;
        EXPECT_NE(a.problem, "") << outside;
    }
}

TEST_F(AppAddress, EachOriginReadsItsOwnAndTheSharedFilesOnly) {
    std::string waves = Origin("Modules/Sea/Waves/data.txt"), reef = Origin("Modules/Sea/Reef/ZKRReef.htm"),
                stars = Origin("Modules/Sky/Stars/ZKRStars.htm"), clock = Origin("ZelToyz/Clock/toy.js");
    using K = sandbox::Access::Kind;
    struct Case {
        std::string host, path, initiator;
        K kind;
    } cases[] = {
        // A module: its folder, the shared files, its theme's, the toyz' code.
        {waves, "/Modules/Sea/Waves/data.txt", "", K::File},
        {waves, "/modules/sea/waves/DATA.TXT", "", K::File}, // any letter case
        {waves, "/zelkora.js", "", K::File},
        {waves, "/themes/options.txt", "", K::File},
        {waves, "/ZelToyz/ZelToyz.txt", "", K::File},
        {waves, "/Modules/scene.js", "", K::File},
        {waves, "/Modules/Sea/sea.css", "", K::File},
        {waves, "/ZelToyz/Clock/toy.js", "", K::File},
        {stars, "/Modules/Sea/sea.css", "", K::Refused}, // another theme's
        {waves, "/Modules/Sea/Reef/ZKRReef.htm", "", K::Refused},
        {waves, "/Modules/Sea/Waves/stars/ZKRStars.htm", "", K::Refused}, // a link to another
        {waves, "/Modules/Sea/Waves/out/secret.txt", "", K::Refused},
        {waves, "/Modules/Sea/Waves/../../../../secret.txt", "", K::Refused},
        {waves, "/Modules/Sea/Waves/./data.txt", "", K::Refused},
        {waves, "/Data/Zelkora.mdb", "", K::Refused},
        {waves, "/defaulthelp.htm", "", K::Refused},
        {waves, "/Modules/Sea/Waves", "", K::Refused}, // a folder
        // Asked for by another origin: nothing but a toy's frame.
        {waves, "/Modules/Sea/Waves/data.txt", "zelkora://" + reef, K::Refused},
        {waves, "/zelkora.js", "null", K::Refused},
        {waves, "/ZelToyz/Clock/", "zelkora://" + waves, K::ToyFrameElsewhere},
        {clock, "/ZelToyz/Clock/", "zelkora://" + waves, K::ToyFrame},
        {clock, "/ZelToyz/Clock/", "", K::ToyFrame},
        {waves, "/ZelToyz/Clock/", "zelkora://" + reef, K::Refused},
        // A toy: its folder and the shared script; its data only to itself.
        {clock, "/ZelToyz/Clock/toy.js", "", K::File},
        {clock, "/zelkora.css", "", K::File},
        {clock, "/ZelToyz/Sticky Notes/toy.js", "", K::Refused},
        {clock, "/themes/options.txt", "", K::Refused},
        {clock, "/.zelkora/storage", "zelkora://" + clock, K::ToyData},
        {clock, "/.zelkora/storage", "", K::Refused},
        {clock, "/.zelkora/storage", "zelkora://" + waves, K::Refused},
        {waves, "/.zelkora/storage", "zelkora://" + waves, K::Refused},
        // A module's properties: to its own page only.
        {waves, "/.zelkora/properties", "zelkora://" + waves, K::ModuleProperties},
        {waves, "/.zelkora/properties", "", K::Refused},
        {waves, "/.zelkora/properties", "zelkora://" + reef, K::Refused},
        {clock, "/.zelkora/properties", "zelkora://" + clock, K::Refused},
        {"m-0000000000000000", "/.zelkora/properties", "zelkora://m-0000000000000000", K::Refused},
        // The installation's own pages: its top folder.
        {"app", "/defaulthelp.htm", "", K::File},
        {"app", "/Data/Zelkora.mdb", "", K::Refused},
        {"app", "/Modules/Sea/Waves/data.txt", "", K::Refused},
        {"m-0000000000000000", "/zelkora.js", "", K::File},
        {"m-0000000000000000", "/Modules/Sea/sea.css", "", K::Refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host + c.path + " from " + c.initiator);
        sandbox::Access a = sandbox::Resolve(root, c.host, c.path, c.path, c.initiator);
        EXPECT_EQ(a.kind, c.kind) << a.why;
    }
    // Encoded separators are refused as sent, whatever they decode to.
    for (const char* encoded : {"/Modules/Sea/Waves%2Fdata.txt", "/Modules%5CSea/x", "/zelkora.js%00"})
        EXPECT_EQ(sandbox::Resolve(root, waves, "/zelkora.js", encoded, "").kind, K::Refused) << encoded;
    EXPECT_EQ(sandbox::Resolve(root, clock, "/.zelkora/storage", "/.zelkora/storage", "zelkora://" + clock).toy,
              "Clock");
    EXPECT_EQ(sandbox::Resolve(root, waves, "/.zelkora/properties", "/.zelkora/properties",
                               "zelkora://" + waves).native,
              std::filesystem::canonical(root + "/Modules/Sea/Waves").string());
    EXPECT_EQ(sandbox::Resolve(root, waves, "/ZelToyz/Clock/", "/ZelToyz/Clock/", "").url,
              "zelkora://" + clock + "/ZelToyz/Clock/");
}

} // namespace

namespace {

TEST_F(AppAddress, OnlyAModuleMadeFromAnAddressFramesTheWeb) {
    WriteFile(root + "Modules/Sea/Waves/address.zelkora-web", "https://example.com/x\n");
    WriteFile(root + "ZelToyz/Clock/address.zelkora-web", "https://example.com/\n");
    WriteFile(root + "Modules/Sky/Stars/address.zelkora-web", "file:///etc/passwd\n");
    std::string waves = Origin("Modules/Sea/Waves/data.txt"), reef = Origin("Modules/Sea/Reef/ZKRReef.htm");
    struct Case {
        std::string host, path, address;
    };
    for (const Case& c : std::vector<Case>{
             {waves, "/Modules/Sea/Waves/ZKRWaves.htm", "https://example.com/x"},
             {waves, "/modules/SEA/waves/ZKRWaves.htm", "https://example.com/x"},
             {reef, "/Modules/Sea/Waves/ZKRWaves.htm", ""}, // another module's origin
             {reef, "/Modules/Sea/Reef/ZKRReef.htm", ""},    // no address of its own
             {Origin("ZelToyz/Clock/toy.js"), "/ZelToyz/Clock/toy.js", ""},
             {Origin("Modules/Sky/Stars/ZKRStars.htm"), "/Modules/Sky/Stars/ZKRStars.htm", ""},
             {"app", "/defaulthelp.htm", ""}})
        EXPECT_EQ(sandbox::FramedAddress(root, c.host, c.path), c.address) << c.host << c.path;
}

} // namespace
