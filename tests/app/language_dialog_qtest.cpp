#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/info_window.h"
#include "app/language_dialog.h"
#include "base/app_state.h"
#include "base/codec.h"
#include "base/headless_ui.h"
#include "base/settings.h"
#include "base/translate.h"
#include "tests/support/modal_window.h"
#include "tests/support/temp_site.h"

using namespace kestrova;

class LanguageDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ResetAppState(); }
    void cleanup() { ResetAppState(); }

    void layoutAndOkSelectsFrench()
    {
        App.Language = "";
        bool checked = false;
        test::WhenModalOpen([&](QDialog* dialog) {
            checked = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Langue/Language"));
            QCOMPARE(dialog->size(), QSize(180, 90));
            auto* english = dialog->findChild<QRadioButton*>(QStringLiteral("English"));
            auto* french = dialog->findChild<QRadioButton*>(QStringLiteral("French"));
            auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("OK"));
            auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("Cancel"));
            QVERIFY(english && french && ok && cancel);
            QCOMPARE(french->text(), QStringLiteral(u"Français"));
            QCOMPARE(english->geometry(), QRect(35, 10, 200, 18));
            QCOMPARE(french->geometry(), QRect(35, 32, 200, 18));
            QCOMPARE(ok->geometry(), QRect(95, 62, 75, 18));
            QCOMPARE(cancel->geometry(), QRect(10, 62, 75, 18));
            QCOMPARE(cancel->text(), QStringLiteral("Cancel"));  // empty language: English
            QVERIFY(english->isChecked());
            QTRY_COMPARE(dialog->focusWidget(), english);
            french->click();
            ok->click();
        });
        QVERIFY(ShowLanguageDialog(nullptr));
        QVERIFY(checked);
        QCOMPARE(App.Language, std::string(LanguageFrench));
    }

    void enterKeepsTheFrenchChoiceAndShowsAnnuler()
    {
        App.Language = LanguageFrench;
        test::WhenModalOpen([](QDialog* dialog) {
            auto* french = dialog->findChild<QRadioButton*>(QStringLiteral("French"));
            QVERIFY(french->isChecked());
            QCOMPARE(dialog->findChild<QPushButton*>(QStringLiteral("Cancel"))->text(), QStringLiteral("Annuler"));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        QVERIFY(ShowLanguageDialog(nullptr));
        QCOMPARE(App.Language, std::string(LanguageFrench));
    }

    void escapeAndCloseCancel()
    {
        App.Language = "Deutsch";
        test::WhenModalOpen([](QDialog* dialog) {
            dialog->findChild<QRadioButton*>(QStringLiteral("French"))->click();
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QVERIFY(!ShowLanguageDialog(nullptr));
        QCOMPARE(App.Language, std::string("Deutsch"));

        App.Language = "";
        test::WhenModalOpen([](QDialog* dialog) { dialog->close(); });
        QVERIFY(!ShowLanguageDialog(nullptr));
        QCOMPARE(App.Language, std::string());
    }

    void firstStartAsksThenInforms()
    {
        kestrova::test::TempDir dir;
        kestrova::ui::HeadlessUi headless;
        kestrova::ui::SetUi(&headless);
        SettingsHost host;
        host.ScreenWidth = 1024;
        host.ScreenHeight = 768;
        host.AskLanguage = [] { ShowLanguageDialog(nullptr); };
        host.ShowInfo = [] { ShowInfoMessage(); };
        test::WhenModalOpen([](QDialog* dialog) {
            dialog->findChild<QRadioButton*>(QStringLiteral("French"))->click();
            dialog->findChild<QPushButton*>(QStringLiteral("OK"))->click();
        });
        QVERIFY(LoadSettings(dir.File("Kestrova.prefs"), host));
        kestrova::ui::SetUi(nullptr);
        QVERIFY(App.FirstStart);
        QCOMPARE(App.Language, std::string(LanguageFrench));
        const auto shown = headless.Messages();
        QCOMPARE(int(shown.size()), 1);
        QCOMPARE(shown[0].Title, std::string("Infos"));
        QVERIFY(shown[0].Text.starts_with("Kestrova est con\xE7u pour travailler sur une copie de "
                                          "votre site situ\xE9"
                                          "e sur votre disque dur."));
        QVERIFY(shown[0].Text.find("REMARQUE SPECIALE POUR LES SITES DYNAMIQUES") != std::string::npos);
        QVERIFY(shown[0].Text.find("\"Pertinence du site\"") != std::string::npos);
        QVERIFY(shown[0].Text.find("\"Journal des modifications\"") != std::string::npos);
    }

    void infoMessageInEnglish()
    {
        App.Language = "Deutsch";
        const std::string text = InfoMessageText();
        QVERIFY(text.starts_with("Kestrova is designed to work on a copy of your site located on "
                                 "your local disk."));
        QVERIFY(text.find("SPECIAL NOTE FOR DYNAMIC WEB SITES") != std::string::npos);
        QVERIFY(text.find("\"Site relevance\"") != std::string::npos);
        QVERIFY(text.find("\"Modifications board\"") != std::string::npos);
        std::string check;
        QVERIFY(Utf8ToCp1252(Cp1252ToUtf8(text), check));  // plain Windows-1252
    }

    void handWrittenCyrillicLanguageDisplays()
    {
        kestrova::test::TempDir dir;
        // "Language = Русский" typed in a Windows-1251 editor.
        const std::string path = dir.Write("Kestrova.prefs", "Language = \xD0\xF3\xF1\xF1\xEA\xE8\xE9\r\n");
        SettingsHost host;
        host.ScreenWidth = 800;
        host.ScreenHeight = 600;
        int asked = 0;
        host.AskLanguage = [&asked] { ++asked; };
        QVERIFY(LoadSettings(path, host));
        QCOMPARE(asked, 0);
        QCOMPARE(App.Language, std::string(LanguageRussian));
        QCOMPARE(QString::fromStdString(LanguageToUtf8(App.Language)), QStringLiteral(u"Русский"));
        QCOMPARE(TranslateFrenchKey("Fichier"), std::string("File"));
        QCOMPARE(TranslateEnglishKey("Update"), std::string("Update"));

        test::WhenModalOpen([](QDialog* dialog) {
            QVERIFY(dialog->findChild<QRadioButton*>(QStringLiteral("English"))->isChecked());
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        QVERIFY(!ShowLanguageDialog(nullptr));
        QCOMPARE(App.Language, std::string(LanguageRussian));
    }
};

QTEST_MAIN(LanguageDialogTest)
#include "language_dialog_qtest.moc"
