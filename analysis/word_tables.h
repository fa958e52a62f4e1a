// The word tables: every word a reader or a search engine sees on a page (or,
// for the site statistics, on every page of a folder), with its spellings, its
// comparison key, where it was met and how often. The analysis handler cuts
// the title, the visible text and the attribute texts of the page into words
// and counts them here; the content of the keywords meta tag fills the
// keyword list instead.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_rules.h"

namespace kestrova {

// Rows 0 to 10000.
constexpr int WordTableRows = 10001;

// Four parallel columns. Rows are used from 0 upward without gaps; the first
// row whose WordForms is empty ends the table.
struct WordTableSet {
    // Distinct lower-case spellings in order of first meeting: "mot/mots".
    std::array<std::string, WordTableRows> WordForms;
    // "/" + key + "/".
    std::array<std::string, WordTableRows> WordKeys;
    // "Titre (1) / Texte (4)".
    std::array<std::string, WordTableRows> WordOrigins;
    std::array<int, WordTableRows> WordCounts{};

    // Empties every row, the key index and the "table full" latch.
    void Clear();

    // Number of rows the key index describes. The index (key -> row, kept by
    // CountWords for WordTables, private to word_tables.cpp) gives each key
    // one row, so it answers exactly what a scan from row 0 for the first row
    // holding "/" + key + "/" would.
    int IndexedRows = 0;
    // Set once the "too many words" message has been shown for this run.
    bool FullReported = false;
};

extern WordTableSet WordTables;

// Clears the tables and lets a full table be reported again. Called before
// each analysis and each site scan.
void ResetWordTables();

// From an empty table on, keeps the page lists of the rows aside as numbers
// instead of writing each count into WordOrigins; WriteWordOrigins writes
// them (the very texts counting step by step gives) and ends that. Made for
// the site scan, whose lists grow to thousands of pages. Does nothing when
// the table is not empty. Clearing the tables ends it, dropping the counts.
void DeferWordOrigins();
void WriteWordOrigins();

// The comparison key: lower-cased, accents removed, one final "s" removed.
std::string WordKey(const std::string& Word);

// Cuts Text into words and counts them under Origin. KeepUsual is true for
// attribute texts (usual words counted), false for the title and visible text
// (usual words skipped). A word that finds the table full is dropped; the
// first one of a run shows the "too many words" message.
void CountWords(const std::string& Text, const std::string& Origin, bool KeepUsual);

// The words of one page gathered apart from the tables, so that pages can
// be read and cut into words on other threads while the tables are counted
// on one: the distinct words in order of first meeting, each with the number
// of times it was met.
struct WordBatch {
    struct Word {
        std::uint32_t Offset;  // in Bytes
        std::uint32_t Length;
        std::uint64_t Hash;
        int Count;
    };
    std::string Bytes;        // the words' bytes one after the other
    std::vector<Word> Words;  // in order of first meeting
    // Empties the batch, keeping its memory.
    void Clear();

    // Open-addressing index of Words: word number + 1, 0 for a free slot.
    std::vector<std::uint32_t> Index;
    // The cutting's own buffers.
    std::string WordBuffer, UnicodeBuffer;
};

// Cuts Text into words as CountWords does and adds them to Batch. Uses no
// table and nothing else shared: it may run on any thread.
void GatherWords(std::string_view Text, WordBatch& Batch);

// Cuts Text into words as CountWords does (lower-cased, at least two
// characters, numbers left out) and calls Sink with each one in the order of
// the text; usual words are kept. Uses nothing shared: it may run on any
// thread.
void CutTextWords(std::string_view Text, const std::function<void(std::string_view)>& Sink);

// Counts the words of Batch under Origin: the tables end up exactly as
// CountWords of each text gathered, in the same order, would leave them
// (rows, spellings, counts, origins, words dropped from a full table), as
// long as KeepUsual is the same for every one of those texts.
void CountWordBatch(const WordBatch& Batch, const std::string& Origin, bool KeepUsual);

// Counts the words of the values of one attribute in a tag (the tag text
// without "<" and ">"), or, for a tag mentioning "keyword", fills the keyword
// list from them.
void CountAttributeWords(const std::string& AttributeName, const std::string& Tag);

// The piece handler of the page analysis (the arguments are not used).
void AnalysisHandler(std::int64_t PieceOffset, const std::string& Arg1, const std::string& Arg2,
                     const std::string& Arg3);

// The origin label of a meta tag's content: "description tag" in English,
// "Balise "description"" otherwise. The name is kept as written.
std::string MetaLabel(const std::string& MetaName);

}  // namespace kestrova
