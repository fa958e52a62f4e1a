// Window tests of an installed copy: the preferences leave the updates to
// the package manager, the first start offers the sample site (copied into
// the user's folder), and the data comes from the installation's folder.
#include <QCheckBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "app/main_window.h"
#include "app/preferences_window.h"
#include "app/sample_site.h"
#include "base/app_state.h"
#include "base/program_folders.h"
#include "page/page_state.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "ui/shell_open.h"
#include "ui/widget_ui.h"

using namespace kestrova;
namespace fs = std::filesystem;

class InstalledCopyTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> temp_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    ui::QtUi* qtUi_ = nullptr;
    std::vector<QString> opened_;

    ProgramFolders Installed() const
    {
        ProgramFolders folders;
        folders.Installed = true;
        folders.Data = temp_->File("share/kestrova") + "/";
        folders.Settings = temp_->File("config") + "/";
        folders.State = temp_->File("data") + "/";
        folders.Cache = temp_->File("cache") + "/";
        return folders;
    }

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
        temp_->Write("share/kestrova/Exemple/index.html",
                     "<html><head><title>Le club nautique</title></head><body>voile</body></html>");
        temp_->Write("share/kestrova/Exemple/images/a.gif", "GIF");
        temp_->Write("share/kestrova/Aide Pellworth/AidePellworthEng.htm", "<html>help</html>");
        fs::create_directories(temp_->Path() / "data");
    }

    void init()
    {
        ResetAppState();
        App.Language = "English";
        Page = PageState{};
        UseProgramFolders(Installed());
        opened_.clear();
        qtUi_->Recorded.clear();
        qtUi_->NextAnswers.clear();
    }

    void cleanup() { UseProgramFolders({}); }

    void cleanupTestCase()
    {
        ui::OpenUrlHook = nullptr;
        cwd_.reset();
        temp_.reset();
    }

    void preferencesLeaveUpdatesToThePackageManager()
    {
        for (const std::string& stored : {std::string("bulle|"), std::string("pub|disableupdates")}) {
            test::WhenModalOpen([](QDialog* dialog) {
                auto* updates = dialog->findChild<QCheckBox*>(QStringLiteral("DisableUpdates"));
                QVERIFY(updates);
                QVERIFY(!updates->isEnabled());
                QVERIFY(updates->isChecked());
                QCOMPARE(updates->text().remove(QLatin1Char('&')),
                         QStringLiteral("Updates come from the package manager"));
                QVERIFY2(updates->sizeHint().width() <= updates->width(), qPrintable(updates->text()));
                dialog->findChild<QPushButton*>(QStringLiteral("OK"))->click();
            });
            // The stored word is kept as it was, for a portable copy.
            QCOMPARE(ShowPreferencesDialog(nullptr, stored), stored);
            QVERIFY(App.DisableUpdates);
        }
    }

    void firstStartOpensACopyOfTheSampleSite()
    {
        MainWindow window;
        qtUi_->NextAnswers.push_back(ui::YesNoAll::Yes);
        OfferSampleSite(window);
        QCOMPARE(qtUi_->Recorded.size(), std::size_t(1));
        QCOMPARE(qtUi_->Recorded[0].Kind, std::string("yesno"));
        QCOMPARE(qtUi_->Recorded[0].Title, std::string("Sample site"));
        const std::string copy = temp_->File("data/Exemple/index.html");
        QCOMPARE(Page.CurrentPagePath, copy);
        QCOMPARE(window.TitleField()->toPlainText(), QStringLiteral("Le club nautique"));
        QCOMPARE(test::ReadAll(temp_->File("data/Exemple/images/a.gif")), std::string("GIF"));
        QVERIFY(!Page.PageReadOnly);
    }

    void firstStartDeclinedCopiesNothing()
    {
        fs::remove_all(temp_->Path() / "data" / "Exemple");
        MainWindow window;
        qtUi_->NextAnswers.push_back(ui::YesNoAll::No);
        OfferSampleSite(window);
        QCOMPARE(qtUi_->Recorded.size(), std::size_t(1));
        QVERIFY(Page.CurrentPagePath.empty());
        QVERIFY(!fs::exists(temp_->Path() / "data" / "Exemple"));
    }

    void helpPageComesFromTheDataFolder()
    {
        qtUi_->NextAnswers.push_back(ui::YesNoAll::Yes);  // the information message
        MainWindow window;
        window.MenuAction(MainWindow::MenuHelp)->trigger();
        QCOMPARE(opened_.size(), std::size_t(1));
        QCOMPARE(opened_[0], QUrl::fromLocalFile(QString::fromStdString(temp_->File("share/kestrova")) +
                                                 QStringLiteral("/Aide Pellworth/AidePellworthEng.htm"))
                                 .toString(QUrl::FullyEncoded));
    }
};

QTEST_MAIN(InstalledCopyTest)
#include "installed_copy_qtest.moc"
