// The window "Pertinence des mots clés": what it shows of a page of a small
// site, and "Ajouter aux mots clés" on a suggested term making one change of
// the page (one backup, one journal line).
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "app/main_window.h"
#include "app/relevance_window.h"
#include "base/app_state.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_history.h"
#include "page/page_state.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "ui/dialogs.h"
#include "ui/widget_ui.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

// The journal's entries: its lines that are not empty.
int Entries(const std::string& text)
{
    int entries = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            ++entries;
        start = end + 1;
    }
    return entries;
}

QString Text(QTableWidget* table, int row, int column)
{
    QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QString();
}

}  // namespace

class RelevanceWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetAppState();
        App.Language = LanguageFrench;
        kestrova::Page = PageState{};
        ResetEditState();
        ui::InstallQtUi();
        owner = std::make_unique<QWidget>();
        owner->show();
    }
    void cleanup() { owner.reset(); }

    void showsThePageAndAddsASuggestedTermAsOneChange()
    {
        test::TempDir dir;
        test::ScopedCurrentDir current(dir.Path());
        const std::string page =
            dir.Write("site/voilier.htm", "<html lang=\"fr\"><head><title>Voilier</title>"
                                          "<meta name=\"keywords\" content=\"bateau\"></head>"
                                          "<body><p>Un voilier, un voilier et un bateau.</p></body></html>");
        dir.Write("site/port.htm", "<html><body><p>bateau au port</p></body></html>");
        kestrova::Page.CurrentPagePath = page;
        std::vector<std::string> added;
        bool checked = false;
        test::WhenModalOpen(QStringLiteral("KeywordRelevance"), [&](QDialog* window) {
            auto* keywords = window->findChild<QTableWidget*>(QStringLiteral("RelevanceKeywordTable"));
            auto* terms = window->findChild<QTableWidget*>(QStringLiteral("RelevanceTermTable"));
            auto* add = window->findChild<QPushButton*>(QStringLiteral("AjouterAuxMotsClesButton"));
            auto* reading = window->findChild<QLabel*>(QStringLiteral("ReadabilityLine"));
            QVERIFY(keywords && terms && add && reading);
            QCOMPARE(window->windowTitle(), QString::fromUtf8("Pertinence des mots cl\xC3\xA9s"));
            // The title's voilier, then un, voilier, un, voilier, et, un, bateau.
            QCOMPARE(keywords->rowCount(), 1);
            QCOMPARE(Text(keywords, 0, 0), QStringLiteral("bateau"));
            QCOMPARE(Text(keywords, 0, 1), QStringLiteral("1"));
            QCOMPARE(Text(keywords, 0, 2), QStringLiteral("12.50 %"));  // 1 of 8 words
            QCOMPARE(Text(keywords, 0, 4), QStringLiteral("Non"));      // not in the title
            QVERIFY(reading->text().contains(QStringLiteral("2 phrases")));
            // The best term: voilier, three times, on one page of two.
            QCOMPARE(Text(terms, 0, 0), QStringLiteral("voilier"));
            QCOMPARE(Text(terms, 0, 1), QStringLiteral("3"));
            QCOMPARE(Text(terms, 0, 3), QStringLiteral("Non"));
            QVERIFY(!add->isEnabled());
            // A declared term cannot be added again.
            for (int row = 0; row < terms->rowCount(); ++row) {
                if (Text(terms, row, 0) == QStringLiteral("bateau")) {
                    terms->selectRow(row);
                    QCOMPARE(Text(terms, row, 3), QStringLiteral("Oui"));
                    QVERIFY(!add->isEnabled());
                }
            }
            // Sorted on a column, then on the first: the button acts on the
            // term of the selected row wherever it went.
            terms->horizontalHeader()->sectionClicked(1);  // occurrences, most first
            QCOMPARE(Text(terms, 0, 0), QStringLiteral("voilier"));
            terms->horizontalHeader()->sectionClicked(0);  // terms in order
            for (int row = 1; row < terms->rowCount(); ++row)
                QVERIFY(Text(terms, row - 1, 0) < Text(terms, row, 0));
            int voilier = -1;
            for (int row = 0; row < terms->rowCount(); ++row)
                if (Text(terms, row, 0) == QStringLiteral("voilier"))
                    voilier = row;
            QVERIFY(voilier > 0);
            terms->selectRow(voilier);
            QVERIFY(add->isEnabled());
            QTest::mouseClick(add, Qt::LeftButton);
            // The window shows the page as it is now.
            QCOMPARE(keywords->rowCount(), 2);
            QCOMPARE(Text(keywords, 0, 0), QStringLiteral("voilier"));
            QCOMPARE(Text(keywords, 0, 1), QStringLiteral("3"));
            QCOMPARE(Text(terms, 0, 0), QStringLiteral("voilier"));
            QCOMPARE(Text(terms, 0, 3), QStringLiteral("Oui"));
            checked = true;
            window->reject();
        });
        ShowKeywordRelevance(owner.get(), page, dir.File("site/"), false,
                             [&](const std::string& k) { added.push_back(k); });
        QVERIFY(checked);
        QCOMPARE(added, std::vector<std::string>{"voilier"});
        const std::string after = test::ReadAll(page);
        QVERIFY2(after.find("content=\"voilier,bateau\"") != std::string::npos ||
                     after.find("content=\"voilier, bateau\"") != std::string::npos,
                 after.c_str());
        // One backup of the page as it was (beside the page's history), one
        // journal line, one version in the history.
        QCOMPARE(test::FolderEntries(dir.Path() / "site" / "Sauvegarde"),
                 (std::vector<std::string>{HistoryFolderName, "voilier.htm"}));
        QCOMPARE(PageHistory((dir.Path() / "site" / "voilier.htm").string()).size(), std::size_t(1));
        QVERIFY(
            test::ReadAll((dir.Path() / "site" / "Sauvegarde" / "voilier.htm").string()).find("content=\"bateau\"") !=
            std::string::npos);
        const std::string journal = test::ReadAll((dir.Path() / "Kestrova_log.txt").string());
        QVERIFY2(Entries(journal) == 1, journal.c_str());
    }

    void theMainWindowOpensItAndShowsTheAddedKeyword()
    {
        test::TempDir dir;
        test::ScopedCurrentDir current(dir.Path());
        const std::string page =
            dir.Write("site/voilier.htm", "<html lang=\"fr\"><head><title>Voilier</title>"
                                          "<meta name=\"keywords\" content=\"bateau\"></head>"
                                          "<body><p>Un voilier, un voilier et un bateau.</p></body></html>");
        App.Preferences = "pub|";
        App.BannerOn = false;
        ui::Dialogs = ui::DialogHooks{};
        MainWindow w;
        w.resize(712, 600);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QAction* item = w.MenuAction(MainWindow::MenuKeywordRelevance);
        QVERIFY(item != nullptr);
        QVERIFY(!item->isEnabled());  // no page yet
        ui::Dialogs.NextFileNames.push_back(page);
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(ui::Dialogs.NextFileNames.empty());
        QVERIFY(item->isEnabled());
        bool opened = false;
        test::WhenModalOpen(QStringLiteral("KeywordRelevance"), [&](QDialog* window) {
            auto* terms = window->findChild<QTableWidget*>(QStringLiteral("RelevanceTermTable"));
            auto* add = window->findChild<QPushButton*>(QStringLiteral("AjouterAuxMotsClesButton"));
            QVERIFY(terms && add);
            QCOMPARE(Text(terms, 0, 0), QStringLiteral("voilier"));
            terms->selectRow(0);
            QTest::mouseClick(add, Qt::LeftButton);
            opened = true;
            window->reject();
        });
        QTest::keyClick(&w, Qt::Key_K, Qt::ControlModifier);
        QVERIFY(opened);
        // The main window's keyword list shows the keyword, used, in order.
        const ReportList& keywords = kestrova::Page.KeywordList;
        QCOMPARE(keywords.Rows.size(), std::size_t{2});
        QCOMPARE(keywords.Rows[0], (std::vector<std::string>{"bateau", "Oui"}));
        QCOMPARE(keywords.Rows[1], (std::vector<std::string>{"voilier", "Oui"}));
    }

    void aReadOnlyPageOffersNoAddition()
    {
        test::TempDir dir;
        const std::string page =
            dir.Write("p.htm", "<html><body><p>Un voilier, un voilier et un bateau.</p></body></html>");
        kestrova::Page.CurrentPagePath = page;
        bool checked = false;
        App.WordForms = false;
        test::WhenModalOpen(QStringLiteral("KeywordRelevance"), [&](QDialog* window) {
            auto* terms = window->findChild<QTableWidget*>(QStringLiteral("RelevanceTermTable"));
            auto* add = window->findChild<QPushButton*>(QStringLiteral("AjouterAuxMotsClesButton"));
            auto* forms = window->findChild<QCheckBox*>(QStringLiteral("WordFormsBox"));
            QVERIFY(terms && add && forms);
            QVERIFY(!forms->isChecked());
            terms->selectRow(0);
            QVERIFY(!add->isEnabled());
            // The box is the setting.
            forms->setChecked(true);
            QVERIFY(App.WordForms);
            checked = true;
            window->reject();
        });
        ShowKeywordRelevance(owner.get(), page, "", true, {});
        QVERIFY(checked);
        QVERIFY(!fs::exists(dir.Path() / "Sauvegarde"));
    }

    // A picture of the window for the documentation, written only when
    // KESTROVA_SCREENSHOT_DIR names a folder.
    void screenshot()
    {
        const QByteArray dir = qgetenv("KESTROVA_SCREENSHOT_DIR");
        if (dir.isEmpty())
            QSKIP("KESTROVA_SCREENSHOT_DIR is not set");
        const std::string page = std::string(KESTROVA_SOURCE_DIR) + "/resources/dist/Exemple/index.html";
        kestrova::Page.CurrentPagePath = page;
        bool saved = false;
        test::WhenModalOpen(QStringLiteral("KeywordRelevance"), [&](QDialog* window) {
            window->resize(980, 600);
            auto* terms = window->findChild<QTableWidget*>(QStringLiteral("RelevanceTermTable"));
            QVERIFY(terms);
            terms->selectRow(2);
            QTest::qWait(100);
            const QString file = QString::fromLocal8Bit(dir) + QStringLiteral("/keyword-relevance-fr.png");
            QVERIFY(window->grab().save(file));
            saved = true;
            window->reject();
        });
        // Not read-only, so that the picture shows the button usable; nothing
        // is clicked, the sample page is not changed.
        ShowKeywordRelevance(owner.get(), page, std::string(KESTROVA_SOURCE_DIR) + "/resources/dist/Exemple/", false,
                             {});
        QVERIFY(saved);
    }

private:
    std::unique_ptr<QWidget> owner;
};

QTEST_MAIN(RelevanceWindowTest)
#include "relevance_window_qtest.moc"
