#include "editing/meta_catalogue.h"

#include "base/text_tables.h"
#include "base/translate.h"
#include "editing/rewrite_engine.h"
#include "page/page_history.h"
#include "page/page_state.h"

namespace kestrova {

const MetaTagEntry MetaTagCatalogue[MetaTagCount] = {
    {"Author", "Auteur de la page.", MetaHelpAuthor},
    {"Owner", "Propri\xE9taire du site", MetaHelpAuthor},
    {"Category", "Cat\xE9gorie de la page (pour les annuaires)", MetaHelpCategory},
    {"Copyright", "Copyright(s) de la page.", MetaHelpCopyright},
    {"Language", "Langue de la page.", MetaHelpLanguage},
    {"Description", "Description de la page.", MetaHelpDescription},
    {"Distribution",
     "D\xE9"
     "finie la destination (public) des documents pr\xE9sent\xE9s dans la page.",
     MetaHelpDistribution},
    {"Generator",
     "Logiciel(s) utilis\xE9(s) pour cr\xE9"
     "er la page.",
     MetaHelpGenerator},
    {"Identifier-URL", "Adresse (url) du site.", MetaHelpIdentifierUrl},
    {"Keywords", "Liste de mots cl\xE9s.", MetaHelpKeywords},
    {"Publisher", "Personne publiant le site.", MetaHelpPublisher},
    {"Reply-to", "Adresse email du webmaster.", MetaHelpReplyTo},
    {"Revisit-after", "D\xE9lai minimum souhait\xE9 entre 2 visites des robots.", MetaHelpRevisitAfter},
    {"Robots", "Autorisation d'indexage pour les robots.", MetaHelpRobots},
    {"Pragma", "Interdire l'enregistrement de la page dans la m\xE9moire cache du navigateur.", MetaHelpPragma},
    {"Refresh",
     "R\xE9"
     "actualiser automatiquement la page ou rediriger vers une autre page apr\xE9s X secondes.",
     MetaHelpRefresh},
    {"Content-Language", "Langue de la page.", MetaHelpContentLanguage},
    {"Content-Type",
     "D\xE9"
     "finit la table de caract\xE8res \xE0 utiliser.",
     MetaHelpContentType},
};

const MetaTagEntry* FindMetaTag(const std::string& name)
{
    for (const MetaTagEntry& e : MetaTagCatalogue)
        if (name == e.Name)
            return &e;
    return nullptr;
}

bool ReadMetaTag(ui::WindowId owner, const std::string& name, std::string& content)
{
    const std::string result = EditMeta(owner, OpListe, "", name);
    content = DisplayEditResult(result);
    return !result.empty();
}

std::vector<MetaTagRow> ListMetaTags(ui::WindowId owner)
{
    std::vector<MetaTagRow> rows;
    rows.reserve(MetaTagCount);
    for (const MetaTagEntry& e : MetaTagCatalogue) {
        MetaTagRow row;
        row.Name = e.Name;
        row.Exists = ReadMetaTag(owner, e.Name, row.Content);
        rows.push_back(std::move(row));
    }
    return rows;
}

int FirstMissingMetaRow(const std::vector<MetaTagRow>& rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!rows[i].Exists)
            return static_cast<int>(i);
    return 0;
}

bool SaveMetaTag(ui::WindowId owner, const std::string& name, const std::string& content, MetaTagRow& row)
{
    EditMeta(owner, OpToutRemplacer, content, name);
    // The row shows what the page now holds: a tag the user chose not to
    // create (or a page without a head) stays missing.
    MetaTagRow after;
    after.Name = name;
    after.Exists = ReadMetaTag(owner, name, after.Content);
    const bool changed = after.Exists != row.Exists || after.Content != row.Content;
    row = std::move(after);
    return changed;
}

std::string SiteWideMetaMessage(const std::string& name, const std::string& content)
{
    const std::string shown = content.size() > 100 ? content.substr(0, 100) + "..." : content;
    return TranslateFrenchKey("Mise \xE0 jour de la balise ''") + name + "''\n\n" +
           TranslateFrenchKey("Nouveau contenu :") + "\n''" + shown + "''\n\n" + TranslateFrenchKey("Dossier :");
}

std::vector<std::string> SplitPageList(const std::string& paths)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < paths.size()) {
        std::size_t cr = paths.find('\r', start);
        if (cr == std::string::npos)
            cr = paths.size();
        if (cr > start)
            out.push_back(paths.substr(start, cr - start));
        start = cr + 1;
    }
    return out;
}

bool SaveMetaTagOnPages(ui::WindowId owner, const std::string& paths, const std::string& name,
                        const std::string& content)
{
    const std::string current = Page.CurrentPagePath;
    bool currentDone = false;
    // "Oui pour toutes" answers for the pages of this batch only.
    Edit.YesToAll = false;
    ChangeActionScope action(history_action::SiteUpdate, true);
    for (const std::string& path : SplitPageList(paths)) {
        Page.CurrentPagePath = path;
        const std::string result = EditMeta(owner, OpToutRemplacer, content, name);
        if (path == current && !result.empty())
            currentDone = true;
    }
    Edit.YesToAll = false;
    Page.CurrentPagePath = current;
    return currentDone;
}

}  // namespace kestrova
