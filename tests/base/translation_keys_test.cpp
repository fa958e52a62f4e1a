// Every text the program passes to its translation functions has an entry
// in the table it is looked up in: a missing one would show French in an
// English run (or the reverse). The texts are collected from the sources,
// so a text added anywhere is checked without a change here.
#include "tests/support/translation_keys.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/text_tables.h"
#include "editing/meta_catalogue.h"

using namespace kestrova;
using test::FoundKey;
using test::KeyTable;

namespace {

bool HasFrenchEntry(const std::string& text)
{
    return FindFrenchKey(FrenchKeyTable, text) != nullptr || FindFrenchKey(SupplementFrenchKeyTable, text) != nullptr;
}

// The line of the English table that the lookup takes, with a French side.
bool HasEnglishEntry(const std::string& text)
{
    const char* line = FindEnglishKeyLine(EnglishKeyTable, text);
    if (line == nullptr)
        return false;
    const std::string whole = line;
    const std::size_t bar = whole.find('|');
    return bar != std::string::npos && bar + 1 < whole.size() && whole[bar + 1] != '|';
}

std::set<std::string> Texts(const std::vector<FoundKey>& keys)
{
    std::set<std::string> texts;
    for (const FoundKey& k : keys)
        texts.insert(k.Text);
    return texts;
}

}  // namespace

TEST(TranslationKeys, ScannerFindsTheKeysOfEveryForm)
{
    const std::string source = test::WithoutComments(R"cpp(
        QString Tr(const char* french)
        {
            return FromPage(TranslateFrenchKey(french));
        }
        QPushButton* MakeButton(QWidget* parent, const char* objectName, const std::string& frenchText);
        struct Item {
            int id;
            const char* objectName;
            const char* french;
        };
        void Build()
        {
            // TranslateFrenchKey("in a comment")
            /* Tr("in a block comment") */
            Tr("Pr\xE9"
               "f\xE9rences");
            MakeButton(window, "Name", "Ajout manuel");
            MakeButton(window, "Name", variable);
            TranslateFrenchKey(used ? "Oui" : "Non") + TranslateFrenchKey("Image ") + "\"";
            TranslateEnglishKey("Server name:");
            auto title = [](const std::string& french) { return Tr(french); };
            title("Fichier");
            add({3, "Open", "Analyser\tun fichier"});
            const char* quote = "Tr(\"inside a string\")";
            Other("Ignored", "Ignored too");
        }
    )cpp");
    const std::vector<FoundKey> keys = test::KeysIn(source, test::KeyParametersOf(source), "sample.cpp");
    std::set<std::string> french, english;
    for (const FoundKey& k : keys)
        (k.Table == KeyTable::French ? french : english).insert(k.Text);
    EXPECT_EQ(french,
              (std::set<std::string>{"Pr\xE9"
                                     "f\xE9rences",
                                     "Ajout manuel", "Oui", "Non", "Image ", "Fichier", "Analyser\tun fichier"}));
    EXPECT_EQ(english, (std::set<std::string>{"Server name:"}));
    for (const FoundKey& k : keys) {
        if (k.Text == "Ajout manuel") {
            EXPECT_EQ(k.Where, "sample.cpp:18");
        }
    }
}

TEST(TranslationKeys, EveryTextOfTheSourcesHasItsEntry)
{
    const std::vector<FoundKey> keys = test::KeysInSources(
        KESTROVA_SOURCE_DIR, {"base", "page", "editing", "analysis", "site", "net", "ui", "app", "cli"});
    // The scan sees the program's texts: a scan that finds next to nothing
    // would let anything pass.
    const std::set<std::string> texts = Texts(keys);
    EXPECT_GT(texts.size(), 120u);
    for (const char* known : {"Enregistrer", "Fichier", "Nb occurences", "Mots cl\xE9s", "Annuler"})
        EXPECT_TRUE(texts.count(known)) << known;

    std::set<std::string> reported;
    for (const FoundKey& k : keys) {
        const bool present = k.Table == KeyTable::French ? HasFrenchEntry(k.Text) : HasEnglishEntry(k.Text);
        if (!present && reported.insert(k.Text).second)
            ADD_FAILURE() << k.Where << ": no " << (k.Table == KeyTable::French ? "French" : "English")
                          << " table entry for \"" << k.Text << "\"";
    }
}

TEST(TranslationKeys, MetaTagTextsHaveTheirEntries)
{
    // The meta tags editor translates the catalogue's texts, which are data
    // rather than literals at a call.
    for (const MetaTagEntry& entry : MetaTagCatalogue) {
        EXPECT_TRUE(HasFrenchEntry(entry.Description)) << entry.Name;
        EXPECT_TRUE(HasFrenchEntry(entry.Help)) << entry.Name;
    }
}
