#include "editing/sentence_rows.h"

#include <algorithm>

#include "base/text_rules.h"
#include "editing/meta_catalogue.h"
#include "editing/page_images.h"
#include "editing/rewrite_engine.h"

namespace kestrova {

namespace {

constexpr char SentenceAttributes[] = "img src/background/alt|";

// A text as the engine searches it: line ends and tabs as spaces, entities
// decoded.
std::string Searchable(const std::string& text)
{
    std::string plain = text;
    std::replace_if(
        plain.begin(), plain.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    return DecodeEntities(plain);
}

// The context line of word in text ("" when it does not occur), leaving the
// search cursor as it was.
std::string ContextLine(const std::string& text, const std::string& word)
{
    const EditState saved = Edit;
    Edit.LastMatchPosition = 0;
    std::string line = FindNextMatch(OpListe, 0, text, word);
    Edit = saved;
    return line;
}

}  // namespace

std::string SecondWord(const std::string& text)
{
    const std::size_t first = text.find(' ');
    if (first == std::string::npos)
        return text;
    const std::size_t second = text.find(' ', first + 1);
    return text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

std::vector<SentenceRow> BuildSentenceRows(ui::WindowId owner, const std::string& word)
{
    std::vector<SentenceRow> rows;
    if (word.empty())
        return rows;

    Edit.LastMatchPosition = 0;
    for (int n = 0; n < MaxSentenceRows; ++n) {
        const std::int64_t before = Edit.LastMatchPosition;
        std::string line = EditText(owner, OpListe, word, "");
        if (line.empty())
            break;
        rows.push_back(SentenceRow{SentenceKind::Text, "", std::move(line), before, word});
        Edit.LastMatchPosition += 1;
    }

    Edit.LastMatchPosition = 0;
    for (int n = 0; n < MaxSentenceRows; ++n) {
        const std::int64_t before = Edit.LastMatchPosition;
        const std::string found = EditAttribute(owner, OpPhrase, SentenceAttributes + word, "");
        const std::size_t bar = found.find('|');
        if (bar == std::string::npos)
            break;
        const std::string designator = found.substr(0, bar);
        rows.push_back(SentenceRow{designator == "alt" ? SentenceKind::Alt : SentenceKind::Image, designator,
                                   found.substr(bar + 1), before, word});
        Edit.LastMatchPosition += 1;
    }

    for (const MetaTagEntry& entry : MetaTagCatalogue) {
        std::string content;
        if (!ReadMetaTag(owner, entry.Name, content) || content.empty())
            continue;
        std::string line = ContextLine(content, word);
        if (!line.empty())
            rows.push_back(SentenceRow{SentenceKind::Meta, entry.Name, std::move(line), 0, word});
    }
    return rows;
}

SentenceField LoadSentenceRow(ui::WindowId owner, const std::vector<SentenceRow>& rows, std::size_t r,
                              const std::string& word)
{
    SentenceField field;
    if (r >= rows.size())
        return field;
    const SentenceRow& row = rows[r];
    switch (row.Kind) {
        case SentenceKind::Text:
            Edit.LastMatchPosition = row.Position;
            field.Text = EditText(owner, OpPhrase, row.Word, "");
            if (!field.Text.empty() && row.Word == word) {
                field.Select = true;
                field.SelectionStart = static_cast<int>(Edit.LastMatchStart);
                field.SelectionEnd = static_cast<int>(Edit.LastMatchStart + Edit.LastMatchLength);
            }
            break;
        case SentenceKind::Image:
            field.Text = row.Extract;
            field.CaptionPrefix = row.Origin + " = ";
            field.CaptionKey = "Nom d'image";
            break;
        case SentenceKind::Alt:
            field.Text = row.Extract;
            field.CaptionPrefix = "alt = ";
            field.CaptionKey = "Commentaire d'image";
            break;
        case SentenceKind::Meta:
            if (const MetaTagEntry* entry = FindMetaTag(row.Origin))
                field.CaptionKey = entry->Description;
            ReadMetaTag(owner, row.Origin, field.Text);
            break;
    }
    return field;
}

bool SaveSentenceRow(ui::WindowId owner, std::vector<SentenceRow>& rows, std::size_t r, const std::string& text,
                     const SentenceImageRenamer& rename)
{
    if (r >= rows.size())
        return false;
    SentenceRow& row = rows[r];
    Edit.LastMatchPosition = row.Position;
    switch (row.Kind) {
        case SentenceKind::Text: {
            if (text.empty() || EditText(owner, OpToutRemplacer, row.Word, text).empty())
                return false;
            // The run now starts where the replaced one did: find the row
            // from there, so that a later save reaches this run and not an
            // earlier one that holds the new search word.
            row.Position = std::max<std::int64_t>(0, Edit.LastMatchPosition - Edit.LastMatchStart - 1);
            std::string line = ContextLine(Searchable(text), row.Word);
            if (!line.empty()) {
                row.Extract = std::move(line);
            } else {
                row.Extract = text.substr(0, 60);
                row.Word = SecondWord(text);
            }
            return true;
        }
        case SentenceKind::Alt: {
            if (text.empty() ||
                EditAttribute(owner, OpToutRemplacer, std::string(AltDesignator) + row.Word, text).empty())
                return false;
            // Found again from just before its value, by a word it holds.
            row.Position = std::max<std::int64_t>(0, Edit.LastMatchPosition - 1);
            row.Extract = text;
            const std::string trimmed = TrimSpaces(text);
            row.Word = EncodeListWord(trimmed.substr(0, trimmed.find(' ')));
            return true;
        }
        case SentenceKind::Image: {
            if (text == row.Extract || !rename)
                return false;
            const std::string old = row.Extract;
            const int result = rename(text, old);
            if (result == 0)
                return false;
            for (std::size_t i = 0; i < rows.size(); ++i)
                if (i == r || (result == 2 && rows[i].Kind == SentenceKind::Image && rows[i].Extract == old))
                    rows[i].Extract = text;
            return true;
        }
        case SentenceKind::Meta: {
            const std::string old = EditMeta(owner, OpToutRemplacer, text, row.Origin);
            if (old.empty() || DisplayEditResult(old) == text)
                return false;
            row.Extract = text;
            return true;
        }
    }
    return false;
}

}  // namespace kestrova
