// Window test of a UTF-8 page mixing Latin, Greek and Cyrillic words: the
// lists show each word once, lower-cased and as written; a title typed in
// another script is saved in UTF-8.
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/main_window.h"
#include "app/report_list.h"
#include "base/app_state.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "tests/support/temp_site.h"
#include "tests/support/window_test.h"
#include "ui/dialogs.h"
#include "ui/widget_ui.h"

using namespace kestrova;

namespace {

// Each row of a list as the window shows it: word, count.
std::vector<std::pair<QString, QString>> Shown(ReportListView* list)
{
    std::vector<std::pair<QString, QString>> rows;
    auto* model = list->model();
    for (int r = 0; r < model->rowCount(); ++r)
        rows.emplace_back(model->index(r, 0).data().toString(), model->index(r, 1).data().toString());
    return rows;
}

int Occurrences(ReportListView* list, const QString& word)
{
    int n = 0;
    for (const auto& row : Shown(list))
        n += row.first == word;
    return n;
}

QString CountOf(ReportListView* list, const QString& word)
{
    for (const auto& row : Shown(list))
        if (row.first == word)
            return row.second;
    return QStringLiteral("missing");
}

}  // namespace

class UnicodePageTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> temp_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    std::unique_ptr<MainWindow> window_;
    ui::QtUi* qtUi_ = nullptr;

private slots:
    void initTestCase()
    {
        temp_ = std::make_unique<test::TempDir>();
        cwd_ = std::make_unique<test::ScopedCurrentDir>(temp_->Path());
        qtUi_ = &ui::InstallQtUi();
        for (int i = 0; i < 20; ++i)
            qtUi_->NextAnswers.push_back(ui::YesNoAll::No);
    }

    void cleanupTestCase()
    {
        window_.reset();
        cwd_.reset();
        temp_.reset();
    }

    void mixedScriptsAreListedOnceInLowerCase()
    {
        test::ResetProgramState("English");
        ui::Dialogs = ui::DialogHooks{};

        // No charset declared: the bytes make it UTF-8.
        const QString page =
            QStringLiteral("<html><head><title>Ωμέγα και Привет</title>\n"
                           "<meta name=\"keywords\" content=\"ΩΜΈΓΑ, СЛОВО, Straße\">\n"
                           "</head><body><p>Слово СЛОВО слово, ωμέγα ΩΜΈΓΑ; Straße STRASSE école ÉCOLE.</p>\n"
                           "<img src=\"x.gif\" alt=\"Привет мир\"></body></html>\n");
        const std::string path = temp_->Write("site/mix.html", page.toStdString());

        test::ShowNewMainWindow(window_);
        ui::Dialogs.NextFileNames.push_back(path);
        QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
        QVERIFY(ui::Dialogs.NextFileNames.empty());
        QCOMPARE(Page.CurrentPagePath, path);
        QVERIFY(Page.PageUtf8);

        MainWindow& w = *window_;
        QCOMPARE(w.TitleField()->toPlainText(), QStringLiteral("Ωμέγα και Привет"));
        ReportListView* other = w.OtherWordList();
        const std::pair<QString, QString> expected[] = {
            {QStringLiteral("слово"), QStringLiteral("3")},  {QStringLiteral("ωμέγα"), QStringLiteral("3")},
            {QStringLiteral("привет"), QStringLiteral("2")}, {QStringLiteral("мир"), QStringLiteral("1")},
            {QStringLiteral("και"), QStringLiteral("1")},    {QStringLiteral("straße"), QStringLiteral("1")},
            {QStringLiteral("école"), QStringLiteral("2")},
        };
        for (const auto& [word, count] : expected) {
            QCOMPARE(Occurrences(other, word), 1);
            QCOMPARE(CountOf(other, word), count);
        }
        // Nothing is shown in capitals or as escape bytes.
        for (const auto& row : Shown(other)) {
            QCOMPARE(row.first, row.first.toLower());
            QVERIFY2(!row.first.contains(QChar(0x0E)), qPrintable(row.first));
        }
        // Declared keywords in capitals are found among the lower-cased words.
        const std::vector<std::pair<QString, QString>> keywords = Shown(w.KeywordList());
        QCOMPARE(keywords.size(), std::size_t(3));
        for (const auto& row : keywords)
            QCOMPARE(row.second, QStringLiteral("Yes"));

        // A title in Greek and Cyrillic is saved in UTF-8.
        w.TitleField()->setPlainText(QStringLiteral("Νέος τίτλος – Новый"));
        QVERIFY(w.TitleSaveButton()->isEnabled());
        QTest::mouseClick(w.TitleSaveButton(), Qt::LeftButton);
        const std::string saved = test::ReadAll(path);
        QVERIFY2(saved.find(QStringLiteral("<title>Νέος τίτλος – Новый</title>").toStdString()) != std::string::npos,
                 saved.c_str());
        QCOMPARE(w.TitleField()->toPlainText(), QStringLiteral("Νέος τίτλος – Новый"));
        QCOMPARE(CountOf(other, QStringLiteral("νέος")), QStringLiteral("1"));
    }
};

QTEST_MAIN(UnicodePageTest)
#include "unicode_page_qtest.moc"
