// The meta tags, images and sentences windows driven on a small site: what
// they list, and what each "Enregistrer" leaves in the pages, the backups and
// the journal.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/images_editor.h"
#include "app/meta_tags_editor.h"
#include "app/sentence_editor.h"
#include "app/site_choice.h"
#include "base/app_state.h"
#include "base/clock.h"
#include "base/translate.h"
#include "base/unicode_text.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"
#include "tests/support/window_test.h"
#include "ui/text_convert.h"
#include "ui/widget_ui.h"
#include "ui/window_helpers.h"

using namespace kestrova;
namespace fs = std::filesystem;

namespace {

QString Cell(QTreeWidget* list, int row, int column)
{
    return list->topLevelItem(row) ? list->topLevelItem(row)->text(column) : QStringLiteral("<none>");
}

std::string Html(const std::string& head, const std::string& body)
{
    return "<html><head><title>Le site</title>" + head + "</head><body>" + body + "</body></html>";
}

}  // namespace

class EditorsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> temp_;
    std::unique_ptr<test::ScopedCurrentDir> cwd_;
    ui::QtUi* qtUi_ = nullptr;
    test::ScriptedAnswers answers_;

    std::string Write(const std::string& relative, const std::string& bytes)
    {
        std::string path = temp_->Write("site/" + relative, bytes);
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(48));
        return path;
    }
    void Answers(std::initializer_list<ui::YesNoAll> answers) { answers_.Answer(answers); }
    std::vector<ui::QtUi::Shown> Asked() const { return answers_.Asked(); }
    std::vector<std::string> JournalPaths() const
    {
        std::vector<std::string> paths;
        std::string all = test::ReadAll(temp_->File("Kestrova_log.txt"));
        std::size_t start = 0;
        while (start < all.size()) {
            std::size_t end = all.find('\n', start);
            if (end == std::string::npos)
                end = all.size();
            const std::string line = all.substr(start, end - start);
            if (!line.empty())
                paths.push_back(line.substr(0, line.find('|')));
            start = end + 1;
        }
        return paths;
    }
    std::string Backup(const std::string& page) const
    {
        return test::ReadAll((fs::path(page).parent_path() / "Sauvegarde" / fs::path(page).filename()).string());
    }

private slots:
    void initTestCase() { qtUi_ = &ui::InstallQtUi(); }

    void init()
    {
        temp_ = std::make_unique<test::TempDir>();
        cwd_ = std::make_unique<test::ScopedCurrentDir>(temp_->Path());
        ResetAppState();
        App.Language = LanguageFrench;
        Page = PageState{};
        ResetEditState();
        Answers({});
    }

    void cleanup()
    {
        SetSiteChooserForTesting(nullptr);
        cwd_.reset();
        temp_.reset();
    }

    void metaTagsEditorListsSavesAndUpdatesTheSite()
    {
        const std::string head = R"(<meta name="Robots" content=""><meta name="description" content="Vieux">)";
        Page.CurrentPagePath = Write("index.htm", Html(head, "x"));
        const std::string other = Write("sub/a.htm", Html("", "a"));
        const std::string third = Write("b.htm", Html(R"(<meta name="author" content="X">)", "b"));
        std::string asked;
        int listed = 0;
        bool ran = false;
        test::WhenModalOpen(QStringLiteral("MetaTagsEditor"), [&](QDialog* w) {
            ran = true;
            // Wider when the font needs it for the captions.
            QVERIFY(w->width() >= 450);
            QCOMPARE(w->height(), 415);
            QCOMPARE(w->windowTitle(), QStringLiteral("Balises Meta - Page \"index.htm\""));
            auto* list = w->findChild<QTreeWidget*>(QStringLiteral("MetaList"));
            auto* content = w->findChild<QPlainTextEdit*>(QStringLiteral("MetaContent"));
            auto* description = w->findChild<QLabel*>(QStringLiteral("MetaDescription"));
            auto* help = w->findChild<QLabel*>(QStringLiteral("MetaHelp"));
            auto* save = w->findChild<QPushButton*>(QStringLiteral("SaveButton"));
            auto* siteWide = w->findChild<QPushButton*>(QStringLiteral("SiteWideButton"));
            auto* close = w->findChild<QPushButton*>(QStringLiteral("CloseButton"));
            QVERIFY(list && content && description && help && save && siteWide && close);
            QCOMPARE(list->topLevelItemCount(), 18);
            QCOMPARE(siteWide->geometry(), QRect(10, 390, 280, 18));
            QCOMPARE(siteWide->text().remove(QLatin1Char('&')),
                     QStringLiteral(u"Mettre à jour toutes les pages du site..."));
            QCOMPARE(Cell(list, 0, 0), QStringLiteral("Author"));
            QCOMPARE(Cell(list, 0, 1), QStringLiteral("Non"));
            QCOMPARE(Cell(list, 13, 0), QStringLiteral("Robots"));
            QCOMPARE(Cell(list, 13, 1), QStringLiteral("Oui"));
            QCOMPARE(Cell(list, 13, 2), QString());
            QCOMPARE(Cell(list, 5, 2), QStringLiteral("Vieux"));
            // The first missing tag is selected, with its texts.
            QCOMPARE(list->indexOfTopLevelItem(list->currentItem()), 0);
            QCOMPARE(description->text(), QStringLiteral("Auteur de la page."));
            QVERIFY(help->text().startsWith(QStringLiteral("Zone non obligatoire\n")));

            list->setCurrentItem(list->topLevelItem(5));
            QCOMPARE(content->toPlainText(), QStringLiteral("Vieux"));
            content->setPlainText(QStringLiteral(u"Nouveau café"));
            Answers({});
            save->click();
            QCOMPARE(Cell(list, 5, 1), QStringLiteral("Oui"));
            QCOMPARE(Cell(list, 5, 2), QStringLiteral(u"Nouveau café"));
            QVERIFY(Asked().empty());

            // Author on the whole site: one question, "Oui pour toutes".
            list->setCurrentItem(list->topLevelItem(0));
            content->setPlainText(QStringLiteral("Jean Exemple"));
            Answers({ui::YesNoAll::YesToAll});
            // The site-wide window: every page, and not the backup kept
            // beside index.htm.
            test::WhenModalOpen(QStringLiteral("SiteWideUpdate"), [&](QDialog* d) {
                auto* files = d->findChild<QTreeWidget*>(QStringLiteral("SiteFileList"));
                auto* text = d->findChild<QLabel*>(QStringLiteral("MessageText"));
                QVERIFY(files && text);
                asked = ui::ToPage(text->text());
                listed = files->topLevelItemCount();
                for (int i = 0; i < files->topLevelItemCount(); ++i)
                    QVERIFY(!files->topLevelItem(i)->text(0).contains(QStringLiteral("Sauvegarde")));
                d->findChild<QPushButton*>(QStringLiteral("OK"))->click();
            });
            siteWide->click();
            QCOMPARE(Asked().size(), std::size_t(1));
            QCOMPARE(Cell(list, 0, 1), QStringLiteral("Oui"));
            QCOMPARE(Cell(list, 0, 2), QStringLiteral("Jean Exemple"));
            close->click();
        });
        QVERIFY(MetaTagsEditor(nullptr));
        QVERIFY(ran);
        QCOMPARE(listed, 3);
        QCOMPARE(asked.substr(0, asked.find("Dossier :") + 9),
                 std::string("Mise \xE0 jour de la balise ''Author''\n\nNouveau contenu :\n''Jean Exemple''"
                             "\n\nDossier :"));
        // A created tag goes right after <head>.
        const std::string author =
            "<html><head>\r\n<meta name=\"Author\" content=\"Jean Exemple\"><title>Le site</title>";
        QCOMPARE(test::ReadAll(Page.CurrentPagePath),
                 author + R"(<meta name="Robots" content=""><meta name="description" content="Nouveau caf&eacute;">)"
                          "</head><body>x</body></html>");
        QCOMPARE(test::ReadAll(other), author + "</head><body>a</body></html>");
        QCOMPARE(test::ReadAll(third), Html(R"(<meta name="author" content="Jean Exemple">)", "b"));
        QCOMPARE(Backup(third), Html(R"(<meta name="author" content="X">)", "b"));
        QCOMPARE(JournalPaths(), (std::vector<std::string>{Page.CurrentPagePath, third, other}));
    }

    void imagesEditorAltTextsAndRenaming()
    {
        QImage picture(300, 200, QImage::Format_RGB32);
        picture.fill(Qt::red);
        fs::create_directories(temp_->File("site"));
        QVERIFY(picture.save(QString::fromStdString(temp_->File("site/logo.gif")), "PNG"));
        const std::string body = R"(<img src="x.gif"><img alt="Avant" src="a.gif"><img src="logo.gif" alt="Logo">)"
                                 R"(<p>x</p><img src="logo.gif">)";
        const std::string page = Write("index.htm", Html("", body));
        const std::string other = Write("sub/o.htm", Html("", R"(<img src="../logo.gif">)"));
        Page.CurrentPagePath = page;

        bool ran = false;
        int chooserCalls = 0;
        test::WhenModalOpen(QStringLiteral("ImagesEditor"), [&](QDialog* w) {
            ran = true;
            // Wider when the font needs it for the captions.
            QVERIFY(w->width() >= 450);
            QCOMPARE(w->height(), 410);
            auto* list = w->findChild<QTreeWidget*>(QStringLiteral("ImageList"));
            auto* name = w->findChild<QLineEdit*>(QStringLiteral("ImageName"));
            auto* alt = w->findChild<QLineEdit*>(QStringLiteral("ImageAlt"));
            auto* thumbnail = w->findChild<QLabel*>(QStringLiteral("Thumbnail"));
            auto* save = w->findChild<QPushButton*>(QStringLiteral("SaveButton"));
            QVERIFY(list && name && alt && thumbnail && save);
            QCOMPARE(list->topLevelItemCount(), 4);
            // a.gif's src comes after its alt: an image all the same, with
            // its own alt.
            QCOMPARE(Cell(list, 0, 0), QStringLiteral("x.gif"));
            QCOMPARE(Cell(list, 0, 1), QString());
            QCOMPARE(Cell(list, 1, 0), QStringLiteral("a.gif"));
            QCOMPARE(Cell(list, 1, 1), QStringLiteral("Avant"));
            QCOMPARE(Cell(list, 2, 1), QStringLiteral("Logo"));
            QCOMPARE(Cell(list, 3, 1), QString());
            QCOMPARE(name->text(), QStringLiteral("x.gif"));
            QVERIFY(thumbnail->pixmap().isNull());  // no such file

            list->setCurrentItem(list->topLevelItem(2));
            QCOMPARE(alt->text(), QStringLiteral("Logo"));
            QCOMPARE(thumbnail->pixmap().size(), QSize(75, 50));

            // An alt for the second use of logo.gif only.
            list->setCurrentItem(list->topLevelItem(3));
            alt->setText(QStringLiteral("Encore"));
            Answers({});
            save->click();
            QCOMPARE(Cell(list, 3, 1), QStringLiteral("Encore"));
            QVERIFY(Asked().empty());

            // Renaming x.gif, the site choice cancelled: the page changes,
            // and the user is reminded to rename the file.
            SetSiteChooserForTesting([&](const std::string&, const std::string&) {
                ++chooserCalls;
                return std::string();
            });
            list->setCurrentItem(list->topLevelItem(0));
            name->setText(QStringLiteral("y.gif"));
            Answers({ui::YesNoAll::Yes});
            save->click();
            QCOMPARE(Cell(list, 0, 0), QStringLiteral("y.gif"));
            QCOMPARE(Asked().size(), std::size_t(1));
            QCOMPARE(Asked()[0].Title, std::string("Attention !"));
            QCOMPARE(Asked()[0].Text,
                     std::string("Pensez \xE0 renommer votre image pour qu'elle s'affiche correctement !"));

            // Renaming logo.gif on the whole site: both uses, both rows, the
            // page in sub/ in its own form, and the file.
            SetSiteChooserForTesting([&](const std::string& message, const std::string& image) {
                ++chooserCalls;
                [&] {
                    QCOMPARE(message, std::string("logo.gif\nva \xEAtre renomm\xE9 en\nlogo2.gif\n"));
                    QCOMPARE(image, temp_->File("site/logo.gif"));
                }();
                return page + "\r" + other + "\r";
            });
            list->setCurrentItem(list->topLevelItem(2));
            name->setText(QStringLiteral("logo2.gif"));
            Answers({});
            save->click();
            QVERIFY(Asked().empty());
            QCOMPARE(Cell(list, 2, 0), QStringLiteral("logo2.gif"));
            QCOMPARE(Cell(list, 3, 0), QStringLiteral("logo2.gif"));
            QCOMPARE(Cell(list, 3, 1), QStringLiteral("Encore"));
        });
        QVERIFY(ImagesEditor(nullptr));
        QVERIFY(ran);
        QCOMPARE(chooserCalls, 2);
        QCOMPARE(test::ReadAll(page),
                 Html("", R"(<img src="y.gif"><img alt="Avant" src="a.gif"><img src="logo2.gif" alt="Logo"><p>x</p>)"
                          R"(<img src="logo2.gif" alt="Encore" >)"));
        QCOMPARE(test::ReadAll(other), Html("", R"(<img src="../logo2.gif">)"));
        QVERIFY(!fs::exists(temp_->File("site/logo.gif")));
        QVERIFY(fs::exists(temp_->File("site/logo2.gif")));
        QCOMPARE(Backup(other), Html("", R"(<img src="../logo.gif">)"));
        QCOMPARE(JournalPaths(), (std::vector<std::string>{page, other}));
    }

    void imagesEditorRenamingPreviewsEachPageInTheSiteChoice()
    {
        temp_->Write("site/logo.gif", "GIF89a");
        const std::string page = Write("index.htm", Html("", R"(<img src="logo.gif">)"));
        const std::string other = Write("sub/o.htm", Html("", R"(<img src="../logo.gif">)"));
        const std::string unrelated = Write("sub/u.htm", Html("", R"(<img src="autre.gif">)"));
        Page.CurrentPagePath = page;

        QString shown;
        bool unchangedMarked = false;
        test::WhenModalOpen(QStringLiteral("ImagesEditor"), [&](QDialog* w) {
            auto* name = w->findChild<QLineEdit*>(QStringLiteral("ImageName"));
            auto* save = w->findChild<QPushButton*>(QStringLiteral("SaveButton"));
            QVERIFY(name && save);
            test::WhenModalOpen(QStringLiteral("SiteWideUpdate"), [&](QDialog* choice) {
                auto* list = choice->findChild<QTreeWidget*>(QStringLiteral("SiteFileList"));
                auto* view = choice->findChild<QPlainTextEdit*>(QStringLiteral("PreviewDifference"));
                QVERIFY(list && view);
                for (int row = 0; row < list->topLevelItemCount(); ++row) {
                    QTreeWidgetItem* item = list->topLevelItem(row);
                    list->setCurrentItem(item);
                    if (item->text(0).contains(QStringLiteral("/sub/o.htm")))
                        shown = view->toPlainText();
                    if (item->text(0).contains(QStringLiteral("/sub/u.htm")))
                        unchangedMarked = view->toPlainText() == QStringLiteral("Cette page ne changera pas.");
                }
                // Nothing written while the user looks.
                QCOMPARE(test::ReadAll(other), Html("", R"(<img src="../logo.gif">)"));
                choice->findChild<QPushButton*>(QStringLiteral("OK"))->click();
            });
            name->setText(QStringLiteral("logo2.gif"));
            Answers({});
            save->click();
        });
        QVERIFY(ImagesEditor(nullptr));
        QVERIFY2(shown.contains(
                     QStringLiteral("-<html><head><title>Le site</title></head><body><img src=\"../logo.gif\">")) &&
                     shown.contains(
                         QStringLiteral("+<html><head><title>Le site</title></head><body><img src=\"../logo2.gif\">")),
                 qPrintable(shown));
        QVERIFY(unchangedMarked);
        QCOMPARE(test::ReadAll(other), Html("", R"(<img src="../logo2.gif">)"));
        QCOMPARE(test::ReadAll(unrelated), Html("", R"(<img src="autre.gif">)"));
    }

    void imagesEditorOnAUtf8Page()
    {
        // Texts typed here follow the page's encoding, whatever page was
        // analysed last.
        SetTypedTextForUtf8Page(false);
        const std::string head = "<meta charset=\"utf-8\">";
        const std::string page = Write(
            "u.htm",
            Html(
                head,
                "<p>\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82</p><img src=\"\xCF\x89.gif\" alt=\"\xC3\x89t\xC3\xA9\">"));
        Page.CurrentPagePath = page;
        const QString greek = QString::fromUtf8("\xCE\x9B\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82");
        bool ran = false;
        test::WhenModalOpen(QStringLiteral("ImagesEditor"), [&](QDialog* w) {
            ran = true;
            auto* list = w->findChild<QTreeWidget*>(QStringLiteral("ImageList"));
            auto* alt = w->findChild<QLineEdit*>(QStringLiteral("ImageAlt"));
            auto* save = w->findChild<QPushButton*>(QStringLiteral("SaveButton"));
            QVERIFY(list && alt && save);
            QCOMPARE(Cell(list, 0, 0), QString::fromUtf8("\xCF\x89.gif"));
            QCOMPARE(Cell(list, 0, 1), QString::fromUtf8("\xC3\x89t\xC3\xA9"));
            list->setCurrentItem(list->topLevelItem(0));
            alt->setText(greek);
            save->click();
            QCOMPARE(Cell(list, 0, 1), greek);
        });
        QVERIFY(ImagesEditor(nullptr));
        QVERIFY(ran);
        QCOMPARE(test::ReadAll(page),
                 Html(head, "<p>\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82</p><img src=\"\xCF\x89.gif\" "
                            "alt=\"\xCE\x9B\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82\">"));
        SetTypedTextForUtf8Page(false);
    }

    void sentenceEditorRowsAndSaves()
    {
        const std::string head = R"(<meta name="keywords" content="village, promo">)";
        const std::string original =
            Html(head, "<p>Le caf&eacute; du <b>village</b></p><p>Promo de printemps</p><img src=\"promo.gif\">");
        Page.CurrentPagePath = Write("index.htm", original);

        bool ran = false;
        test::WhenModalOpen(QStringLiteral("SentenceEditor"), [&](QDialog* w) {
            ran = true;
            // Wider when the font needs it for the captions.
            QVERIFY(w->width() >= 450);
            QCOMPARE(w->height(), 405);
            QCOMPARE(w->windowTitle(), QStringLiteral("Phrases contenant ''village'' - Page \"index.htm\""));
            auto* list = w->findChild<QTreeWidget*>(QStringLiteral("SentenceList"));
            auto* field = w->findChild<QPlainTextEdit*>(QStringLiteral("SentenceField"));
            QVERIFY(list && field);
            QCOMPARE(list->topLevelItemCount(), 2);
            QCOMPARE(Cell(list, 0, 0), QStringLiteral("Texte"));
            QCOMPARE(Cell(list, 0, 1), QStringLiteral("VILLAGE"));  // the run inside <b> only
            QCOMPARE(Cell(list, 1, 0), QStringLiteral("Keywords"));
            QCOMPARE(field->toPlainText(), QStringLiteral("village"));
            QCOMPARE(field->textCursor().selectedText(), QStringLiteral("village"));
            w->findChild<QPushButton*>(QStringLiteral("CloseButton"))->click();
        });
        QVERIFY(!SentenceEditor(nullptr, "village"));
        QVERIFY(ran);
        QCOMPARE(test::ReadAll(Page.CurrentPagePath), original);

        ran = false;
        test::WhenModalOpen(QStringLiteral("SentenceEditor"), [&](QDialog* w) {
            ran = true;
            auto* list = w->findChild<QTreeWidget*>(QStringLiteral("SentenceList"));
            auto* field = w->findChild<QPlainTextEdit*>(QStringLiteral("SentenceField"));
            auto* caption = w->findChild<QLabel*>(QStringLiteral("SentenceCaption"));
            auto* save = w->findChild<QPushButton*>(QStringLiteral("SaveButton"));
            QVERIFY(list && field && caption && save);
            QCOMPARE(list->topLevelItemCount(), 3);
            QCOMPARE(Cell(list, 1, 0), QStringLiteral("img src"));
            QCOMPARE(field->toPlainText(), QStringLiteral("Promo de printemps"));
            field->setPlainText(QStringLiteral("Soldes de printemps"));
            save->click();
            QCOMPARE(Cell(list, 0, 1), QStringLiteral("Soldes de printemps"));

            list->setCurrentItem(list->topLevelItem(1));
            QCOMPARE(caption->text(), QStringLiteral("img src = Nom d'image"));

            list->setCurrentItem(list->topLevelItem(2));
            QCOMPARE(caption->text(), QStringLiteral(u"Liste de mots clés."));
            QCOMPARE(field->toPlainText(), QStringLiteral("village, promo"));
            field->setPlainText(QStringLiteral("village, soldes, printemps"));
            save->click();
            QCOMPARE(Cell(list, 2, 1), QStringLiteral("village, soldes, printemps"));

            // An image name row renames the image: no file, no site choice,
            // and the reminder.
            int chosen = 0;
            SetSiteChooserForTesting([&](const std::string&, const std::string&) {
                ++chosen;
                return std::string();
            });
            list->setCurrentItem(list->topLevelItem(1));
            field->setPlainText(QStringLiteral("soldes.gif"));
            Answers({ui::YesNoAll::Yes});
            save->click();
            QCOMPARE(chosen, 1);
            QCOMPARE(Cell(list, 1, 1), QStringLiteral("soldes.gif"));
            QCOMPARE(Asked().size(), std::size_t(1));
            QCOMPARE(Asked()[0].Title, std::string("Attention !"));
            w->findChild<QPushButton*>(QStringLiteral("CloseButton"))->click();
        });
        QVERIFY(SentenceEditor(nullptr, "promo"));
        QVERIFY(ran);
        const std::string after = "<p>Le caf&eacute; du <b>village</b></p><p>Soldes de printemps</p>";
        const std::string keywords = R"(<meta name="keywords" content="village, soldes, printemps">)";
        QCOMPARE(test::ReadAll(Page.CurrentPagePath), Html(keywords, after + "<img src=\"soldes.gif\">"));
        QCOMPARE(JournalPaths(), std::vector<std::string>{Page.CurrentPagePath});
        // The backup holds the page as it was before the last change.
        QCOMPARE(Backup(Page.CurrentPagePath), Html(keywords, after + "<img src=\"promo.gif\">"));
    }

    void editorsNeedAPage()
    {
        QVERIFY(!MetaTagsEditor(nullptr));
        QVERIFY(!ImagesEditor(nullptr));
        QVERIFY(!SentenceEditor(nullptr, "x"));
        Page.CurrentPagePath = Write("p.htm", Html("", "x"));
        QVERIFY(!SentenceEditor(nullptr, ""));
        QCOMPARE(HalvedToFit(QImage(800, 600, QImage::Format_RGB32), 130, 130).size(), QSize(100, 75));
        QCOMPARE(HalvedToFit(QImage(130, 20, QImage::Format_RGB32), 130, 130).size(), QSize(130, 20));
    }
};

QTEST_MAIN(EditorsTest)
#include "editors_qtest.moc"
