#include "base/translate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string_view>

#include "base/app_state.h"
#include "base/text_tables.h"

using namespace kestrova;

namespace {

struct Translation : ::testing::Test {
    void SetUp() override { ResetAppState(); }
    void TearDown() override { ResetAppState(); }
};

int CountFields(std::string_view line)
{
    return 1 + static_cast<int>(std::count(line.begin(), line.end(), '|'));
}

}  // namespace

TEST(TextTables, FieldCountsAndEnglishSides)
{
    // Two fields (English, French), or five on the update messages, whose
    // last three repeat the English text.
    for (int i = 0; i < EnglishKeyTableSize(); ++i) {
        std::string_view line = EnglishKeyTable[i];
        const int fields = CountFields(line);
        EXPECT_TRUE(fields == 2 || fields == 5) << "line " << i << " has " << fields << " fields";
        if (fields != 5)
            continue;
        std::string_view english = line.substr(0, line.find('|'));
        std::string_view tail = line.substr(line.find('|', line.find('|') + 1) + 1);
        EXPECT_EQ(std::string(tail), std::string(english) + "|" + std::string(english) + "|" + std::string(english))
            << line;
    }
    EXPECT_STREQ(EnglishKeyTable[EnglishKeyTableSize()], "End");
    EXPECT_STREQ(FrenchKeyTable[FrenchKeyTableSize()].French, "Fin");

    // Every text has an English side.
    for (int i = 0; i < FrenchKeyTableSize(); ++i)
        EXPECT_NE(std::string(FrenchKeyTable[i].English), "") << FrenchKeyTable[i].French;
}

TEST(TextTables, LookupsTakeTheFirstEntry)
{
    const FrenchKeyPair table[] = {{"Infos", "first"}, {"Infos", "second"}, {"Fin", ""}};
    EXPECT_STREQ(FindFrenchKey(table, "Infos"), "first");
    EXPECT_EQ(FindFrenchKey(table, "Info"), nullptr);
    EXPECT_EQ(FindFrenchKey(table, "Fin"), nullptr);

    const char* const lines[] = {"Server name:|a", "Server|b", "End", "Later|c"};
    EXPECT_STREQ(FindEnglishKeyLine(lines, "Server"), "Server name:|a");
    EXPECT_STREQ(FindEnglishKeyLine(lines, "Server|"), "Server|b");
    EXPECT_EQ(FindEnglishKeyLine(lines, "Later"), nullptr);  // past "End"
}

TEST_F(Translation, FrenchKeys)
{
    App.Language = "";
    EXPECT_EQ(TranslateFrenchKey("Fichier"), "File");
    App.Language = "English";
    EXPECT_EQ(TranslateFrenchKey("Fichier"), "File");
    EXPECT_EQ(TranslateFrenchKey("Utilis\xE9"), "Used");
    EXPECT_EQ(TranslateFrenchKey("Utilis\xE9s"), "Used");
    EXPECT_EQ(TranslateFrenchKey("Fichier "), "Fichier ");  // exact match only
    EXPECT_EQ(TranslateFrenchKey("Pas dans la table"), "Pas dans la table");
    EXPECT_EQ(TranslateFrenchKey("Choose english language"), "Choisir la langue fran\xE7"
                                                             "aise");
    EXPECT_EQ(TranslateFrenchKey("Pertinence du site"), "Site relevance");
    EXPECT_EQ(TranslateFrenchKey("Infos"), "Infos");
    EXPECT_EQ(TranslateFrenchKey("Fichiers"), "Files");
    EXPECT_EQ(TranslateFrenchKey("Certains des mots cl\xE9s comportent des accents qui ne sont pas "
                                 "correctement cod\xE9s en HTML\nVoulez-vous corriger cela ?"),
              "Some keywords have accents wich are incorrectly HTML coded.\nDo you want to correct that ?");
    EXPECT_EQ(TranslateFrenchKey(MetaHelpGenerator), "Optional field");
    EXPECT_EQ(TranslateFrenchKey("Deutsch"), "Deutsch");

    App.Language = "Deutsch";  // any other language sees English
    EXPECT_EQ(TranslateFrenchKey("Annuler"), "Cancel");

    App.Language = LanguageFrench;
    EXPECT_EQ(TranslateFrenchKey("Fichier"), "Fichier");
    EXPECT_EQ(TranslateFrenchKey("Annuler"), "Annuler");
    App.Language = "fran\xE7"
                   "ais";  // byte-exact comparison
    EXPECT_EQ(TranslateFrenchKey("Fichier"), "File");
}

TEST_F(Translation, ProgramTextsMissingFromTheTableStillTranslate)
{
    App.Language = "English";
    EXPECT_EQ(TranslateFrenchKey("Interrompre"), "Abort");
    EXPECT_EQ(TranslateFrenchKey("Analyse du fichier "), "Analyzing file ");
    App.Language = LanguageFrench;
    EXPECT_EQ(TranslateFrenchKey("Interrompre"), "Interrompre");

    // The supplement only fills gaps: none of its texts is in the main table.
    for (const FrenchKeyPair* pair = SupplementFrenchKeyTable; std::string(pair->French) != "Fin"; ++pair) {
        EXPECT_EQ(FindFrenchKey(FrenchKeyTable, pair->French), nullptr) << pair->French;
        EXPECT_NE(std::string(pair->English), "") << pair->French;
    }
}

TEST_F(Translation, EnglishKeys)
{
    App.Language = "";
    EXPECT_EQ(TranslateEnglishKey("Remove"), "Remove");
    App.Language = "English";
    EXPECT_EQ(TranslateEnglishKey("Update"), "Update");

    App.Language = LanguageFrench;
    EXPECT_EQ(TranslateEnglishKey("Remove"), "Retirer");
    EXPECT_EQ(TranslateEnglishKey("Server"), "Nom du serveur :");  // first line beginning with it
    EXPECT_EQ(TranslateEnglishKey("Server adress:"), "Adresse :");
    EXPECT_EQ(TranslateEnglishKey("Fran\xE7"
                                  "ais"),
              "English");
    EXPECT_EQ(TranslateEnglishKey("Update"), "Mise \xE0 jour");
    EXPECT_EQ(TranslateEnglishKey("Restart "), "Red\xE9marrer ");
    EXPECT_EQ(TranslateEnglishKey("Not in the table"), "Not in the table");
    EXPECT_EQ(TranslateEnglishKey(""), "");
    // The site name stays the same in every language.
    EXPECT_EQ(std::string(UpdateAvailableText),
              std::string(" is available on ") + MakerSiteName + ". Your version is: ");
    EXPECT_EQ(TranslateEnglishKey(UpdateAvailableText),
              std::string(" est disponible sur ") + MakerSiteName + ". Votre version est la ");

    App.Language = "Deutsch";
    EXPECT_EQ(TranslateEnglishKey("Remove"), "Remove");  // two fields: no German
    EXPECT_EQ(TranslateEnglishKey("Update"), "Update");
    App.Language = LanguageRussian;
    EXPECT_EQ(TranslateEnglishKey("Do you want to update it?"), "Do you want to update it?");
    EXPECT_EQ(TranslateEnglishKey("Cancel"), "Cancel");
    App.Language = LanguageUkrainian;
    EXPECT_EQ(TranslateEnglishKey(" now"), " now");
}

TEST(UsualWords, HundredThirtySevenEntries)
{
    const std::string words = BuildUsualWords();
    ASSERT_EQ(words.front(), '/');
    ASSERT_EQ(words.back(), '/');
    std::vector<std::string> entries;
    std::size_t start = 1;
    for (std::size_t slash; (slash = words.find('/', start)) != std::string::npos; start = slash + 1)
        entries.push_back(words.substr(start, slash - start));
    EXPECT_EQ(entries.size(), 137u);
    EXPECT_EQ(std::set<std::string>(entries.begin(), entries.end()).size(), 135u);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "ont"), 2);
    EXPECT_EQ(std::count(entries.begin(), entries.end(), "we"), 2);
    for (const auto& e : entries)
        EXPECT_FALSE(e.empty());
    EXPECT_NE(words.find("/v\xF4tre/"), std::string::npos);
    EXPECT_NE(words.find("/\xE7"
                         "a/"),
              std::string::npos);
    EXPECT_NE(words.find("/\xEAtes/"), std::string::npos);
    EXPECT_NE(words.find("/\xEAtre/"), std::string::npos);
    EXPECT_EQ(words.rfind("/le/la/", 0), 0u);
    EXPECT_NE(words.find("/whose/"), std::string::npos);

    ResetAppState();
    EXPECT_EQ(App.UsualWords, words);
    EXPECT_EQ(App.LargeurFenetre, 712);
    EXPECT_EQ(App.PosFenetreX, -1);
}
