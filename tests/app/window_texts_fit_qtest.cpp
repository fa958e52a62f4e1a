// Every window of the program, in French and in English, shows its texts
// whole: no button, label, frame caption or column title narrower than its
// text in the font it is drawn with, and no column past the right edge of
// its list. CTest runs this program at the normal scale and again with
// QT_SCALE_FACTOR=2.
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/about_window.h"
#include "app/images_editor.h"
#include "app/journal_window.h"
#include "app/language_dialog.h"
#include "app/main_window.h"
#include "app/meta_tags_editor.h"
#include "app/page_source_viewer.h"
#include "app/preferences_window.h"
#include "app/sentence_editor.h"
#include "app/server_dialog.h"
#include "app/site_statistics.h"
#include "app/site_wide_update.h"
#include "app/update_window.h"
#include "base/app_state.h"
#include "base/clock.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/journal.h"
#include "page/page_state.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "ui/dialogs.h"
#include "ui/text_room.h"
#include "ui/widget_ui.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

const std::string PageText = "<html><head><title>Le port de p\xEA"
                             "che</title>"
                             "<meta name=\"description\" content=\"Les barques du port\">"
                             "<meta name=\"Content-Language\" content=\"fr\">"
                             "<meta name=\"keywords\" content=\"port, barque, quai\"></head>"
                             "<body><p>Le port et les barques du quai.</p>"
                             "<img src=\"a.gif\" alt=\"Vue du port\"></body></html>";

}  // namespace

class WindowTextsFitTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> temp_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    ui::QtUi* qtUi_ = nullptr;
    std::string page_;
    QStringList problems_;

    // Opens a modal window with open and records what it clips.
    void Check(const QString& name, const std::function<void()>& open)
    {
        bool seen = false;
        test::WhenModalOpen(name, [&](QDialog* d) {
            seen = true;
            if (!QTest::qWaitForWindowExposed(d))
                problems_ << name + QStringLiteral(": not shown");
            QApplication::processEvents();
            for (const QString& p : ui::ClippedTexts(d))
                problems_ << QString::fromStdString(App.Language) + QStringLiteral(" ") + name + QStringLiteral(": ") +
                                 p;
            // With KESTROVA_SCREENSHOT_DIR set, the README's pictures of the
            // editors and the journal window (French run).
            const QByteArray dir = qgetenv("KESTROVA_SCREENSHOT_DIR");
            if (!dir.isEmpty() && App.Language == LanguageFrench && !name.isEmpty()) {
                QTest::qWait(100);
                const QString file =
                    QString::fromLocal8Bit(dir) + QLatin1Char('/') + name.toLower() + QStringLiteral("-fr.png");
                if (!d->grab().save(file))
                    problems_ << QStringLiteral("cannot write ") + file;
            }
            d->done(QDialog::Rejected);
        });
        open();
        if (!seen)
            problems_ << name + QStringLiteral(": never opened");
    }

    void CheckMainWindow(MainWindow& w, const char* state)
    {
        QApplication::processEvents();
        for (const QString& p : ui::ClippedTexts(&w))
            problems_ << QString::fromStdString(App.Language) + QStringLiteral(" main window ") +
                             QString::fromLatin1(state) + QStringLiteral(": ") + p;
    }

private slots:
    void initTestCase()
    {
        qtUi_ = &ui::InstallQtUi();
        qInfo("scale factor: %s", qgetenv("QT_SCALE_FACTOR").isEmpty() ? "1" : qgetenv("QT_SCALE_FACTOR").constData());
    }

    void init()
    {
        temp_ = std::make_unique<test::TempDir>();
        cwd_ = std::make_unique<test::ScopedCurrentDir>(temp_->Path());
        ResetAppState();
        App.Preferences = "pub|";
        App.BannerOn = false;
        Page = PageState{};
        ResetEditState();
        ui::Dialogs = ui::DialogHooks{};
        qtUi_->NextAnswers.assign(50, ui::YesNoAll::No);
        page_ = temp_->Write("site/index.htm", PageText);
        temp_->Write("site/a.gif", "GIF89a");
        temp_->Write("site/autre.htm", PageText);
        problems_.clear();
    }

    void cleanup()
    {
        cwd_.reset();
        temp_.reset();
    }

    void everyWindowShowsItsTextsWhole_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("French") << QString::fromLatin1(LanguageFrench);
        QTest::newRow("English") << QStringLiteral("English");
    }

    void everyWindowShowsItsTextsWhole()
    {
        QFETCH(QString, language);
        App.Language = language.toLatin1().toStdString();

        auto w = std::make_unique<MainWindow>();
        w->resize(712, 600);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        ui::Dialogs.NextFileNames.push_back(page_);
        w->MenuAction(MainWindow::MenuOpenLocal)->trigger();
        QCOMPARE(Page.CurrentPagePath, page_);
        CheckMainWindow(*w, "712 x 600");
        w->resize(w->minimumSize());
        CheckMainWindow(*w, "at its smallest");
        w->resize(712, 600);

        Check(QStringLiteral("MetaTagsEditor"), [] { MetaTagsEditor(nullptr); });
        Check(QStringLiteral("ImagesEditor"), [] { ImagesEditor(nullptr); });
        Check(QStringLiteral("SentenceEditor"), [] { SentenceEditor(nullptr, "port"); });
        Check(QStringLiteral("PageSource"),
              [this] { ShowPageSource(nullptr, page_, fs::path(page_).parent_path().string() + "/"); });
        Check(QStringLiteral("SiteWideUpdate"),
              [this] { SiteWideUpdate(nullptr, TranslateFrenchKey("Dossier :"), temp_->File("site/a.gif")); });
        QVERIFY(AddJournalEntry(page_));
        Check(QStringLiteral("JournalWindow"), [this] { JournalWindow(nullptr, temp_->File("site")); });
        Check(QStringLiteral("SiteWordStatistics"),
              [this] { ShowSiteWordStatistics(nullptr, temp_->File("site") + "/"); });
        Check(QStringLiteral("PreferencesWindow"), [] { ShowPreferencesDialog(nullptr, "pub|"); });
        Check(QStringLiteral("AboutWindow"), [] { ShowAboutDialog(nullptr); });
        Check(QStringLiteral("LanguageDialog"), [] { ShowLanguageDialog(nullptr); });
        Check(QStringLiteral("ServerDialog"), [] { ServerDialog(1, nullptr); });
        // The search dialog of the page source viewer, over the viewer.
        bool searched = false;
        test::WhenModalOpen(QStringLiteral("PageSource"), [&](QDialog* viewer) {
            test::WhenModalOpen(QStringLiteral("SearchDialog"), [&](QDialog* d) {
                searched = true;
                for (const QString& p : ui::ClippedTexts(d))
                    problems_ << QString::fromStdString(App.Language) + QStringLiteral(" SearchDialog: ") + p;
                d->done(QDialog::Rejected);
            });
            viewer->findChild<QPushButton*>(QStringLiteral("Rechercher"))->click();
            viewer->done(QDialog::Rejected);
        });
        ShowPageSource(nullptr, page_, fs::path(page_).parent_path().string() + "/");
        QVERIFY(searched);
        Check(QString(), [] { UpdateReadyDialog(nullptr); });  // not named
        w.reset();
        QVERIFY2(problems_.isEmpty(), qPrintable(problems_.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(WindowTextsFitTest)
#include "window_texts_fit_qtest.moc"
