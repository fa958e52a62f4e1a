// What an update check believes and what it unpacks: signed version lists,
// lists that are not lists, archives that expand past the limit or lie in
// their headers, and staging that appears only whole.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "net/archive.h"
#include "net/update.h"
#include "net/update_signature.h"
#include "net/version_list.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_site.h"
#include "tests/support/update_signing.h"
#include "tests/support/zip_writer.h"

using namespace kestrova;
using kestrova::test::HttpTestResponse;
using kestrova::test::ReadAll;
namespace fs = std::filesystem;

namespace {

TEST(UpdateSignature, OnlyTheKeysOwnSignatureOfTheExactTextVerifies)
{
    test::SigningKey key;
    test::SigningKey other;
    const std::string list = "Kestrova|1.38|http://h/k.zip|k|End\r\n";
    const std::string signature = key.Sign(list);
    ASSERT_EQ(signature.size(), 64u);
    ASSERT_EQ(key.PublicHex().size(), 64u);
    EXPECT_TRUE(VerifyUpdateSignature(key.PublicHex(), list, signature));

    std::string changed = list;
    changed[10] = '9';  // 1.39 instead of 1.38
    EXPECT_FALSE(VerifyUpdateSignature(key.PublicHex(), changed, signature));
    EXPECT_FALSE(VerifyUpdateSignature(other.PublicHex(), list, signature));
    EXPECT_FALSE(VerifyUpdateSignature(key.PublicHex(), list, other.Sign(list)));
    // Malformed keys and signatures never verify.
    EXPECT_FALSE(VerifyUpdateSignature("", list, signature));
    EXPECT_FALSE(VerifyUpdateSignature(key.PublicHex().substr(2), list, signature));
    EXPECT_FALSE(VerifyUpdateSignature(std::string(64, 'z'), list, signature));
    EXPECT_FALSE(VerifyUpdateSignature(key.PublicHex(), list, signature.substr(0, 63)));
    EXPECT_FALSE(VerifyUpdateSignature(key.PublicHex(), list, ""));
}

TEST(UpdateSignature, TheSigningScriptSignsWhatTheProgramVerifies)
{
    if (std::system("command -v openssl >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "openssl is not installed";
    test::TempDir dir;
    const std::string script = std::string(KESTROVA_SOURCE_DIR) + "/scripts/sign-update.sh";
    const std::string key = dir.File("key.pem");
    ASSERT_EQ(std::system(("sh '" + script + "' --new-key '" + key + "'").c_str()), 0);
    std::string publicHex;
    if (FILE* p = ::popen(("sh '" + script + "' --public '" + key + "'").c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p) != nullptr)
            publicHex += buffer;
        ::pclose(p);
    }
    while (!publicHex.empty() && publicHex.back() == '\n')
        publicHex.pop_back();
    ASSERT_EQ(publicHex.size(), 64u) << publicHex;
    const std::string list = dir.Write("versions.txt", "Kestrova|1.38|http://h/k.zip|k|End\r\n");
    ASSERT_EQ(std::system(("sh '" + script + "' '" + key + "' '" + list + "' 2>/dev/null").c_str()), 0);
    const std::string signature = ReadAll(list + ".sig");
    EXPECT_TRUE(VerifyUpdateSignature(publicHex, ReadAll(list), signature));
    EXPECT_FALSE(VerifyUpdateSignature(publicHex, ReadAll(list) + " ", signature));
}

TEST(UpdateSignature, ListTrustedOverHttpsOrWithItsSignature)
{
    test::SigningKey key;
    FetchedFile list{true, "Kestrova|1.38|http://h/k.zip|k|End\r\n", "http://h/downloads/versions.txt", ""};
    FetchedFile signature{true, key.Sign(list.Body), "http://h/downloads/versions.txt.sig", ""};
    EXPECT_TRUE(VersionListTrusted(list, signature, key.PublicHex()));
    EXPECT_FALSE(VersionListTrusted(list, FetchedFile{}, key.PublicHex()));
    EXPECT_FALSE(VersionListTrusted(list, signature, ""));  // a build without a key
    FetchedFile secure = list;
    secure.FinalUrl = "HTTPS://h/downloads/versions.txt";
    EXPECT_TRUE(VersionListTrusted(secure, FetchedFile{}, ""));
    EXPECT_FALSE(VersionListTrusted(FetchedFile{}, signature, key.PublicHex()));
}

TEST(VersionListShape, WhatIsNotAListAndWhatIsOfferedOnce)
{
    EXPECT_FALSE(LooksLikeVersionList(""));
    EXPECT_FALSE(LooksLikeVersionList("<html><body>Bienvenue</body></html>"));
    EXPECT_FALSE(LooksLikeVersionList(std::string("PK\x03\x04\0\0Kestrova|1.38|http://h/a|a|End", 33)));
    EXPECT_TRUE(LooksLikeVersionList("Liste\r\nKestrova|1.38|http://h/a.zip|a|End\r\n"));

    std::string many;
    for (int i = 0; i < 2000; ++i)
        many += "Kestrova|1.38|http://h/a.zip|a|End\r\n";
    many += "Kestrova|1.38|http://h/b.zip|b|End\r\n";
    const auto records = ParseVersionList(many, "1.37b");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Address, "http://h/a.zip");
    EXPECT_EQ(records[1].Address, "http://h/b.zip");

    // Archives come from the web only.
    const std::string hash = "#sha256=" + std::string(64, 'a');
    EXPECT_TRUE(ParseVersionList("Kestrova|1.38|>1.0|file:///tmp/k.zip" + hash + "|k|End\n", "1.37b").empty());
    EXPECT_TRUE(ParseVersionList("Kestrova|1.38|>1.0|ftp://h/k.zip|k|End\n", "1.37b").empty());
    EXPECT_TRUE(ParseVersionList("Kestrova|1.38|>1.0|http://|k|End\n", "1.37b").empty());
    EXPECT_EQ(ParseVersionList("Kestrova|1.38|>1.0|HTTPS://h/k.zip|k|End\n", "1.37b").size(), 1u);
}

// A program folder and a server offering 1.38 with a list that can be
// signed, or not, or wrongly.
class TrustedUpdate : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetAppState();
        App.Language = "English";
        work_ = dir_.Path() / "prog";
        fs::create_directories(work_);
        cwd_ = std::make_unique<test::ScopedCurrentDir>(work_);
    }
    void TearDown() override { cwd_.reset(); }

    std::string Archive(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        const std::string zip = dir_.File("new.zip");
        fs::remove(zip);
        EXPECT_TRUE(test::WriteZip(zip, entries));
        return ReadAll(zip);
    }

    std::string List(const std::string& archive, const std::string& installList)
    {
        server_.Route("/downloads/k138.zip", HttpTestResponse::Page(archive));
        return "Kestrova|1.38|" + server_.Url("/downloads/k138.zip") + "#sha256=" + Sha256Hex(archive) + "|" +
               installList + "End\r\n";
    }

    UpdateCheckResult Check(const std::string& list, const std::string* signature)
    {
        server_.Route("/downloads/versions.txt", HttpTestResponse::Page(list));
        if (signature != nullptr)
            server_.Route("/downloads/versions.txt.sig", HttpTestResponse::Page(*signature));
        UpdateCheckSetup setup;
        setup.WorkFolder = work_.string();
        setup.Server = server_.Url("");
        setup.SiteAddress = "https://site.invalid";
        setup.PublicKey = key_.PublicHex();
        setup.Ask = [this](const std::string&, const std::string&) {
            ++asked_;
            return true;
        };
        setup.Tell = [this](const std::string&, const std::string& text) { told_.push_back(text); };
        return UpdateCheck(setup);
    }

    bool Downloaded() const
    {
        for (const auto& request : server_.Requests())
            if (request.Target == "/downloads/k138.zip")
                return true;
        return false;
    }

    void ExpectNothingStaged() const
    {
        EXPECT_FALSE(fs::exists(work_ / StagingFolderName));
        EXPECT_FALSE(fs::exists(work_ / PartialStagingFolderName));
        EXPECT_FALSE(fs::exists(work_ / DownloadedArchiveName));
    }

    test::TempDir dir_;
    fs::path work_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    test::HttpTestServer server_;
    test::SigningKey key_;
    int asked_ = 0;
    std::vector<std::string> told_;
};

TEST_F(TrustedUpdate, ASignedListIsAcceptedAndOnlyListedEntriesAreUnpacked)
{
    const std::string archive =
        Archive({{"bin/kestrova-prog", "new program"}, {"Datas/logo_m.gif", "new logo"}, {"extra/evil.sh", "rm"}});
    const std::string list = List(archive, "kestrova-prog|Datas\\logo_m.gif|");
    const std::string signature = key_.Sign(list);
    const UpdateCheckResult result = Check(list, &signature);
    ASSERT_EQ(result.Result, UpdateCheckResult::Outcome::Staged) << result.Reason;
    EXPECT_EQ(test::FolderEntries(work_ / StagingFolderName),
              (std::vector<std::string>{"Paths.txt", "UpdateVersion.txt", "kestrova-prog", "logo_m.gif"}));
    EXPECT_EQ(ReadAll((work_ / StagingFolderName / "UpdateVersion.txt").string()), "1.38\r\n");
    EXPECT_FALSE(fs::exists(work_ / PartialStagingFolderName));
}

TEST_F(TrustedUpdate, UnsignedChangedOrForeignSignedListsStageNothing)
{
    const std::string archive = Archive({{"kestrova-prog", "new program"}});
    const std::string list = List(archive, "kestrova-prog|");
    const std::string good = key_.Sign(list);
    test::SigningKey other;
    std::string changed = list;
    changed.insert(changed.find("|End"), "|evil.so");

    struct Case {
        const char* what;
        std::string served;
        const std::string* signature;
    };
    const std::string foreign = other.Sign(list);
    for (const Case& c : {Case{"no signature", list, nullptr}, Case{"one byte changed", changed, &good},
                          Case{"another key", list, &foreign}}) {
        server_.Route("/downloads/versions.txt.sig", HttpTestResponse::Error(404, "Not Found"));
        asked_ = 0;
        const UpdateCheckResult result = Check(c.served, c.signature);
        EXPECT_EQ(result.Result, UpdateCheckResult::Outcome::Failed) << c.what;
        EXPECT_EQ(result.Reason, "The version list is not signed: the update is refused.") << c.what;
        EXPECT_EQ(asked_, 0) << c.what;
        EXPECT_FALSE(Downloaded()) << c.what;
        ExpectNothingStaged();
    }
}

TEST_F(TrustedUpdate, ListsThatAreNotListsFailWithTheirOwnMessage)
{
    for (const std::string& served :
         {std::string(), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), std::string("Kestrova|1.38|http://h/a")}) {
        const std::string signature = key_.Sign(served);
        const UpdateCheckResult result = Check(served, &signature);
        EXPECT_EQ(result.Result, UpdateCheckResult::Outcome::Failed);
        EXPECT_EQ(result.Reason, "The version list received is not valid.");
        EXPECT_EQ(asked_, 0);
    }
    ExpectNothingStaged();
}

TEST_F(TrustedUpdate, ACorruptArchiveLeavesNoStagingFolder)
{
    const std::string list = List("PK\x03\x04 this is not an archive at all", "kestrova-prog|");
    const std::string signature = key_.Sign(list);
    const UpdateCheckResult result = Check(list, &signature);
    EXPECT_EQ(result.Result, UpdateCheckResult::Outcome::Failed);
    EXPECT_EQ(result.Reason, "Downloaded archive is corrupted. Try again.");
    ASSERT_EQ(told_.size(), 2u);
    EXPECT_EQ(told_[1], result.Reason);
    // Nothing for the next start to install.
    ExpectNothingStaged();
    EXPECT_FALSE(UpdateIsStaged(work_.string()));
}

// Stages an archive in a child process and reports its reason and its peak
// resident memory, so that the figure is the staging's alone.
struct ChildStaging {
    std::string Reason;
    long PeakKiB = -1;
};

ChildStaging StageInChild(const fs::path& work, const std::string& archive, const std::string& installList)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        UpdateRecord record{"1.38", "1.37b", "http://h/k.zip#sha256=" + Sha256Hex(archive), installList};
        FetchedFile download{true, archive, "http://h/k.zip", ""};
        const std::string reason = StageUpdate(work.string(), record, download, true);
        [[maybe_unused]] const auto written = ::write(pipeFds[1], reason.data(), reason.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    ChildStaging outcome;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        outcome.Reason.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status))
        outcome.PeakKiB = usage.ru_maxrss;
    return outcome;
}

// The peak memory allowed for staging a bomb. Under AddressSanitizer its
// shadow memory and quarantine come on top; the looser bound still catches
// an archive inflated in memory (5 GiB) or a header's size allocated.
#if defined(__SANITIZE_ADDRESS__)
constexpr long BombPeakLimitKiB = 400 * 1024;
#else
constexpr long BombPeakLimitKiB = 100 * 1024;
#endif

TEST_F(TrustedUpdate, ABombIsRefusedWithSmallMemoryAndNothingStaged)
{
    // 5 GiB of zeros in about 5 MB.
    const std::string zip = dir_.File("bomb.zip");
    ASSERT_TRUE(test::WriteZeroBomb(zip, "kestrova-prog", 5 * 1024));
    const std::string archive = ReadAll(zip);
    EXPECT_LT(archive.size(), 8u * 1024 * 1024);

    const ChildStaging staged = StageInChild(work_, archive, "kestrova-prog|");
    EXPECT_EQ(staged.Reason, "The archive expands to more than 200 MB: the update is refused.");
    ASSERT_GT(staged.PeakKiB, 0);
    EXPECT_LT(staged.PeakKiB, BombPeakLimitKiB) << "peak KiB " << staged.PeakKiB;
    std::printf("zip bomb staging: archive %zu bytes, peak resident memory %ld KiB\n", archive.size(), staged.PeakKiB);
    ExpectNothingStaged();
}

TEST_F(TrustedUpdate, AnEntryLyingAboutItsSizeIsRefused)
{
    // The header announces 500 MiB for 1 MiB of data, then 1 KiB for 300 MiB.
    for (const auto& [mebibytes, announced] : {std::pair<std::uint64_t, std::uint64_t>{1, 500ull << 20}, {300, 1024}}) {
        const std::string zip = dir_.File("liar.zip");
        fs::remove(zip);
        ASSERT_TRUE(test::WriteZeroBomb(zip, "kestrova-prog", mebibytes, announced));
        const ChildStaging staged = StageInChild(work_, ReadAll(zip), "kestrova-prog|");
        EXPECT_EQ(staged.Reason, "Downloaded archive is corrupted. Try again.") << announced;
        EXPECT_LT(staged.PeakKiB, BombPeakLimitKiB) << "peak KiB " << staged.PeakKiB;
        std::printf("lying header (%llu MiB announced %llu bytes): peak resident memory %ld KiB\n",
                    static_cast<unsigned long long>(mebibytes), static_cast<unsigned long long>(announced),
                    staged.PeakKiB);
        ExpectNothingStaged();
    }
}

TEST(ArchiveLimits, OnlyNamedEntriesAndNothingKeptPastTheLimit)
{
    test::TempDir dir;
    const std::string zip = dir.File("a.zip");
    ASSERT_TRUE(test::WriteZip(
        zip, {{"a/one.txt", std::string(3000, 'x')}, {"two.txt", std::string(3000, 'y')}, {"three.txt", "z"}}));
    ExtractLimits limits;
    limits.Names = {"ONE.txt", "three.txt"};
    ExtractOutcome outcome = ExtractArchiveWithLimits(zip, dir.File("named"), limits);
    EXPECT_EQ(outcome.Written, 2);
    EXPECT_EQ(test::FolderEntries(dir.Path() / "named"), (std::vector<std::string>{"one.txt", "three.txt"}));

    // 5000 bytes allowed: the second file passes it, and the first is taken
    // back too.
    limits.Names.clear();
    limits.MaxTotalBytes = 5000;
    outcome = ExtractArchiveWithLimits(zip, dir.File("limited"), limits);
    EXPECT_TRUE(outcome.TooLarge);
    EXPECT_EQ(outcome.Written, 0);
    EXPECT_TRUE(test::FolderEntries(dir.Path() / "limited").empty());

    limits.MaxTotalBytes = 6001;
    outcome = ExtractArchiveWithLimits(zip, dir.File("fits"), limits);
    EXPECT_FALSE(outcome.TooLarge);
    EXPECT_EQ(outcome.Written, 3);
}

}  // namespace
