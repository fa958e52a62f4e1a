// Window tests of the banner, the preferences window, the help command and
// the about window. Addresses that would open a browser or a mail program are
// recorded through the shell-open hook instead.
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMovie>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "app/about_window.h"
#include "app/banner_view.h"
#include "app/info_window.h"
#include "app/main_window.h"
#include "app/preferences_window.h"
#include "app/update_window.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "net/banner.h"
#include "net/update.h"
#include "net/update_signature.h"
#include "tests/support/http_test_server.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "tests/support/update_signing.h"
#include "tests/support/zip_writer.h"
#include "ui/shell_open.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

template <typename T>
T* Child(QWidget* parent, const char* name)
{
    return parent->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

class SmallWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> temp_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    ui::QtUi* qtUi_ = nullptr;
    std::vector<QString> opened_;

private slots:
    void initTestCase()
    {
        temp_ = std::make_unique<test::TempDir>();
        cwd_ = std::make_unique<test::ScopedCurrentDir>(temp_->Path());
        qtUi_ = &ui::InstallQtUi();
        ui::OpenUrlHook = [this](const QUrl& url) {
            opened_.push_back(url.toString(QUrl::FullyEncoded));
            return true;
        };
    }

    void init()
    {
        ResetAppState();
        App.Language = "English";
        opened_.clear();
        qtUi_->Recorded.clear();
        qtUi_->NextAnswers.clear();
    }

    void cleanupTestCase()
    {
        ui::OpenUrlHook = nullptr;
        cwd_.reset();
        temp_.reset();
    }

    void preferencesCancelKeepsTheValue()
    {
        App.DisableUpdates = false;
        test::WhenModalOpen([](QDialog* dialog) {
            QCOMPARE(dialog->size(), QSize(260, 115));
            auto* banner = Child<QCheckBox>(dialog, "HideBanner");
            auto* tips = Child<QCheckBox>(dialog, "HideTips");
            auto* updates = Child<QCheckBox>(dialog, "DisableUpdates");
            QVERIFY(banner && tips && updates);
            QVERIFY(!banner->isChecked() && tips->isChecked() && !updates->isChecked());
            for (QCheckBox* box : {banner, tips, updates})
                QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->text()));
            banner->click();
            tips->click();
            updates->click();
            Child<QPushButton>(dialog, "Cancel")->click();
        });
        QCOMPARE(ShowPreferencesDialog(nullptr, "x bulle| y"), std::string("x bulle| y"));
        QVERIFY(!App.DisableUpdates);
    }

    void preferencesOkWritesTheWordsInOrder()
    {
        // Boxes come from a substring search; OK rebuilds the value in the
        // fixed order whatever order the words had.
        test::WhenModalOpen([](QDialog* dialog) {
            auto* banner = Child<QCheckBox>(dialog, "HideBanner");
            QVERIFY(banner->isChecked() && banner->isEnabled());
            QVERIFY(Child<QCheckBox>(dialog, "HideTips")->isChecked());
            Child<QCheckBox>(dialog, "DisableUpdates")->click();
            auto* ok = Child<QPushButton>(dialog, "OK");
            QCOMPARE(ok->geometry(), QRect(2 * 73 + 30, 115 - 28, 73, 18));
            QCOMPARE(Child<QPushButton>(dialog, "Cancel")->geometry(), QRect(73 + 20, 115 - 28, 73, 18));
            // The buttons follow the window's size.
            dialog->resize(400, 150);
            QCOMPARE(ok->geometry(), QRect(2 * 120 + 30, 150 - 28, 120, 18));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QCOMPARE(ShowPreferencesDialog(nullptr, "bulle|pub|"), std::string("pub|bulle|disableupdates"));
        QVERIFY(App.DisableUpdates);

        test::WhenModalOpen([](QDialog* dialog) {
            QVERIFY(!Child<QCheckBox>(dialog, "HideBanner")->isChecked());
            QVERIFY(!Child<QCheckBox>(dialog, "HideTips")->isChecked());
            QVERIFY(Child<QCheckBox>(dialog, "DisableUpdates")->isChecked());
            Child<QCheckBox>(dialog, "DisableUpdates")->click();
            Child<QPushButton>(dialog, "OK")->click();
        });
        QCOMPARE(ShowPreferencesDialog(nullptr, "disableupdates"), std::string());
        QVERIFY(!App.DisableUpdates);
    }

    void firstStartGreysTheBannerBox()
    {
        App.FirstStart = true;
        test::WhenModalOpen([](QDialog* dialog) {
            auto* banner = Child<QCheckBox>(dialog, "HideBanner");
            QVERIFY(!banner->isEnabled());
            QVERIFY(banner->isChecked());
            Child<QPushButton>(dialog, "OK")->click();
        });
        QCOMPARE(ShowPreferencesDialog(nullptr, "pub|"), std::string("pub|"));
    }

    void bannerScrollsWrapsAndFollowsThePreferences()
    {
        App.Preferences = "";
        App.BannerOn = true;
        MainWindow window;
        window.resize(712, 600);
        window.show();
        QVERIFY(window.BannerShown());
        QCOMPARE(window.CurrentLayout().BM, 120);
        auto* banner = window.centralWidget()->findChild<QWidget*>(QStringLiteral("Banner"));
        QVERIFY(banner != nullptr);
        auto* still = Child<QLabel>(banner, "BannerPicture");
        auto* caption = Child<QPushButton>(banner, "BannerCaption");
        auto* strip = Child<QLabel>(banner, "BannerStrip");
        QVERIFY(still && caption && strip);
        QCOMPARE(still->pixmap().size(), QSize(425, 90));
        QCOMPARE(caption->geometry(), QRect(70, 69, 345, 18));
        QCOMPARE(strip->geometry(), QRect(435, 0, 254, 90));
        QCOMPARE(strip->pixmap().size(), QSize(254, 90));
        QCOMPARE(caption->text().remove(QLatin1Char('&')), QStringLiteral("Clic here to learn more about Tollamar!"));
        // In the bottom margin, below the frame of found words.
        QCOMPARE(banner->geometry().bottom(), window.CurrentLayout().H - 10 - 1);

        // The English strip is 3 171 rows high: the offset runs to 2 991.
        const QImage firstFrame = strip->pixmap().toImage();
        for (int i = 0; i < 2991; ++i)
            ScrollBanner(window);
        QCOMPARE(BannerOffset(window), 2991);
        QVERIFY(strip->pixmap().toImage() != firstFrame);
        ScrollBanner(window);
        QCOMPARE(BannerOffset(window), 0);
        QCOMPARE(strip->pixmap().toImage(), firstFrame);
        // The timer scrolls on its own, one row every third 10 ms tick.
        QTRY_VERIFY(BannerOffset(window) > 0);

        // A click on the picture or its caption opens the English home page.
        QTest::mouseClick(still, Qt::LeftButton);
        caption->click();
        QCOMPARE(opened_.size(), std::size_t(2));
        QCOMPARE(opened_[0], QStringLiteral("https://www.kestrova.invalid/"));
        QCOMPARE(opened_[1], opened_[0]);

        // Checking "pub" in the preferences removes the banner at once,
        // unchecking it brings it back.
        test::WhenModalOpen([](QDialog* dialog) {
            Child<QCheckBox>(dialog, "HideBanner")->click();
            Child<QPushButton>(dialog, "OK")->click();
        });
        window.ChangePreferences();
        QCOMPARE(App.Preferences, std::string("pub|"));
        QVERIFY(!window.BannerShown());
        QCOMPARE(window.CurrentLayout().BM, 20);
        QCOMPARE(BannerOffset(window), -1);
        test::WhenModalOpen([](QDialog* dialog) {
            Child<QCheckBox>(dialog, "HideBanner")->click();
            Child<QPushButton>(dialog, "OK")->click();
        });
        window.ChangePreferences();
        QVERIFY(window.BannerShown());
        QCOMPARE(BannerOffset(window), 0);
    }

    void frenchBannerShowsTheFrenchSet()
    {
        App.Language = LanguageFrench;
        App.BannerOn = true;
        MainWindow window;
        window.show();
        auto* banner = window.centralWidget()->findChild<QWidget*>(QStringLiteral("Banner"));
        QVERIFY(banner != nullptr);
        // The French strip is 2 698 rows high.
        for (int i = 0; i < 2698 - 180; ++i)
            ScrollBanner(window);
        QCOMPARE(BannerOffset(window), 2518);
        ScrollBanner(window);
        QCOMPARE(BannerOffset(window), 0);
        QTest::mouseClick(Child<QLabel>(banner, "BannerPicture"), Qt::LeftButton);
        QCOMPARE(opened_, std::vector<QString>{QStringLiteral("https://www.kestrova.invalid/fr/")});
    }

    void noBannerOnAFirstStart()
    {
        App.BannerOn = true;
        App.FirstStart = true;
        MainWindow window;
        QVERIFY(!window.BannerShown());
        QCOMPARE(BannerOffset(window), -1);
    }

    void helpShowsTheMessageThenThePage()
    {
        for (const std::string& language : {std::string("English"), std::string(LanguageFrench)}) {
            App.Language = language;
            opened_.clear();
            qtUi_->Recorded.clear();
            // The message is answered (and recorded) before the page opens.
            std::size_t messagesWhenOpened = 99;
            ui::OpenUrlHook = [&](const QUrl& url) {
                messagesWhenOpened = qtUi_->Recorded.size();
                opened_.push_back(url.toString(QUrl::FullyEncoded));
                return false;  // no browser on this machine
            };
            qtUi_->NextAnswers.push_back(ui::YesNoAll::Yes);
            qtUi_->NextAnswers.push_back(ui::YesNoAll::Yes);
            MainWindow window;
            window.MenuAction(MainWindow::MenuHelp)->trigger();
            QCOMPARE(messagesWhenOpened, std::size_t(1));
            QCOMPARE(qtUi_->Recorded[0].Title, TranslateFrenchKey("Infos"));
            QCOMPARE(qtUi_->Recorded[0].Text, InfoMessageText());
            QCOMPARE(opened_.size(), std::size_t(1));
            const QString page =
                language == "English" ? QStringLiteral("AidePellworthEng.htm") : QStringLiteral("AidePellworth.htm");
            const QString file =
                QString::fromStdString(temp_->Path().string()) + QStringLiteral("/Aide Pellworth/") + page;
            QCOMPARE(opened_[0], QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded));
            // Without a browser a second message names the help file.
            QCOMPARE(qtUi_->Recorded.size(), std::size_t(2));
            QCOMPARE(qtUi_->Recorded[1].Title, TranslateFrenchKey("Aide"));
            QVERIFY2(qtUi_->Recorded[1].Text.ends_with("\n" + ui::ToPage(file)), qtUi_->Recorded[1].Text.c_str());
            QVERIFY(qtUi_->Recorded[1].Text.find(language == "English" ? "could not be opened" : "n'a pas pu") !=
                    std::string::npos);

            // With a browser, the information message only.
            qtUi_->Recorded.clear();
            ui::OpenUrlHook = [&](const QUrl&) { return true; };
            qtUi_->NextAnswers.push_back(ui::YesNoAll::Yes);
            window.MenuAction(MainWindow::MenuHelp)->trigger();
            QCOMPARE(qtUi_->Recorded.size(), std::size_t(1));
        }
        ui::OpenUrlHook = [this](const QUrl& url) {
            opened_.push_back(url.toString(QUrl::FullyEncoded));
            return true;
        };
    }

    void helpPagesExistInBothLanguages()
    {
        for (const char* page : {"AidePellworth.htm", "AidePellworthEng.htm"}) {
            const std::string text =
                test::ReadAll(std::string(KESTROVA_SOURCE_DIR) + "/resources/dist/Aide Pellworth/" + page);
            QVERIFY2(text.find("Kestrova 1.37b") != std::string::npos, page);
            QVERIFY2(text.find("UpdateServer") != std::string::npos, page);
        }
    }

    void updateQuestionsRunOnTheMainThreadThenTheReadyWindow()
    {
        test::HttpTestServer server;
        QVERIFY(test::WriteZip(temp_->File("new.zip"), {{"kestrova", "new program"}}));
        const std::string archive = test::ReadAll(temp_->File("new.zip"));
        server.Route("/downloads/k.zip", test::HttpTestResponse::Page(archive));
        // The list is signed with a key the program is given for the test.
        test::SigningKey key;
        ReplaceBuiltInUpdateKeyForTests(key.PublicHex());
        const std::string list =
            "Kestrova|1.38|" + server.Url("/downloads/k.zip") + "#sha256=" + Sha256Hex(archive) + "|kestrova|End\r\n";
        server.Route("/downloads/versions.txt", test::HttpTestResponse::Page(list));
        server.Route("/downloads/versions.txt.sig", test::HttpTestResponse::Page(key.Sign(list)));
        App.UpdateServer = server.Url("");
        // Yes to the offer; the next answer closes the "download will start" box.
        qtUi_->NextAnswers = {ui::YesNoAll::Yes, ui::YesNoAll::Yes};
        MainWindow window;
        window.show();
        bool ready = false;
        test::WhenModalOpen([&](QDialog* dialog) {
            ready = true;
            QCOMPARE(dialog->objectName(), QStringLiteral("UpdateReadyDialog"));
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Update"));
            QCOMPARE(dialog->size(), QSize(400, 100));
            QCOMPARE(Child<QLabel>(dialog, "UpdateReadyText")->text(),
                     QStringLiteral("Download is done. Kestrova will be updated on next starting."));
            auto* restart = Child<QPushButton>(dialog, "RestartNow");
            QCOMPARE(restart->text().remove(QLatin1Char('&')), QStringLiteral("Restart Kestrova now"));
            QCOMPARE(restart->geometry(), QRect(60, 70, 250, 22));
            QVERIFY(!window.isEnabled());
            Child<QPushButton>(dialog, "OK")->click();
        });
        StartProgramUpdateCheck(window);
        QTRY_VERIFY_WITH_TIMEOUT(ready, 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!UpdateCheckRunning(), 60000);
        EndProgramUpdateCheck();
        QVERIFY(window.isEnabled());
        QCOMPARE(qtUi_->Recorded.size(), std::size_t(2));
        QCOMPARE(qtUi_->Recorded[0].Kind, std::string("yesno"));
        QCOMPARE(qtUi_->Recorded[1].Text,
                 std::string("Download will start. You will be notified when it will be finished."));
        QCOMPARE(test::ReadAll(temp_->File("UpdateProg/kestrova")), std::string("new program"));
        QVERIFY(!RestartForUpdateRequested());

        // "Restart now" leaves through the program's normal end, which
        // saves the settings and then starts the helper.
        test::WhenModalOpen(QStringLiteral("UpdateReadyDialog"),
                            [](QDialog* dialog) { Child<QPushButton>(dialog, "RestartNow")->click(); });
        UpdateReadyDialog(&window);
        QVERIFY(RestartForUpdateRequested());
        QVERIFY(UpdateIsStaged(temp_->Path().string()));
        QVERIFY(window.isEnabled());
        fs::remove_all(temp_->Path() / "UpdateProg");
        App.UpdateServer.clear();
        ReplaceBuiltInUpdateKeyForTests("");
    }

    void backgroundCheckShowsNothingWithoutAServer()
    {
        test::RefusingPort refusing;
        App.UpdateServer = "http://127.0.0.1:" + std::to_string(refusing.Port());
        MainWindow window;
        StartProgramUpdateCheck(window);
        QTRY_VERIFY_WITH_TIMEOUT(!UpdateCheckRunning(), 60000);
        EndProgramUpdateCheck();
        QVERIFY(qtUi_->Recorded.empty());

        // Ending the program while the check waits for the main thread (or
        // for the network) neither blocks nor shows anything later.
        test::HttpTestServer server;
        server.Route("/downloads/versions.txt",
                     test::HttpTestResponse::Page("Kestrova|1.38|https://h.invalid/k.zip|k|End\r\n"));
        App.UpdateServer = server.Url("");
        StartProgramUpdateCheck(window);
        QVERIFY(server.WaitForRequests(2));
        EndProgramUpdateCheck();
        QVERIFY(!UpdateCheckRunning());
        QTest::qWait(50);
        QVERIFY(qtUi_->Recorded.empty());
        App.UpdateServer.clear();
    }

    void aboutWindowTextButtonsAndLogo()
    {
        QCOMPARE(FormatBuildStamp("Compiled the %dd/%mm/%yyyy at %hh:%ii:%ss", ProgramBuildStamp),
                 std::string("Compiled the 15/06/2006 at 16:32:12"));
        QCOMPARE(FormatBuildStamp("%dd.%mm.%yyyy %hh:%ii:%ss", BuildStamp{1, 2, 33, 4, 5, 6}),
                 std::string("01.02.0033 04:05:06"));

        fs::create_directories(temp_->Path() / "Datas");
        fs::copy_file(fs::path(KESTROVA_SOURCE_DIR) / "resources/dist/Datas/logo_m.gif",
                      temp_->Path() / "Datas/logo_m.gif", fs::copy_options::overwrite_existing);
        test::WhenModalOpen([this](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("About Kestrova"));
            QCOMPARE(dialog->size(), QSize(450, 115));
            auto* text = Child<QLabel>(dialog, "AboutText");
            QVERIFY(text != nullptr);
            QVERIFY(text->text().startsWith(QStringLiteral("Kestrova 1.37b - Freeware")));
            QVERIFY(text->text().contains(QStringLiteral("\n\nCompiled the 15/06/2006 at 16:32:12\nHave you got")));
            QCOMPARE(text->geometry(), QRect(60, 8, 371, 75));
            // The whole text fits, in a smaller font if need be.
            QVERIFY(text->heightForWidth(371) <= 75);
            for (const char* name : {"Close", "Mail", "Site"}) {
                auto* button = Child<QPushButton>(dialog, name);
                QVERIFY2(button->fontMetrics().horizontalAdvance(button->text().remove(QLatin1Char('&'))) <=
                             button->width() - 8,
                         name);
            }
            auto* logo = Child<QLabel>(dialog, "Logo");
            QVERIFY(logo != nullptr);
            QCOMPARE(logo->geometry(), QRect(10, 8, 40, 40));
            QVERIFY(logo->movie() != nullptr && logo->movie()->frameCount() > 1);
            QCOMPARE(Child<QPushButton>(dialog, "Close")->geometry(), QRect(368, 85, 74, 22));
            Child<QPushButton>(dialog, "Mail")->click();
            Child<QPushButton>(dialog, "Site")->click();
            // Both leave the window open.
            QVERIFY(dialog->isVisible());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        ShowAboutDialog(nullptr);
        QCOMPARE(opened_.size(), std::size_t(2));
        QCOMPARE(opened_[0], QStringLiteral("mailto:contact@kestrova.invalid?subject=Comments%20about%20Kestrova"));
        QCOMPARE(opened_[1], QStringLiteral("https://www.kestrova.invalid/"));

        // The French text, and no logo view when the file is empty.
        App.Language = LanguageFrench;
        App.MakerSite = "http://example.test:8080/";
        fs::resize_file(temp_->Path() / "Datas/logo_m.gif", 0);
        opened_.clear();
        test::WhenModalOpen([](QDialog* dialog) {
            QVERIFY(Child<QLabel>(dialog, "Logo") == nullptr);
            QVERIFY(Child<QLabel>(dialog, "AboutText")
                        ->text()
                        .contains(QStringLiteral(u"Compilé le 15/06/2006 à 16:32:12")));
            Child<QPushButton>(dialog, "Site")->click();
            Child<QPushButton>(dialog, "Close")->click();
        });
        ShowAboutDialog(nullptr);
        QCOMPARE(opened_, std::vector<QString>{QStringLiteral("http://example.test:8080/fr/")});
    }
};

QTEST_MAIN(SmallWindowsTest)
#include "small_windows_qtest.moc"
