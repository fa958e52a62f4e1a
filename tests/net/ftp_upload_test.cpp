// The upload against real servers on 127.0.0.1: pyftpdlib for FTP and FTPS,
// a private sshd for SFTP.
#include "net/ftp_upload.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/app_state.h"
#include "base/clock.h"
#include "base/translate.h"
#include "net/remote_folder.h"
#include "page/journal.h"
#include "tests/support/loopback_servers.h"
#include "tests/support/temp_site.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using test::FtpTestServer;
using test::ReadAll;
using test::TempDir;

// A progress window that records what the worker shows; the user's reading
// time passes on the manual clock.
class RecordingWindow : public UploadWindowPort {
public:
    void OpenUploadWindow(const std::string& title, const std::string&) override { Titles.push_back(title); }
    void SetUploadText(const std::string& text) override
    {
        LastText = text;
        if (OnText)
            OnText();
    }
    void SetUploadPercent(int percent) override { LastPercent = percent; }
    void CloseUploadWindow() override { ++Closed; }
    bool HoldsMessages() const override { return true; }
    void WaitForEvents(std::chrono::milliseconds period) override
    {
        ++Waits;
        if (OnWait)
            OnWait();
        Clock.Advance(period);
    }
    void MessageShown(const std::string& localPath, const std::string& message) override
    {
        Messages.push_back(fs::path(localPath).filename().string() + ": " + message);
    }
    void FileSent(const std::string& localPath, const std::string&) override
    {
        Sent.push_back(fs::path(localPath).filename().string());
        if (OnSent)
            OnSent();
    }

    ManualMonotonicClock Clock;
    std::vector<std::string> Titles, Messages, Sent;
    std::string LastText;
    int LastPercent = -1;
    int Closed = 0;
    int Waits = 0;
    std::function<void()> OnText, OnWait, OnSent;
};

std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.insert(entry.path().filename().string());
    return names;
}

std::set<std::string> ListedNames(const std::string& listing)
{
    std::set<std::string> names;
    std::size_t pos = 0;
    while (pos < listing.size()) {
        std::size_t end = listing.find('\r', pos);
        names.insert(listing.substr(pos, end - pos));
        pos = end + 1;
    }
    return names;
}

class UploadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetAppState();
        App.Language = LanguageEnglish;
        Upload.Clear();
        Upload.UploadState = -1;
        UploadSecurityOptions = {};
        SetUploadWindow(&window);
    }
    void TearDown() override
    {
        JoinUploadThread();
        SetUploadWindow(nullptr);
        UploadSecurityOptions = {};
        Upload.Clear();
        Upload.UploadState = -1;
    }
    void AddServer(int n, const std::string& name, const std::string& address, const std::string& password)
    {
        App.ServerTable[n] = {name, address, FtpTestServer::User, password};
    }
    // Queues the entries and runs the worker on its own thread to its end.
    void RunUpload(const std::vector<std::string>& entries)
    {
        for (const std::string& entry : entries)
            ASSERT_TRUE(Upload.Push(entry));
        Upload.UploadState = 0;
        StartUploadThread();
        JoinUploadThread();
    }
    std::string Page(const std::string& relative, const std::string& bytes) { return site.Write(relative, bytes); }

    TempDir site;
    TempDir home;
    RecordingWindow window;
};

TEST(RemoteFolder, AddressesRootsAndDestinations)
{
    RemoteAddress a;
    ASSERT_TRUE(ParseRemoteAddress("host.example:2121/www//sub/", a));
    EXPECT_EQ(a.Host, "host.example");
    EXPECT_EQ(a.Port, 2121);
    EXPECT_EQ(a.Folders, (std::vector<std::string>{"www", "sub"}));
    EXPECT_EQ(a.Protocol, RemoteProtocol::Ftp);
    EXPECT_FALSE(a.ActiveMode);
    EXPECT_EQ(RemoteUrl(a, a.Folders, "a b.htm"), "ftp://host.example:2121/www/sub/a%20b.htm");
    ASSERT_TRUE(ParseRemoteAddress("ftp+active://h", a));
    EXPECT_TRUE(a.ActiveMode);
    ASSERT_TRUE(ParseRemoteAddress("SFTP://[::1]:22/~/www", a));
    EXPECT_EQ(a.Protocol, RemoteProtocol::Sftp);
    EXPECT_EQ(a.Host, "[::1]");
    EXPECT_EQ(RemoteUrl(a, a.Folders), "sftp://[::1]:22/~/www/");
    EXPECT_EQ(RemoteCommandPath(a, a.Folders, "x.htm"), "/~/www/x.htm");
    for (const char* bad : {"", ":21/www", "h:0", "h:65536", "h:2x", "gopher://h/www", "[::1/x"})
        EXPECT_FALSE(ParseRemoteAddress(bad, a)) << bad;

    // The dialog drops "ftp://" (and unknown schemes), never a secure one.
    EXPECT_EQ(StripFtpScheme("ftp://host/www"), "host/www");
    EXPECT_EQ(StripFtpScheme("FTP://host:21"), "host:21");
    EXPECT_EQ(StripFtpScheme("ftps://host/www"), "ftps://host/www");
    EXPECT_EQ(StripFtpScheme("sftp://host/www"), "sftp://host/www");
    EXPECT_EQ(StripFtpScheme("ftp://"), "ftp://");

    // The default root is the deepest folder holding every page: pages of
    // sibling folders share their parent, never a folder of their own.
    std::vector<std::string> siblings;
    for (int i = 0; i < 10; ++i)
        siblings.push_back("/s/site/d" + std::to_string(i) + "/p.htm");
    EXPECT_EQ(DeepestCommonFolder(siblings), "/s/site/");
    EXPECT_EQ(DeepestCommonFolder({"/s/site/sub/a.htm"}), "/s/site/sub/");
    EXPECT_EQ(DeepestCommonFolder({"/s/site/sub/a.htm", "/s/site/b.htm", "/s/site/sub/d/e.htm"}), "/s/site/");
    EXPECT_EQ(DeepestCommonFolder({"/s/site/a.htm", "/s/sitex/c.htm"}), "/s/");
    EXPECT_EQ(DeepestCommonFolder({}), "");
    const std::string root = "/s/site/";
    EXPECT_EQ(RemoteFolderOf(root, "/s/site/sub/a.htm"), std::optional<std::string>("/sub/"));
    EXPECT_EQ(RemoteFolderOf(root, "/s/site/b.htm"), std::optional<std::string>("/"));
    EXPECT_EQ(RemoteFolderOf(root, "/s/other/c.htm"), std::nullopt);
    EXPECT_EQ(RemoteFolderOf(root, "/s/sitex/c.htm"), std::nullopt);

    // Printed and walked destinations carry no doubled slashes.
    EXPECT_EQ(UploadDestination("host/www/", "/a/b/"), "host/www/a/b/");
    EXPECT_EQ(UploadDestination("host", "/"), "host/");
    EXPECT_EQ(UploadDestination("host/www", ""), "host/www");
    EXPECT_EQ(UploadDestination("sftp://host//srv/", "/a/"), "sftp://host/srv/a/");
    EXPECT_TRUE(ClimbsRemoteFolder("/a/../"));
    EXPECT_TRUE(ClimbsRemoteFolder("\\..\\"));
    EXPECT_FALSE(ClimbsRemoteFolder("/a..b/.c/"));

    // What the server says about its current folder.
    EXPECT_EQ(PwdReplyFolder("230 Login successful.\r\n257 \"/home/ftpk\" is the current directory.\r\n"),
              std::optional<std::string>("/home/ftpk"));
    EXPECT_EQ(PwdReplyFolder("257 \"/a\"\r\n250 ok\r\n257 \"/a/say \"\"hi\"\"\" created\r\n"),
              std::optional<std::string>("/a/say \"hi\""));
    EXPECT_EQ(PwdReplyFolder("257 no quotes\r\n550 \"/x\" denied\r\n"), std::nullopt);
    EXPECT_EQ(PwdReplyFolder("257 \"/srv/www/\" is current directory.\n"), std::optional<std::string>("/srv/www"));
    EXPECT_EQ(PwdReplyFolder("257 \"/\" is current directory.\n"), std::optional<std::string>("/"));
    RemoteAddress place;
    ASSERT_TRUE(ParseRemoteAddress("127.0.0.1:2121/home/ftpk/www", place));
    EXPECT_EQ(RemotePlaceText(place, "/home/ftpk/home/ftpk/www/", "index.html"),
              "127.0.0.1:2121:/home/ftpk/home/ftpk/www/index.html");
    ASSERT_TRUE(ParseRemoteAddress("host", place));
    EXPECT_EQ(RemotePlaceText(place, "/", "a.htm"), "host:/a.htm");
}

TEST(RemoteFolder, APageIsSentOnlyWhenItResolvesBelowTheRoot)
{
    TempDir top;
    const std::string site = top.File("site/");
    top.Write("site/sub/a.htm", "a");
    top.Write("outside/secret.htm", "secret");
    EXPECT_EQ(UploadFolderOf(site, site + "sub/a.htm"), std::optional<std::string>("/sub/"));
    // ".." is resolved: a page that climbs out of the site has no place.
    EXPECT_EQ(UploadFolderOf(site, site + "sub/../../outside/secret.htm"), std::nullopt);
    EXPECT_EQ(UploadFolderOf(site, site + "sub/../sub/a.htm"), std::optional<std::string>("/sub/"));
    // A link is followed: one that leads out of the site is refused.
    fs::create_symlink(top.File("outside/secret.htm"), site + "link.htm");
    EXPECT_EQ(UploadFolderOf(site, site + "link.htm"), std::nullopt);
    fs::create_symlink(site + "sub/a.htm", site + "alias.htm");
    EXPECT_EQ(UploadFolderOf(site, site + "alias.htm"), std::optional<std::string>("/sub/"));
    // A name the journal cannot hold, or a page that is gone but whose folder
    // lies in the site (the upload then says it cannot be opened).
    top.Write("site/cr.htm\rx.htm", "cr");
    EXPECT_EQ(UploadFolderOf(site, site + "cr.htm\rx.htm"), std::nullopt);
    EXPECT_EQ(UploadFolderOf(site, site + "sub/gone.htm"), std::optional<std::string>("/sub/"));
}

TEST_F(UploadTest, BrowsesTheServersFolders)
{
    FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    fs::create_directories(home.Path() / "www" / "sub");
    std::ofstream(home.Path() / "www" / "index.htm") << "x";
    const std::string address = server.Address();
    EXPECT_EQ(ListedNames(ListRemoteFolder(address, FtpTestServer::User, FtpTestServer::Password)),
              (std::set<std::string>{"www"}));
    EXPECT_EQ(ListedNames(ListRemoteFolder(address + "/www", FtpTestServer::User, FtpTestServer::Password)),
              (std::set<std::string>{"index.htm", "sub"}));
    EXPECT_EQ(ListRemoteFolder(address + "/www/sub/", FtpTestServer::User, FtpTestServer::Password), "");
    // A folder that does not exist shows the folder above it.
    EXPECT_EQ(ListedNames(ListRemoteFolder(address + "/www/none", FtpTestServer::User, FtpTestServer::Password)),
              (std::set<std::string>{"index.htm", "sub"}));
    EXPECT_EQ(ListRemoteFolder(address, FtpTestServer::User, "wrong"), "Error");
    App.Language = LanguageFrench;
    EXPECT_EQ(ListRemoteFolder(address, FtpTestServer::User, "wrong"), "Erreur");
}

TEST_F(UploadTest, SendsFilesIntoTheRootAndIntoCreatedFoldersKeepingTheEmptyOne)
{
    FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    fs::create_directory(home.Path() / "www");
    std::ofstream(home.Path() / "www" / "a.htm") << "old version";
    AddServer(1, "other", "127.0.0.1:1/none", "x");
    AddServer(2, "site", server.Address() + "/www", FtpTestServer::Password);
    const std::string a = Page("a.htm", "<html>a</html>");
    const std::string empty = Page("empty.htm", "");
    const std::string lost = Page("lost.htm", "lost");
    const std::string b = Page("a/b/b.htm", std::string(1000, 'b'));
    const std::string c = Page("a/b/c.htm", "c");
    RunUpload({a + "|site|/", empty + "|site|/", lost + "|nosuchserver|/", b + "|site|/a/b/", c + "|site|/a/b/"});

    EXPECT_EQ(ReadAll((home.Path() / "www" / "a.htm").string()), "<html>a</html>");
    EXPECT_EQ(ReadAll((home.Path() / "www" / "a" / "b" / "b.htm").string()), std::string(1000, 'b'));
    EXPECT_EQ(ReadAll((home.Path() / "www" / "a" / "b" / "c.htm").string()), "c");
    // No temporary file is left beside the pages; the empty page is not sent.
    EXPECT_EQ(Names(home.Path() / "www"), (std::set<std::string>{"a", "a.htm"}));
    EXPECT_EQ(Names(home.Path() / "www" / "a" / "b"), (std::set<std::string>{"b.htm", "c.htm"}));

    EXPECT_EQ(Upload.Snapshot(), (std::vector<std::string>{empty + "|site|/"}));
    EXPECT_EQ(Upload.UploadState.load(), 2);
    EXPECT_EQ(window.Sent, (std::vector<std::string>{"a.htm", "b.htm", "c.htm"}));
    // The unknown server is dropped silently; the empty file has its message,
    // held for 8 seconds of the program's clock (400 waits of 20 ms).
    ASSERT_EQ(window.Messages.size(), 1u);
    EXPECT_EQ(window.Messages[0].rfind("empty.htm: The file to upload has a size of zero!", 0), 0u);
    EXPECT_EQ(window.Waits, 400);
    EXPECT_EQ(window.Titles.size(), 4u);
    EXPECT_EQ(window.Closed, 4);
    EXPECT_EQ(window.LastPercent, 100);
}

TEST_F(UploadTest, AWrongPasswordIsReportedAndNothingIsSent)
{
    FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    App.Language = LanguageFrench;
    AddServer(1, "site", server.Address(), "Wr0ng-Passw0rd");
    const std::string a = Page("a.htm", "a");
    // Closing the window while the message is shown ends the run at once.
    window.OnWait = [] {
        int running = 0;
        Upload.UploadState.compare_exchange_strong(running, 1);
    };
    RunUpload({a + "|site|/", a + "|site|/again/"});
    EXPECT_TRUE(Names(home.Path()).empty());
    EXPECT_EQ(Upload.Size(), 2u);
    EXPECT_EQ(Upload.UploadState.load(), 1);
    ASSERT_EQ(window.Messages.size(), 1u);
    const std::string& message = window.Messages[0];
    // A refused login is told as such, not as too many connections.
    EXPECT_EQ(message, "a.htm: Impossible d'ouvrir 127.0.0.1 : le serveur refuse l'identifiant ou le mot de passe "
                       "(530). (Erreur N\xB0 / Error N# 67)")
        << message;
    EXPECT_NE(message.find("530"), std::string::npos) << message;  // the server's answer
    EXPECT_EQ(message.find("Wr0ng-Passw0rd"), std::string::npos);
    EXPECT_EQ(window.LastText.find("Wr0ng-Passw0rd"), std::string::npos);
    EXPECT_EQ(window.Waits, 1);
}

TEST_F(UploadTest, AnAbortAfterTheSecondFileKeepsTheThirdQueued)
{
    FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    AddServer(1, "site", server.Address(), FtpTestServer::Password);
    std::vector<std::string> entries;
    for (const char* name : {"1.htm", "2.htm", "3.htm"})
        entries.push_back(Page(name, name) + "|site|/");
    window.OnSent = [this] {
        if (window.Sent.size() == 2)
            Upload.UploadState = 1;  // the user closes the progress window
    };
    RunUpload(entries);
    EXPECT_EQ(Names(home.Path()), (std::set<std::string>{"1.htm", "2.htm"}));
    EXPECT_EQ(Upload.Snapshot(), (std::vector<std::string>{entries[2]}));
    EXPECT_EQ(Upload.UploadState.load(), 1);
}

TEST_F(UploadTest, AConnectionCutMidTransferLeavesTheLivePageAlone)
{
    auto server = std::make_unique<FtpTestServer>(home.Path());
    ASSERT_TRUE(server->Running()) << server->Problem();
    std::ofstream(home.Path() / "big.htm") << "live version";
    AddServer(1, "site", server->Address(), FtpTestServer::Password);
    const std::string big = Page("big.htm", std::string(60000, 'x'));
    window.OnText = [&] {
        if (UploadProgress.BytesSent >= 4000 && server->Running())
            server->Kill();
    };
    RunUpload({big + "|site|/"});
    EXPECT_EQ(ReadAll((home.Path() / "big.htm").string()), "live version");
    EXPECT_EQ(Upload.Size(), 1u);
    ASSERT_EQ(window.Messages.size(), 1u);
    EXPECT_EQ(window.Messages[0].rfind("big.htm: The write operation on FTP has been interrupted\r", 0), 0u)
        << window.Messages[0];
    EXPECT_EQ(Upload.UploadState.load(), 2);
}

TEST_F(UploadTest, MoreThanAHundredFilesAreAllSent)
{
    FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    AddServer(1, "site", server.Address(), FtpTestServer::Password);
    std::vector<std::string> entries;
    for (int i = 0; i < 105; ++i)
        entries.push_back(Page(std::string("p").append(std::to_string(i)).append(".htm"), std::to_string(i)) +
                          "|site|/many/");
    RunUpload(entries);
    EXPECT_EQ(Upload.Size(), 0u);
    EXPECT_EQ(Names(home.Path() / "many").size(), 105u);
    EXPECT_EQ(ReadAll((home.Path() / "many" / "p104.htm").string()), "104");
}

TEST_F(UploadTest, PurgeKeepsUnsentPagesAndPagesChangedAfterTheStart)
{
    FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    AddServer(1, "site", server.Address(), FtpTestServer::Password);
    TempDir work;
    test::ScopedCurrentDir inWork(work.Path());
    const std::string sent = Page("sent.htm", "s");
    const std::string empty = Page("empty.htm", "");
    const std::string unticked = Page("unticked.htm", "u");
    const std::string changed = Page("changed.htm", "c");
    std::ofstream(JournalFileName) << sent << "|100\n"
                                   << empty << "|100\n"
                                   << unticked << "|100\n"
                                   << changed << "|500\n";
    Upload.UploadStartTime = 300;
    Upload.KeepUnsent({unticked});
    RunUpload({sent + "|site|/", empty + "|site|/", changed + "|site|/"});
    EXPECT_EQ(Names(home.Path()), (std::set<std::string>{"sent.htm", "changed.htm"}));
    PurgeJournal();
    EXPECT_EQ(ReadAll(JournalFileName), empty + "|100\r\n" + unticked + "|100\r\n" + changed + "|500\r\n");
    EXPECT_EQ(Upload.UploadState.load(), -1);
}

TEST_F(UploadTest, FtpsChecksTheCertificate)
{
    FtpTestServer server(home.Path(), true);
    ASSERT_TRUE(server.Running()) << server.Problem();
    AddServer(1, "secure", server.Address() + "/www", FtpTestServer::Password);
    const std::string a = Page("a.htm", "over tls");
    // A certificate that nothing vouches for is refused before the login.
    RunUpload({a + "|secure|/sub/"});
    EXPECT_TRUE(Names(home.Path()).empty());
    EXPECT_EQ(Upload.Size(), 1u);
    ASSERT_EQ(window.Messages.size(), 1u);

    UploadSecurityOptions.CaFile = server.CertificateFile();
    Upload.UploadState = 0;
    StartUploadThread();
    JoinUploadThread();
    EXPECT_EQ(ReadAll((home.Path() / "www" / "sub" / "a.htm").string()), "over tls") << window.Messages.back();
    EXPECT_EQ(Upload.Size(), 0u);
}

TEST_F(UploadTest, SftpChecksTheHostKey)
{
    test::SshTestServer ssh;
    if (!ssh.Running())
        GTEST_SKIP() << "no local sshd for the SFTP upload: " << ssh.Problem();
    App.ServerTable[1] = {"ssh", "sftp://127.0.0.1:" + std::to_string(ssh.Port()) + ssh.Folder().string(), ssh.Login(),
                          ""};
    UploadSecurityOptions.SshPrivateKeyFile = ssh.PrivateKeyFile();
    UploadSecurityOptions.SshPublicKeyFile = ssh.PublicKeyFile();
    const std::string a = Page("a.htm", "over ssh");
    const std::string b = Page("x/b.htm", "deeper");

    // A host missing from known_hosts is refused.
    TempDir keys;
    UploadSecurityOptions.KnownHostsFile = keys.Write("known_hosts", "");
    RunUpload({a + "|ssh|/"});
    EXPECT_TRUE(Names(ssh.Folder()).empty());
    EXPECT_EQ(Upload.Size(), 1u);

    UploadSecurityOptions.KnownHostsFile = ssh.KnownHostsFile();
    std::ofstream(ssh.Folder() / "a.htm") << "old";
    RunUpload({b + "|ssh|/x/y/"});
    EXPECT_EQ(Upload.Size(), 0u) << (window.Messages.empty() ? "" : window.Messages.back());
    EXPECT_EQ(ReadAll((ssh.Folder() / "a.htm").string()), "over ssh");
    EXPECT_EQ(ReadAll((ssh.Folder() / "x" / "y" / "b.htm").string()), "deeper");
    EXPECT_EQ(Names(ssh.Folder()), (std::set<std::string>{"a.htm", "x"}));
}

TEST_F(UploadTest, APageChangedInTheSecondOfTheStartAfterItWasSentStaysInTheJournal)
{
    FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    AddServer(1, "site", server.Address(), FtpTestServer::Password);
    TempDir work;
    test::ScopedCurrentDir inWork(work.Path());
    const std::string first = Page("first.htm", "first, as sent");
    const std::string second = Page("second.htm", "second");
    const std::string kept = Page("kept.htm", "kept");
    // Every line carries the second the upload starts in.
    const std::int64_t now = LocalNowSeconds();
    std::ofstream(JournalFileName) << first << "|" << now << "\n"
                                   << second << "|" << now << "\n"
                                   << kept << "|" << now << "\n";
    // The first page is saved again once it has been sent, within the same
    // second, with a text of the same length.
    window.OnSent = [&] {
        if (window.Sent.size() == 1)
            std::ofstream(first) << "first, as saved";
    };
    Upload.StartRun({first + "|site|/", second + "|site|/"});
    Upload.KeepUnsent({kept});
    Upload.UploadStartTime = now;
    Upload.UploadState = 0;
    StartUploadThread();
    JoinUploadThread();
    ASSERT_EQ(window.Sent, (std::vector<std::string>{"first.htm", "second.htm"}));
    PurgeJournal();
    EXPECT_EQ(ReadAll(JournalFileName),
              first + "|" + std::to_string(now) + "\r\n" + kept + "|" + std::to_string(now) + "\r\n");

    // The next run sends the change.
    Upload.StartRun({first + "|site|/"});
    Upload.UploadStartTime = LocalNowSeconds();
    Upload.UploadState = 0;
    StartUploadThread();
    JoinUploadThread();
    EXPECT_EQ(ReadAll((home.Path() / "first.htm").string()), "first, as saved");
}

TEST_F(UploadTest, QueuedNamesTheJournalCannotHoldAndClimbingFoldersAreRefusedAndKept)
{
    FtpTestServer server(home.Path());
    ASSERT_TRUE(server.Running()) << server.Problem();
    fs::create_directory(home.Path() / "www");
    AddServer(1, "site", server.Address() + "/www", FtpTestServer::Password);
    const std::string plain = Page("cr.htm", "the other file");
    const std::string cr = Page("cr.htm\rx.htm", "the page");
    const std::string up = Page("up.htm", "up");
    const std::string good = Page("good.htm", "good");
    RunUpload({cr + "|site|/", up + "|site|/../", good + "|site|/"});
    EXPECT_EQ(Names(home.Path()), (std::set<std::string>{"www"}));
    EXPECT_EQ(Names(home.Path() / "www"), (std::set<std::string>{"good.htm"}));
    EXPECT_EQ(Upload.Snapshot(), (std::vector<std::string>{cr + "|site|/", up + "|site|/../"}));
    ASSERT_EQ(window.Messages.size(), 2u);
    EXPECT_NE(window.Messages[0].find(cr), std::string::npos) << window.Messages[0];
    EXPECT_NE(window.Messages[1].find(up), std::string::npos) << window.Messages[1];
    (void)plain;
}

TEST_F(UploadTest, PrintsTheFolderTheServerReportsBelowALoginFolderThatIsNotTheTop)
{
    fs::create_directories(home.Path() / "home" / "ftpk");
    FtpTestServer server(home.Path(), false, "/home/ftpk");
    ASSERT_TRUE(server.Running()) << server.Problem();
    const std::string address = server.Address() + "/home/ftpk/www";

    // Before the upload: the login folder exists, the rest will be made.
    RemoteFolderPlace before = LocateRemoteFolder(address, FtpTestServer::User, FtpTestServer::Password);
    ASSERT_TRUE(before.Connected);
    EXPECT_EQ(before.ExistingFolder, "/home/ftpk");
    EXPECT_EQ(before.Missing, (std::vector<std::string>{"home", "ftpk", "www"}));
    EXPECT_EQ(before.Folder(), "/home/ftpk/home/ftpk/www");
    EXPECT_FALSE(LocateRemoteFolder(address, FtpTestServer::User, "wrong").Connected);

    std::vector<std::string> places;
    class Places : public RecordingWindow {
    public:
        explicit Places(std::vector<std::string>& out) : out_(out) {}
        void FileSent(const std::string&, const std::string& destination) override { out_.push_back(destination); }

    private:
        std::vector<std::string>& out_;
    } printing(places);
    SetUploadWindow(&printing);
    AddServer(1, "site", address + "/", FtpTestServer::Password);
    const std::string index = Page("index.html", "index");
    const std::string sub = Page("sub/page.html", "sub");
    RunUpload({index + "|site|/", sub + "|site|/sub/"});
    SetUploadWindow(&window);

    const fs::path landed = home.Path() / "home" / "ftpk" / "home" / "ftpk" / "www";
    EXPECT_EQ(ReadAll((landed / "index.html").string()), "index");
    EXPECT_EQ(ReadAll((landed / "sub" / "page.html").string()), "sub");
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    EXPECT_EQ(places, (std::vector<std::string>{host + ":/home/ftpk/home/ftpk/www/index.html",
                                                host + ":/home/ftpk/home/ftpk/www/sub/page.html"}));
    // The second file's walk created only "sub".
    EXPECT_EQ(UploadProgress.CreatedFolders, (std::vector<std::string>{"/home/ftpk/home/ftpk/www/sub"}));

    RemoteFolderPlace after = LocateRemoteFolder(address, FtpTestServer::User, FtpTestServer::Password);
    EXPECT_EQ(after.ExistingFolder, "/home/ftpk/home/ftpk/www");
    EXPECT_TRUE(after.Missing.empty());
}

TEST_F(UploadTest, SftpPrintsTheResolvedFolder)
{
    test::SshTestServer ssh;
    if (!ssh.Running())
        GTEST_SKIP() << "no local sshd for the SFTP upload: " << ssh.Problem();
    const std::string address = "sftp://127.0.0.1:" + std::to_string(ssh.Port()) + "/" + ssh.Folder().string() + "/";
    App.ServerTable[1] = {"ssh", address, ssh.Login(), ""};
    UploadSecurityOptions.SshPrivateKeyFile = ssh.PrivateKeyFile();
    UploadSecurityOptions.SshPublicKeyFile = ssh.PublicKeyFile();
    UploadSecurityOptions.KnownHostsFile = ssh.KnownHostsFile();
    RemoteFolderPlace place = LocateRemoteFolder(address + "new", ssh.Login(), "");
    ASSERT_TRUE(place.Connected);
    EXPECT_EQ(place.ExistingFolder, ssh.Folder().string());
    EXPECT_EQ(place.Missing, (std::vector<std::string>{"new"}));

    std::vector<std::string> places;
    class Places : public RecordingWindow {
    public:
        explicit Places(std::vector<std::string>& out) : out_(out) {}
        void FileSent(const std::string&, const std::string& destination) override { out_.push_back(destination); }

    private:
        std::vector<std::string>& out_;
    } printing(places);
    SetUploadWindow(&printing);
    const std::string a = Page("a.htm", "over ssh");
    RunUpload({a + "|ssh|/x/"});
    SetUploadWindow(&window);
    EXPECT_EQ(ReadAll((ssh.Folder() / "x" / "a.htm").string()), "over ssh");
    EXPECT_EQ(places, (std::vector<std::string>{"127.0.0.1:" + std::to_string(ssh.Port()) + ":" +
                                                ssh.Folder().string() + "/x/a.htm"}));
}

}  // namespace
}  // namespace kestrova
