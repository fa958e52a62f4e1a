// The update check end to end against a loopback HTTP server: version
// numbers, condition lists and records, the archive reader, staging with its
// checks, and the helper program installing a staged update into a program
// folder whose path has spaces.
#include "net/update.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "base/app_state.h"
#include "net/archive.h"
#include "net/version_list.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_site.h"
#include "tests/support/update_signing.h"
#include "tests/support/zip_writer.h"

using namespace kestrova;
using kestrova::test::HttpTestResponse;
using kestrova::test::HttpTestServer;
using kestrova::test::ReadAll;
using kestrova::test::TempDir;
using kestrova::test::WriteZip;
namespace fs = std::filesystem;

namespace {

TEST(VersionValue, LettersBetaAndCommas)
{
    EXPECT_DOUBLE_EQ(VersionValue("1.37b"), 1.372);
    EXPECT_DOUBLE_EQ(VersionValue("1.37"), 1.37);
    EXPECT_DOUBLE_EQ(VersionValue("1.4"), 1.4);
    EXPECT_DOUBLE_EQ(VersionValue("1.37j"), 1.371);
    EXPECT_LT(VersionValue("1.37j"), VersionValue("1.37b"));
    EXPECT_DOUBLE_EQ(VersionValue("2 beta"), -998);
    EXPECT_DOUBLE_EQ(VersionValue("1.4 Beta"), 1.4 - 1000);
    EXPECT_DOUBLE_EQ(VersionValue(" 1,38 "), 1.38);
    EXPECT_DOUBLE_EQ(VersionValue("2a"), 2.1);  // a letter without a point gets one
    EXPECT_DOUBLE_EQ(VersionValue(">1.36"), 1.36);
    EXPECT_DOUBLE_EQ(VersionValue(""), 0);
}

TEST(VersionList, ConditionLists)
{
    EXPECT_FALSE(ConditionListApplies(">1.30:<1.35", "1.37b"));
    EXPECT_TRUE(ConditionListApplies("1.37b", "1.37b"));
    EXPECT_TRUE(ConditionListApplies(">1.36", "1.37b"));
    EXPECT_TRUE(ConditionListApplies("1.2:<1.38", "1.37b"));
    EXPECT_FALSE(ConditionListApplies("1.37:1.37c", "1.37b"));
    EXPECT_FALSE(ConditionListApplies("", "1.37b"));
    // Bounds together make a range; plain versions are alternatives.
    EXPECT_TRUE(ConditionListApplies(">1.30:<1.38", "1.37b"));
    EXPECT_FALSE(ConditionListApplies(">1.37b:<1.40", "1.37b"));
    EXPECT_TRUE(ConditionListApplies("1.37b:>1.50", "1.37b"));
}

TEST(VersionList, RecordsAndWhatIsOffered)
{
    const std::string list = "Versions of our programs\r\n"
                             "Kestrova|1.38|http://h/k.zip|Kestrova.exe|End\r\n"
                             "Other|9.0|http://h/o.zip|o.exe|End\r\n"
                             "Kestrova|1.39|>1.30:<1.35|HTTP://h/old.zip|a|Datas\\b.gif|End\r\n"
                             "Kestrova|1.37b|http://h/same.zip|x|End\r\n"
                             "Kestrova|1.37c|>1.36|http://h/c.zip||End\r\n"
                             "Kestrova|1.4 beta|http://h/beta.zip|x|End\r\n";
    const auto records = ParseVersionList(list, "1.37b");
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].Version, "1.38");
    EXPECT_EQ(records[0].Conditions, "1.37b");
    EXPECT_EQ(records[0].Address, "http://h/k.zip");
    EXPECT_EQ(records[0].InstallList, "Kestrova.exe|");
    EXPECT_EQ(records[1].Conditions, ">1.30:<1.35");
    EXPECT_EQ(records[1].Address, "HTTP://h/old.zip");
    EXPECT_EQ(records[1].InstallList, "a|Datas\\b.gif|");
    EXPECT_EQ(records[3].InstallList, "|");

    std::vector<std::string> offered;
    for (const auto& r : records)
        if (RecordApplies(r, "1.37b"))
            offered.push_back(r.Version);
    EXPECT_EQ(offered, (std::vector<std::string>{"1.38", "1.37c"}));
}

TEST(VersionList, ALineWithoutEndIsPassedOver)
{
    // A broken record and a heading naming the program do not end the
    // search, nor does the broken record swallow the next one.
    const auto records = ParseVersionList("Kestrova|1.38|http://h/a.zip|a.exe|End\n"
                                          "Kestrova|1.39|http://h/b.zip|b.exe|\n"
                                          "== Kestrova updates ==\n"
                                          "Kestrova|1.40|http://h/c.zip|c.exe|End\n",
                                          "1.37b");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Version, "1.38");
    EXPECT_EQ(records[1].Version, "1.40");
    EXPECT_EQ(records[1].InstallList, "c.exe|");
    EXPECT_TRUE(ParseVersionList("Kestrova|1.38|http://h/a.zip|a.exe|", "1.37b").empty());
}

TEST(VersionList, InstallItemsInsideTheProgramFolderOnly)
{
    EXPECT_EQ(InstallItems("a| Datas\\b.gif ||execute:c.sh|"),
              (std::vector<std::string>{"a", "Datas\\b.gif", "execute:c.sh"}));
    for (const char* ok : {"Kestrova.exe", "Datas\\logo_m.gif", "Datas/x..y", "execute:setup.sh"})
        EXPECT_TRUE(IsSafeInstallItem(ok)) << ok;
    for (const char* bad :
         {"..\\Kestrova.exe", "Datas/../../x", "/etc/passwd", "\\x", "C:\\x", "execute:../x", "Datas\\", ".."})
        EXPECT_FALSE(IsSafeInstallItem(bad)) << bad;
}

TEST(Archive, ExtractsFlatOrWithFoldersAndConvertsNames)
{
    TempDir dir;
    const std::string zip = dir.File("a.zip");
    ASSERT_TRUE(WriteZip(zip, {{"Kestrova.exe", "program"},
                               {"Datas/", ""},
                               {"Datas/logo_m.gif", "GIF89a"},
                               {"Datas\\notes", "no point"},
                               {"empty.txt", ""}}));
    EXPECT_EQ(ExtractArchive(zip, "*.*", dir.File("flat"), false), 3);
    EXPECT_EQ(test::FolderEntries(dir.Path() / "flat"),
              (std::vector<std::string>{"Kestrova.exe", "logo_m.gif", "notes"}));
    EXPECT_EQ(ReadAll(dir.File("flat/logo_m.gif")), "GIF89a");
    // The entry's date becomes the file's (seconds dropped).
    struct stat info {};
    ASSERT_EQ(::stat(dir.File("flat/logo_m.gif").c_str(), &info), 0);
    std::tm t{};
    const std::time_t when = info.st_mtime;
    localtime_r(&when, &t);
    EXPECT_EQ(t.tm_year + 1900, 2021);
    EXPECT_EQ(t.tm_mon, 4);
    EXPECT_EQ(t.tm_hour, 12);
    EXPECT_EQ(t.tm_min, 30);

    EXPECT_EQ(ExtractArchive(zip, "*.GIF", dir.File("gifs/"), false), 1);
    EXPECT_EQ(test::FolderEntries(dir.Path() / "gifs"), (std::vector<std::string>{"logo_m.gif"}));
    EXPECT_EQ(ExtractArchive(zip, "", dir.File("tree"), true), 3);
    EXPECT_EQ(ReadAll(dir.File("tree/Datas/notes")), "no point");
    EXPECT_TRUE(fs::is_directory(dir.Path() / "tree/Datas"));

    EXPECT_EQ(ExtractArchive(dir.File("missing.zip"), "*.*", dir.File("x"), false), 0);
    dir.Write("bad.zip", "PK\x03\x04 this is no archive");
    EXPECT_EQ(ExtractArchive(dir.File("bad.zip"), "*.*", dir.File("x"), false), 0);
    EXPECT_FALSE(fs::exists(dir.Path() / "x"));

    EXPECT_EQ(ConvertArchiveName("caf\x82 \x80\x9C\xA5\xE1\xB0.txt"), "caf\xE9 \x80 \xD1\xDF .txt");
    EXPECT_TRUE(MatchesPattern("README", "*.*"));
    EXPECT_TRUE(MatchesPattern("a.b.c", "*.c"));
    EXPECT_FALSE(MatchesPattern("a.gif", "*.jpg"));
    EXPECT_TRUE(MatchesPattern("Ab.Gif", "a?.gIF"));
}

TEST(Archive, ClimbingOrAbsoluteNamesRefuseTheWholeArchive)
{
    TempDir dir;
    for (const char* evil : {"../evil.txt", "Datas/../../evil.txt", "/tmp/evil.txt", "..\\evil.txt"}) {
        const std::string zip = dir.File("slip.zip");
        fs::remove(zip);
        ASSERT_TRUE(WriteZip(zip, {{"good.txt", "good"}, {evil, "evil"}}));
        EXPECT_EQ(ExtractArchive(zip, "*.*", dir.File("out/inner"), true), 0) << evil;
        EXPECT_EQ(ExtractArchive(zip, "*.*", dir.File("out/inner"), false), 0) << evil;
        EXPECT_FALSE(fs::exists(dir.Path() / "out")) << evil;
        EXPECT_FALSE(fs::exists(dir.Path() / "evil.txt")) << evil;
    }
}

// A program folder with spaces in its path, the old program and an old
// data file, and a server that offers version 1.38.
class FullUpdate : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetAppState();
        App.Language = "English";
        program_ = dir_.Path() / "prog dir with spaces";
        fs::create_directories(program_ / "Datas");
        Write(program_ / "kestrova-prog", "#!/bin/sh\necho old > restarted.txt\n");
        fs::permissions(program_ / "kestrova-prog", fs::perms::owner_all);
        Write(program_ / "Datas/logo_m.gif", "old logo");
        // The fetch service keeps its answer ("temp.htm") in the current
        // folder, which the program makes its own folder.
        cwd_ = std::make_unique<test::ScopedCurrentDir>(program_);
    }

    void TearDown() override { cwd_.reset(); }

    static void Write(const fs::path& path, const std::string& bytes)
    {
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

    // An archive of the new version, as served.
    std::string NewArchive(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        const std::string zip = dir_.File("new.zip");
        fs::remove(zip);
        EXPECT_TRUE(WriteZip(zip, entries));
        return ReadAll(zip);
    }

    std::vector<std::pair<std::string, std::string>> GoodEntries() const
    {
        return {{"bin/kestrova-prog", "#!/bin/sh\necho \"new $0\" > restarted.txt\n"},
                {"Datas/logo_m.gif", "new logo"}};
    }

    // A version list offering 1.38, served with its signature.
    void Offer(const std::string& address, const std::string& installList)
    {
        const std::string list = "Kestrova|1.38|" + address + "|" + installList + "End\r\nKestrova|1.37b|x|y|End\r\n";
        server_.Route("/downloads/versions.txt", test::HttpTestResponse::Page(list));
        server_.Route("/downloads/versions.txt.sig", test::HttpTestResponse::Page(key_.Sign(list)));
    }

    UpdateCheckSetup MakeSetup()
    {
        UpdateCheckSetup setup;
        setup.WorkFolder = program_.string();
        setup.Server = server_.Url("");
        setup.SiteAddress = "https://site.invalid";
        setup.PublicKey = key_.PublicHex();
        setup.ScreenWidth = 800;
        setup.ScreenHeight = 600;
        setup.Ask = [this](const std::string& title, const std::string& text) {
            shown_.push_back("ask " + title + ": " + text);
            return answer_;
        };
        setup.Tell = [this](const std::string& title, const std::string& text) {
            shown_.push_back("tell " + title + ": " + text);
        };
        setup.UpdateReady = [this] { shown_.push_back("ready"); };
        return setup;
    }

    std::vector<std::string> StagedEntries() const { return test::FolderEntries(program_ / StagingFolderName); }

    TempDir dir_;
    test::SigningKey key_;
    fs::path program_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    HttpTestServer server_;
    std::vector<std::string> shown_;
    bool answer_ = true;
};

TEST_F(FullUpdate, StagedThenInstalledByTheHelperAndRestarted)
{
    const std::string archive = NewArchive(GoodEntries());
    server_.Route("/downloads/k138.zip", test::HttpTestResponse::Page(archive));
    Offer(server_.Url("") + "/downloads/k138.zip#sha256=" + Sha256Hex(archive), "kestrova-prog|Datas\\logo_m.gif|");

    const UpdateCheckResult result = UpdateCheck(MakeSetup());
    EXPECT_EQ(result.Result, UpdateCheckResult::Outcome::Staged) << result.Reason;
    EXPECT_EQ(result.Version, "1.38");
    ASSERT_EQ(shown_.size(), 3u);
    EXPECT_EQ(shown_[0], "ask Update: Kestrova 1.38 is available on www.kestrova.example. Your version is: 1.37b.\r"
                         "Do you want to update it?");
    EXPECT_EQ(shown_[1], "tell Update: Download will start. You will be notified when it will be finished.");
    EXPECT_EQ(shown_[2], "ready");

    const auto requests = server_.Requests();
    std::string targets;  // for the failure message
    for (const auto& request : requests)
        targets += request.Target + "\n";
    ASSERT_EQ(requests.size(), 4u) << targets;
    EXPECT_EQ(requests[0].Target.rfind("/downloads/log.php?&hl=", 0), 0u) << requests[0].Target;
    EXPECT_NE(requests[0].Target.find("x&r=800x600x256x256&ref="), std::string::npos) << requests[0].Target;
    EXPECT_NE(requests[0].Target.find("site.invalid?hl=fr&q=Kestrova_1-37b"), std::string::npos) << requests[0].Target;
    EXPECT_EQ(requests[0].Header("referer"), "https://site.invalid/kestrova.htm");
    EXPECT_EQ(requests[1].Target, "/downloads/versions.txt");
    EXPECT_EQ(requests[1].Header("referer"), "");
    EXPECT_EQ(requests[2].Target, "/downloads/versions.txt.sig");
    EXPECT_EQ(requests[3].Target, "/downloads/k138.zip");

    EXPECT_EQ(StagedEntries(),
              (std::vector<std::string>{"Paths.txt", "UpdateVersion.txt", "kestrova-prog", "logo_m.gif"}));
    EXPECT_FALSE(fs::exists(program_ / PartialStagingFolderName));
    EXPECT_EQ(ReadAll((program_ / "UpdateProg/Paths.txt").string()), "kestrova-prog|Datas\\logo_m.gif|\r\n");
    EXPECT_FALSE(fs::exists(program_ / "Temp.zip"));

    // The helper is written beside the program and started with its path.
    const fs::path self = program_ / "kestrova-prog";
    ASSERT_TRUE(StartUpdateHelper(program_.string(), self.string()));
    EXPECT_TRUE(fs::exists(program_ / "UpdateProg.exe"));
    const fs::path marker = program_ / "restarted.txt";
    for (int i = 0; i < 600 && !fs::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (int i = 0; i < 100 && ReadAll(marker.string()).find('\n') == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ReadAll(marker.string()), "new " + self.string() + "\n");
    EXPECT_EQ(ReadAll((program_ / "Datas/logo_m.gif").string()), "new logo");
    EXPECT_FALSE(fs::exists(program_ / StagingFolderName));
    // No temporary or kept copy is left.
    EXPECT_EQ(test::FolderEntries(program_), (std::vector<std::string>{"Datas", "UpdateOutcome.txt", "UpdateProg.exe",
                                                                       "kestrova-prog", "restarted.txt"}));
    // The outcome is read once at the next start; a success says nothing.
    EXPECT_EQ(ReadAll((program_ / UpdateOutcomeName).string()), "ok\r\n1.38\r\n");
    EXPECT_EQ(TakeUpdateOutcomeMessage(program_.string(), "1.38"), "");
    EXPECT_FALSE(fs::exists(program_ / UpdateOutcomeName));
    EXPECT_EQ(test::FolderEntries(program_ / "Datas"), (std::vector<std::string>{"logo_m.gif"}));
    EXPECT_FALSE(StartUpdateHelper(program_.string(), self.string()));  // nothing staged any more
}

TEST_F(FullUpdate, AFailingFilePutsBackTheFilesAlreadyReplaced)
{
    fs::create_directories(program_ / StagingFolderName);
    Write(program_ / "UpdateProg/logo_m.gif", "new logo");
    Write(program_ / "UpdateProg/kestrova-prog", "#!/bin/sh\necho new > restarted.txt\n");
    // The second item has no staged file: the first must be undone.
    Write(program_ / "UpdateProg/Paths.txt", "Datas\\logo_m.gif|Datas\\missing.dat|kestrova-prog|\r\n");
    Write(program_ / "UpdateProg/UpdateVersion.txt", "1.40\r\n");
    ASSERT_TRUE(StartUpdateHelper(program_.string(), (program_ / "kestrova-prog").string()));
    const fs::path marker = program_ / "restarted.txt";
    for (int i = 0; i < 600 && !fs::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (int i = 0; i < 100 && ReadAll(marker.string()).find('\n') == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // The old program was started again, with its old files.
    EXPECT_EQ(ReadAll(marker.string()), "old\n");
    EXPECT_EQ(ReadAll((program_ / "Datas/logo_m.gif").string()), "old logo");
    EXPECT_EQ(test::FolderEntries(program_ / "Datas"), (std::vector<std::string>{"logo_m.gif"}));
    EXPECT_FALSE(fs::exists(program_ / StagingFolderName));
    // The user learns it at the next start, once.
    EXPECT_EQ(TakeUpdateOutcomeMessage(program_.string(), "1.37b"),
              "The update to 1.40 failed; version 1.37b is kept.");
    EXPECT_EQ(TakeUpdateOutcomeMessage(program_.string(), "1.37b"), "");
}

TEST_F(FullUpdate, WrongHashPlainHttpAndClimbingPathsAreRefused)
{
    const std::string archive = NewArchive(GoodEntries());
    server_.Route("/downloads/k138.zip", test::HttpTestResponse::Page(archive));
    const std::string zipAddress = server_.Url("") + "/downloads/k138.zip";
    const std::string wrongHash = "#sha256=" + std::string(64, 'a');
    struct Case {
        std::string address;
        std::string installList;
        bool downloads;
    };
    for (const Case& c :
         {Case{zipAddress + wrongHash, "kestrova-prog|", true}, Case{zipAddress, "kestrova-prog|", true},
          Case{zipAddress + "#sha256=" + Sha256Hex(archive), "kestrova-prog|..\\outside.txt|", false},
          Case{zipAddress + "#sha256=" + Sha256Hex(archive), "execute:/bin/sh|", false}}) {
        shown_.clear();
        const std::size_t before = server_.Requests().size();
        Offer(c.address, c.installList);
        const UpdateCheckResult result = UpdateCheck(MakeSetup());
        EXPECT_EQ(result.Result, UpdateCheckResult::Outcome::Failed) << c.address;
        EXPECT_FALSE(result.Reason.empty());
        // The user, who accepted the update, is told why.
        ASSERT_EQ(shown_.size(), 3u) << c.address;
        EXPECT_EQ(shown_[2], "tell Update: " + result.Reason);
        EXPECT_TRUE(StagedEntries().empty()) << c.address;
        EXPECT_EQ(server_.Requests().size() - before, c.downloads ? 4u : 3u) << c.address;
        EXPECT_EQ(ReadAll((program_ / "Datas/logo_m.gif").string()), "old logo");
        EXPECT_FALSE(fs::exists(program_ / "Temp.zip"));
        EXPECT_FALSE(fs::exists(dir_.Path() / "outside.txt"));
    }
}

TEST_F(FullUpdate, HttpsNeedsACertificateTheSystemTrusts)
{
    test::HttpsTestServer https;
    if (!https.Started())
        GTEST_SKIP() << "no HTTPS test server (openssl or Python missing)";
    // The test server's certificate is self-signed: the archive is never
    // received, and nothing is staged.
    Offer(https.Url("/downloads/k138.zip"), "kestrova-prog|");
    const UpdateCheckResult result = UpdateCheck(MakeSetup());
    EXPECT_EQ(result.Result, UpdateCheckResult::Outcome::Failed);
    EXPECT_EQ(result.Reason, "The new version can't be downloaded. Try again later.");
    EXPECT_TRUE(StagedEntries().empty());
}

TEST_F(FullUpdate, ZipSlipArchiveStagesNothing)
{
    // What was staged before is neither replaced nor mixed with this.
    fs::create_directories(program_ / StagingFolderName);
    Write(program_ / "UpdateProg/stale.txt", "stale");
    const std::string archive = NewArchive({{"kestrova-prog", "new"}, {"../../escaped.txt", "evil"}});
    server_.Route("/downloads/k138.zip", test::HttpTestResponse::Page(archive));
    Offer(server_.Url("") + "/downloads/k138.zip#sha256=" + Sha256Hex(archive), "kestrova-prog|");
    const UpdateCheckResult result = UpdateCheck(MakeSetup());
    EXPECT_EQ(result.Result, UpdateCheckResult::Outcome::Failed);
    EXPECT_EQ(result.Reason, "Downloaded archive is corrupted. Try again.");
    EXPECT_EQ(StagedEntries(), (std::vector<std::string>{"stale.txt"}));
    EXPECT_FALSE(fs::exists(program_ / PartialStagingFolderName));
    EXPECT_FALSE(fs::exists(dir_.Path() / "escaped.txt"));
    EXPECT_FALSE(fs::exists(program_.parent_path().parent_path() / "escaped.txt"));
}

TEST_F(FullUpdate, NothingIsShownWithoutAnAcceptedUpdate)
{
    // A server error page is neither a list nor an archive.
    UpdateCheckResult result = UpdateCheck(MakeSetup());
    EXPECT_EQ(result.Result, UpdateCheckResult::Outcome::Failed);
    EXPECT_NE(result.Reason.find("version list"), std::string::npos);
    EXPECT_TRUE(shown_.empty());

    // No server at all.
    UpdateCheckSetup setup = MakeSetup();
    test::RefusingPort refusing;
    setup.Server = "http://127.0.0.1:" + std::to_string(refusing.Port());
    result = UpdateCheck(setup);
    EXPECT_EQ(result.Result, UpdateCheckResult::Outcome::Failed);
    EXPECT_TRUE(shown_.empty());

    // Declined offers, and updates switched off (the usage report is still
    // sent, the list is not read).
    Offer(server_.Url("") + "/downloads/k138.zip", "kestrova-prog|");
    answer_ = false;
    result = UpdateCheck(MakeSetup());
    EXPECT_EQ(result.Result, UpdateCheckResult::Outcome::Declined);
    EXPECT_EQ(result.Version, "1.38");
    EXPECT_EQ(shown_.size(), 1u);
    const std::size_t before = server_.Requests().size();
    setup = MakeSetup();
    setup.DisableUpdates = true;
    EXPECT_EQ(UpdateCheck(setup).Result, UpdateCheckResult::Outcome::Disabled);
    ASSERT_EQ(server_.Requests().size(), before + 1);
    EXPECT_EQ(server_.Requests().back().Target.rfind("/downloads/log.php?", 0), 0u);
    EXPECT_FALSE(fs::exists(program_ / StagingFolderName));
}

TEST(UpdateAddress, HashSuffix)
{
    std::string fetch, hash;
    const std::string digits(64, 'B');
    SplitDownloadAddress("http://h/a.zip#sha256=" + digits, fetch, hash);
    EXPECT_EQ(fetch, "http://h/a.zip");
    EXPECT_EQ(hash, std::string(64, 'b'));
    SplitDownloadAddress("http://h/a.zip#sha256=123", fetch, hash);
    EXPECT_EQ(fetch, "http://h/a.zip#sha256=123");
    EXPECT_EQ(hash, "");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
