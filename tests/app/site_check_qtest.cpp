// Window test of "Vérifier le site…": the check of the test site from the
// menu, the results window (counts, filters, sorting, export), a double
// click on a finding opening the right page and editor, and the check
// before the journal's pages are sent.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "app/main_window.h"
#include "app/report_list.h"
#include "app/site_check_window.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "ui/dialogs.h"
#include "ui/widget_ui.h"

using namespace kestrova;
namespace fs = std::filesystem;

class SiteCheckWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> temp_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    std::unique_ptr<MainWindow> window_;
    ui::QtUi* qtUi_ = nullptr;
    std::string site_;

    QDialog* Results() const { return window_->findChild<QDialog*>(QStringLiteral("SiteCheckResults")); }

    // The row of the results list showing that rule on that page.
    static QTreeWidgetItem* Row(QTreeWidget* list, const QString& rule, const QString& page, const QString& part = {})
    {
        for (int r = 0; r < list->topLevelItemCount(); ++r) {
            QTreeWidgetItem* item = list->topLevelItem(r);
            if (item->text(1) == rule && item->text(2) == page && item->text(4).contains(part))
                return item;
        }
        return nullptr;
    }

    void AnswerNo()
    {
        qtUi_->NextAnswers.clear();
        for (int i = 0; i < 20; ++i)
            qtUi_->NextAnswers.push_back(ui::YesNoAll::No);
    }

private slots:
    void initTestCase()
    {
        temp_ = std::make_unique<test::TempDir>();
        cwd_ = std::make_unique<test::ScopedCurrentDir>(temp_->Path());
        qtUi_ = &ui::InstallQtUi();
        // A copy of the test site: opening its pages must not touch the
        // repository's.
        site_ = (temp_->Path() / "site").string();
        fs::copy(fs::path(KESTROVA_TEST_DATA) / "check/site", site_, fs::copy_options::recursive);
    }

    void init()
    {
        ResetAppState();
        App.Language = LanguageEnglish;
        App.BannerOn = false;
        Page = PageState{};
        ResetEditState();
        ui::Dialogs = ui::DialogHooks{};
        AnswerNo();
        window_ = std::make_unique<MainWindow>();
        window_->show();
        window_->activateWindow();
        if (!QTest::qWaitForWindowActive(window_.get()))
            qWarning("the main window did not become active");
    }

    void cleanup() { window_.reset(); }

    void cleanupTestCase()
    {
        cwd_.reset();
        temp_.reset();
    }

    void menuChecksTheSiteAndShowsEveryFinding()
    {
        QAction* item = window_->MenuAction(MainWindow::MenuSiteCheck);
        QVERIFY(item != nullptr);
        QCOMPARE(item->text(), QStringLiteral("&Check the site\u2026\tCTRL+SHIFT+S"));
        ui::Dialogs.NextFileNames.push_back(site_);
        QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(ui::Dialogs.NextFileNames.empty());
        QDialog* results = Results();
        QVERIFY(results != nullptr);
        QVERIFY(results->isVisible());
        auto* list = results->findChild<QTreeWidget*>(QStringLiteral("FindingList"));
        QVERIFY(list != nullptr);
        QCOMPARE(list->topLevelItemCount(), 99);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("Severity"));
        QCOMPARE(list->headerItem()->text(3), QStringLiteral("Line"));
        QCOMPARE(results->findChild<QLabel*>(QStringLiteral("CheckSummary"))->text(),
                 QStringLiteral("16 error(s), 39 warning(s), 44 notice(s) in 19 page(s)"));
        auto* errors = results->findChild<QCheckBox*>(QStringLiteral("ShowErrors"));
        QCOMPARE(errors->text().remove(QLatin1Char('&')), QStringLiteral("Errors (16)"));

        // Sorted by severity first: the errors on top.
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("error"));
        QCOMPARE(list->topLevelItem(98)->text(0), QStringLiteral("notice"));
        // The filter hides the errors and shows them again.
        errors->setChecked(false);
        int hidden = 0;
        for (int r = 0; r < list->topLevelItemCount(); ++r)
            hidden += list->topLevelItem(r)->isHidden() ? 1 : 0;
        QCOMPARE(hidden, 16);
        errors->setChecked(true);
        QVERIFY(!list->topLevelItem(0)->isHidden());
        // Lines sort as numbers: 9 before 10 and 43.
        list->sortByColumn(3, Qt::AscendingOrder);
        int previous = 0;
        for (int r = 0; r < list->topLevelItemCount(); ++r) {
            const int line = list->topLevelItem(r)->text(3).toInt();
            QVERIFY2(line >= previous, qPrintable(QString::number(r)));
            previous = line;
        }
    }

    void doubleClickOpensThePageAndTheImagesEditorAtTheImage()
    {
        QVERIFY(CheckSiteAndShow(*window_, site_) != nullptr);
        auto* list = Results()->findChild<QTreeWidget*>(QStringLiteral("FindingList"));
        // Not the first image of the page: the editor must move to it.
        QTreeWidgetItem* row = Row(list, QStringLiteral("img-file-missing"), QStringLiteral("images.html"),
                                   QStringLiteral("/images/none.png"));
        QVERIFY(row != nullptr);
        QString selected;
        std::string pageInEditor;
        test::WhenModalOpen(QStringLiteral("ImagesEditor"), [&](QDialog* editor) {
            auto* images = editor->findChild<QTreeWidget*>(QStringLiteral("ImageList"));
            if (images && images->currentItem())
                selected = images->currentItem()->text(0);
            pageInEditor = Page.CurrentPagePath;
            editor->reject();
        });
        emit list->itemDoubleClicked(row, 2);
        QCOMPARE(selected, QStringLiteral("/images/none.png"));
        QVERIFY2(pageInEditor.ends_with("/images.html"), pageInEditor.c_str());
        QVERIFY(window_->windowTitle().contains(QStringLiteral("images.html")));
    }

    void doubleClickOnAKeywordFindingSelectsTheKeyword()
    {
        QVERIFY(CheckSiteAndShow(*window_, site_) != nullptr);
        auto* list = Results()->findChild<QTreeWidget*>(QStringLiteral("FindingList"));
        QTreeWidgetItem* row =
            Row(list, QStringLiteral("keyword-unused"), QStringLiteral("keywords.html"), QStringLiteral("spinnaker"));
        QVERIFY(row != nullptr);
        emit list->itemDoubleClicked(row, 4);
        QVERIFY(Page.CurrentPagePath.ends_with("/keywords.html"));
        ReportListView* keywords = window_->KeywordList();
        QVERIFY(keywords->SelectedRow() >= 0);
        QCOMPARE(keywords->SelectedText(0), std::string("spinnaker"));
        // A finding of another kind opens the page alone.
        QTreeWidgetItem* title = Row(list, QStringLiteral("title-too-long"), QStringLiteral("long.html"));
        QVERIFY(title != nullptr);
        emit list->itemDoubleClicked(title, 0);
        QVERIFY(Page.CurrentPagePath.ends_with("/long.html"));
    }

    void exportWritesTheChosenFormat()
    {
        QVERIFY(CheckSiteAndShow(*window_, site_) != nullptr);
        auto* exportButton = Results()->findChild<QPushButton*>(QStringLiteral("ExportButton"));
        const std::string sarif = (temp_->Path() / "out.sarif").string();
        const std::string text = (temp_->Path() / "out.txt").string();
        ui::Dialogs.NextFileNames.push_back(sarif);
        exportButton->click();
        ui::Dialogs.NextFileNames.push_back(text);
        exportButton->click();
        QVERIFY(test::ReadAll(sarif).find("\"version\": \"2.1.0\"") != std::string::npos);
        QVERIFY(test::ReadAll(text).find("images.html:8:1: error: Image file not found: images/missing.png "
                                         "[img-file-missing]") != std::string::npos);
    }

    // A picture of the results window for the documentation, written only
    // when KESTROVA_SCREENSHOT_DIR names a folder.
    void screenshot()
    {
        const QByteArray dir = qgetenv("KESTROVA_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("KESTROVA_SCREENSHOT_DIR is not set");
        App.Language = LanguageFrench;
        QDialog* results = CheckSiteAndShow(*window_, site_);
        QVERIFY(results != nullptr);
        QTest::qWait(50);
        QVERIFY(results->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/site-check-fr.png")));
    }

    void uploadAsksBeforeSendingPagesWithErrors()
    {
        const std::string bad = site_ + "/links.html";
        const std::string clean = site_ + "/clean/sailing.html";
        const std::size_t before = qtUi_->Recorded.size();
        QVERIFY(ConfirmUploadAfterCheck(window_.get(), site_, {clean}));
        QCOMPARE(qtUi_->Recorded.size(), before);  // nothing asked
        AnswerNo();
        QVERIFY(!ConfirmUploadAfterCheck(window_.get(), site_, {clean, bad}));
        QCOMPARE(qtUi_->Recorded.size(), before + 1);
        const std::string asked = qtUi_->Recorded.back().Text;
        QVERIFY2(asked.find("links.html") != std::string::npos, asked.c_str());
        QVERIFY(asked.find("nothere.html") != std::string::npos);
        QVERIFY(asked.find("sailing.html") == std::string::npos);
        qtUi_->NextAnswers.clear();
        qtUi_->NextAnswers.push_back(ui::YesNoAll::Yes);
        QVERIFY(ConfirmUploadAfterCheck(window_.get(), site_, {bad}));
    }
};

QTEST_MAIN(SiteCheckWindowTest)
#include "site_check_qtest.moc"
