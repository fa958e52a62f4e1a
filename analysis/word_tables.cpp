#include "analysis/word_tables.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <set>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/origin_tally.h"
#include "base/app_state.h"
#include "base/text_rules.h"
#include "base/text_scan.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "base/unicode_text.h"
#include "page/page_state.h"

namespace kestrova {

WordTableSet WordTables;

namespace {

using textscan::BytesAt;
using textscan::LetterRun;
using textscan::PaddedWordHash;
using textscan::SameBytes;
using textscan::WordHash;

constexpr std::size_t MinimumWordLength = 2;

constexpr std::array<bool, 256> BuildSeparatorTable()
{
    std::array<bool, 256> table{};
    for (char c : WordSeparators)
        table[static_cast<unsigned char>(c)] = true;
    return table;
}

constexpr std::array<bool, 256> SeparatorTable = BuildSeparatorTable();

// A number is a word equal to the decimal writing of the integer read from
// it: digits only, no leading zero, at most 2147483647. "2006" and "75" are
// numbers; "007", "3d" and "12h" are words.
bool IsNumber(std::string_view word)
{
    if (word.empty() || word.size() > 10 || word[0] < '1' || word[0] > '9')
        return false;
    long long value = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value <= 2147483647LL;
}

// Adds one to the count that starts at origins[first] and runs to the first
// ")" after it, in place, when it is written as std::to_string writes it
// (digits, no leading zero) and is short enough not to overflow: carrying
// the digits then gives the text std::to_string(count + 1). Returns false,
// changing nothing, for any other writing.
inline bool IncrementCount(std::string& origins, std::size_t first)
{
    std::size_t close = first;
    while (close < origins.size() && origins[close] >= '0' && origins[close] <= '9')
        ++close;
    const std::size_t digits = close - first;
    if (close == origins.size() || origins[close] != ')' || digits == 0 || digits > 18 ||
        (origins[first] == '0' && digits > 1))
        return false;
    std::size_t i = close;
    while (i > first && origins[i - 1] == '9')
        origins[--i] = '0';
    if (i > first)
        ++origins[i - 1];
    else
        origins.insert(first, 1, '1');  // 99 -> 100
    return true;
}

// AddOrigin for any origin list. Returns where the entry of origin starts
// after the call.
[[gnu::noinline]] std::size_t AddOriginAnywhere(std::string& origins, const std::string& origin)
{
    // The entry is the first occurrence of origin that starts the list or
    // follows " / ", and is followed by " (". Only those places are tried,
    // in order: position 0, then after each " / ".
    std::size_t pos = 0;
    std::size_t slash = 0;
    while (!(BytesAt(origins, pos, origin) && BytesAt(origins, pos + origin.size(), " ("))) {
        do {
            slash = origins.find('/', slash + 1);
        } while (slash != std::string::npos && !(origins[slash - 1] == ' ' && BytesAt(origins, slash + 1, " ")));
        if (slash == std::string::npos) {
            pos = std::string::npos;
            break;
        }
        pos = slash + 2;
    }
    if (pos != std::string::npos) {
        const std::size_t first = pos + origin.size() + 2;  // after the "("
        if (IncrementCount(origins, first))
            return pos;
        const std::size_t close = origins.find(')', first - 1);
        if (close != std::string::npos) {
            // Any other writing: what the number parser reads from it, plus one.
            long long count = 0;
            std::from_chars(origins.data() + first, origins.data() + close, count);
            origins.replace(first, close - first, std::to_string(count + 1));
            return pos;
        }
        // No ")" at all: the origin is added as a new entry.
    }
    if (!origins.empty())
        origins += " / ";
    const std::size_t entry = origins.size();
    origins += origin;
    origins += " (1)";
    return entry;
}

// Where each origin's entry starts in each row's origin list, so that a
// site scan (one origin per page, thousands of pages) finds the entry of the
// page in a long list without searching it. The index gives the answer the
// search would give, and is used only while that is certain:
// - no origin met since the tables were cleared holds a "/" (so " / " in a
//   list only ever separates entries), and no origin is another one
//   followed by " (" (so an entry matches only the origin of its own name);
// - a row's list is indexed only while it has the length the index left it
//   with, and only when every entry reads "name (count)";
// otherwise the search runs as it always did.
class OriginIndex {
public:
    void Clear()
    {
        names_.clear();
        sortedNames_.clear();
        entries_.clear();
        // Only the rows used since the last clearing: an analysis clears the
        // tables for every page, and most pages use few rows.
        for (const std::uint32_t row : touchedRows_)
            rows_[row] = RowState{};
        touchedRows_.clear();
        usable_ = true;
        lastName_.clear();
        lastId_ = -1;
    }

    // Adds one to the count of origin in row's list, or appends it.
    void Add(int row, std::string& origins, const std::string& origin)
    {
        const int id = usable_ ? NameId(origin) : -1;
        if (id < 0 || row < 0 || row >= WordTableRows) {
            AddOriginAnywhere(origins, origin);
            return;
        }
        RowState& state = rows_[static_cast<std::size_t>(row)];
        if (!state.Touched) {
            state.Touched = true;
            touchedRows_.push_back(static_cast<std::uint32_t>(row));
        }
        if (state.Length != origins.size() || !state.Indexed) {
            if (!IndexRow(row, state, origins)) {
                AddOriginAnywhere(origins, origin);
                return;
            }
        }
        std::uint32_t offset;
        if (state.LastId == id) {
            // The row's last entry counted: a page's words repeat, and its
            // entry is found here without the look-up.
            offset = state.LastOffset;
        } else {
            const std::uint64_t key = Key(row, state.Generation, id);
            const auto found = entries_.find(key);
            if (found == entries_.end()) {
                if (!origins.empty())
                    origins += " / ";
                offset = static_cast<std::uint32_t>(origins.size());
                entries_.emplace(key, offset);
                origins += origin;
                origins += " (1)";
                state.Length = origins.size();
                state.LastId = id;
                state.LastOffset = offset;
                return;
            }
            offset = found->second;
        }
        state.LastId = id;
        state.LastOffset = offset;
        const std::size_t before = origins.size();
        if (!IncrementCount(origins, offset + origin.size() + 2)) {
            AddOriginAnywhere(origins, origin);
            state.Indexed = false;
            return;
        }
        if (origins.size() != before)
            state.Indexed = false;  // later entries moved: indexed again when next needed
        state.Length = origins.size();
    }

private:
    struct RowState {
        std::size_t Length = 0;
        std::uint32_t Generation = 0;
        bool Indexed = false;
        bool Touched = false;  // listed in touchedRows_
        // The entry of the origin counted last in the row (LastId -1: none).
        int LastId = -1;
        std::uint32_t LastOffset = 0;
    };

    static std::uint64_t Key(int row, std::uint32_t generation, int id)
    {
        return (static_cast<std::uint64_t>(generation) << 46) | (static_cast<std::uint64_t>(id) << 14) |
               static_cast<std::uint64_t>(row);
    }

    // The id of an origin name (new names are registered), or -1 when the
    // index can no longer be used.
    int NameId(const std::string& name)
    {
        if (lastId_ >= 0 && name == lastName_)
            return lastId_;
        auto it = names_.find(name);
        if (it == names_.end()) {
            if (!KeepsEntriesApart(sortedNames_, name)) {
                usable_ = false;
                return -1;
            }
            if (names_.size() >= (1u << 30)) {
                usable_ = false;
                return -1;
            }
            it = names_.emplace(name, static_cast<int>(names_.size())).first;
            sortedNames_.insert(name);
        }
        lastName_ = name;
        lastId_ = it->second;
        return lastId_;
    }

    // Reads the entries of a row's list into the index; false (the row is
    // then left to the search) when an entry is not "name (count)" with a
    // name the index accepts.
    bool IndexRow(int row, RowState& state, const std::string& origins)
    {
        state.Indexed = false;
        state.LastId = -1;
        ++state.Generation;
        if (state.Generation >= (1u << 17))
            return false;
        std::size_t start = 0;
        while (start < origins.size()) {
            std::size_t end = origins.find(" / ", start);
            if (end == std::string::npos)
                end = origins.size();
            const std::string_view entry(origins.data() + start, end - start);
            const std::size_t open = entry.rfind(" (");
            if (open == std::string_view::npos || entry.back() != ')' || open + 3 > entry.size() - 1)
                return false;
            for (std::size_t i = open + 2; i + 1 < entry.size(); ++i)
                if (entry[i] < '0' || entry[i] > '9')
                    return false;
            const int id = NameId(std::string(entry.substr(0, open)));
            if (id < 0)
                return false;
            // Of two entries of one name, the first is the one found.
            entries_.emplace(Key(row, state.Generation, id), static_cast<std::uint32_t>(start));
            start = end + 3;
            if (end == origins.size())
                break;
        }
        if (!origins.empty() && origins.size() >= 3 && origins.compare(origins.size() - 3, 3, " / ") == 0)
            return false;
        state.Indexed = true;
        state.Length = origins.size();
        return true;
    }

    std::unordered_map<std::string, int> names_;
    std::set<std::string> sortedNames_;
    std::unordered_map<std::uint64_t, std::uint32_t> entries_;
    std::vector<RowState> rows_ = std::vector<RowState>(WordTableRows);
    std::vector<std::uint32_t> touchedRows_;  // the rows whose state may differ from a fresh one
    bool usable_ = true;
    std::string lastName_;
    int lastId_ = -1;
};

OriginIndex Origins;

// The page lists of WordTables kept as numbers (see DeferWordOrigins) while
// Deferring is set.
bool Deferring = false;
OriginTally DeferredOrigins;

// Writes the page lists kept aside into WordTables and writes every later
// count into the texts again.
void StopDeferring()
{
    if (!Deferring)
        return;
    Deferring = false;
    if (!DeferredOrigins.Empty())
        for (int row = 0; row < WordTableRows; ++row)
            WordTables.WordOrigins[row] = DeferredOrigins.Text(row);
    DeferredOrigins.Reset(0);
}

// Whether the page lists kept aside take the counts of origin: a name the
// texts could confuse with another one has its counts, and all later ones,
// written as texts.
bool SelectTallyOrigin(const std::string& origin)
{
    if (!Deferring)
        return false;
    if (DeferredOrigins.Select(origin))
        return true;
    StopDeferring();
    return false;
}

// Adds one to the count of Origin in row's origin list "Titre (1) / Texte
// (4)", or appends Origin with the count 1. An entry is matched as a whole
// (at the start or after " / ", and followed by " ("), so "b.htm" is never
// taken for the end of "ab.htm".
constexpr std::size_t ShortOriginList = 96;

inline void AddOrigin(int row, std::string& origins, const std::string& origin)
{
    // The usual case first: the list starts with this origin's entry (the
    // first place the search would try) and its count is plainly written.
    if (BytesAt(origins, 0, origin) && BytesAt(origins, origin.size(), " (") &&
        IncrementCount(origins, origin.size() + 2)) {
        return;
    }
    // A short list (those of a page analysis, with a few labels) is searched
    // faster than the index is kept.
    if (origins.size() < ShortOriginList) {
        AddOriginAnywhere(origins, origin);
        return;
    }
    Origins.Add(row, origins, origin);
}

// Whether "/" + word + "/" occurs in "/" + forms + "/". The word holds no
// "/" (it was cut at separators), so such an occurrence is exactly one of the
// spellings between the slashes of forms being equal to the word.
[[gnu::noinline]] bool HasFormAnywhere(std::string_view forms, std::string_view word)
{
    std::size_t start = 0;  // where a spelling starts
    for (;;) {
        const std::size_t end = start + word.size();
        if (end <= forms.size() && (end == forms.size() || forms[end] == '/') && BytesAt(forms, start, word))
            return true;
        const std::size_t slash = forms.find('/', start);
        if (slash == std::string_view::npos)
            return false;
        start = slash + 1;
    }
}

inline bool HasForm(std::string_view forms, std::string_view word)
{
    // The usual case first: the word is the row's only spelling. (When forms
    // is exactly as long as the word, it holds the word only if it is it.)
    if (forms.size() == word.size())
        return SameBytes(forms.data(), word.data(), word.size());
    return HasFormAnywhere(forms, word);
}

// The key a row is indexed under: its WordKeys without the slashes around
// it (the whole text when it is shorter than two bytes).
std::string_view RowKey(const std::string& keys)
{
    std::string_view key(keys);
    return key.size() >= 2 ? key.substr(1, key.size() - 2) : key;
}

// The key index is rebuilt or emptied only in SyncKeyIndex and Clear();
// between two such events it only gains keys. IndexEpoch counts those
// events, so that a row remembered for a word (WordMemo below) is known to be
// still the row the index gives for the word's key while the epoch is
// unchanged. The tables are changed only by CountWords and Clear(), or
// emptied or filled row by row, which SyncKeyIndex notices.
std::uint32_t IndexEpoch = 1;

// The key index of WordTables: key -> row for the rows in use, as an
// open-addressing table of row numbers (a key is compared with the row's own
// WordKeys), each key found with one WordHash and usually one probe.
class KeyIndex {
public:
    // The row indexed under key, or -1. hash is WordHash(key).
    int Find(const WordTableSet& t, std::string_view key, std::uint64_t hash) const
    {
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t slot = hash & (Size - 1);; slot = (slot + 1) & (Size - 1)) {
            const Slot& s = slots_[slot];
            if (s.Row < 0)
                return -1;
            if (s.Tag == tag) {
                const std::string_view held = RowKey(t.WordKeys[s.Row]);
                if (held.size() == key.size() && SameBytes(held.data(), key.data(), key.size()))
                    return s.Row;
            }
        }
    }
    // Indexes row under key, which must not be indexed yet.
    void Add(std::uint64_t hash, int row)
    {
        std::size_t slot = hash & (Size - 1);
        while (slots_[slot].Row >= 0)
            slot = (slot + 1) & (Size - 1);
        slots_[slot] = Slot{static_cast<std::uint32_t>(hash >> 32), row};
        used_.push_back(static_cast<std::uint32_t>(slot));
    }
    void Clear()
    {
        for (std::uint32_t slot : used_)
            slots_[slot] = Slot{};
        used_.clear();
    }

private:
    // A power of 2 well above the 10001 rows, so probes stay short.
    static constexpr std::size_t Size = 16384;
    struct Slot {
        std::uint32_t Tag = 0;  // the high half of the key's hash
        std::int32_t Row = -1;  // -1: free
    };
    std::vector<Slot> slots_ = std::vector<Slot>(Size);
    std::vector<std::uint32_t> used_;
};

KeyIndex Keys;

void NewIndexEpoch();

// Makes the key index describe the rows in use again if someone emptied or
// filled the table without going through Clear() and CountWords.
void SyncKeyIndex(WordTableSet& t)
{
    const int n = t.IndexedRows;
    const bool lastUsed = n == 0 || !t.WordForms[n - 1].empty();
    const bool nextFree = n >= WordTableRows || t.WordForms[n].empty();
    if (lastUsed && nextFree)
        return;
    Keys.Clear();
    int row = 0;
    while (row < WordTableRows && !t.WordForms[row].empty()) {
        // The first row holding a key keeps it.
        const std::string_view key = RowKey(t.WordKeys[row]);
        const std::uint64_t hash = WordHash(key);
        if (Keys.Find(t, key, hash) < 0)
            Keys.Add(hash, row);
        ++row;
    }
    t.IndexedRows = row;
    NewIndexEpoch();
    StopDeferring();
    Origins.Clear();
}

// A small direct-mapped cache from a lower-cased word to what counting it
// needs: whether it is a usual word (valid for one build of the usual-word
// set) and the row of its key (valid for one index epoch). Pages repeat
// their words, and this spares most of them the usual-word look-up, the key
// and the key index look-up; the answers are the ones those give, since the
// stamps tie each answer to the state it was read from.
class WordMemo {
public:
    static constexpr std::size_t LongestWord = 13;  // longer words are not kept

    // 32 bytes, aligned: one entry never straddles two cache lines.
    struct alignas(32) Entry {
        std::uint32_t Tag = 0;         // the high half of the word's hash
        std::uint32_t UsualStamp = 0;  // UsualWordSet::Stamp() of IsUsual, 0: none
        std::uint32_t RowEpoch = 0;    // IndexEpoch of Row, 0: none
        // The row of the word's key; -1: not in the index while the table
        // was full (it cannot get a row before the next epoch).
        std::int32_t Row = -1;
        bool IsUsual = false;
        // The word is one of the spellings of Row (valid with Row: the
        // spellings of a row only grow until the next epoch).
        bool FormKnown = false;
        std::uint8_t Length = 0;
        char Word[LongestWord] = {};
    };

    // The entry for word (hash is WordHash of it), emptied of another
    // word's answers if needed; nullptr for a word too long to keep.
    Entry* Find(std::string_view word, std::uint64_t hash)
    {
        if (word.size() > LongestWord)
            return nullptr;
        Entry& e = entries_[hash & (Size - 1)];
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        if (e.Tag != tag || e.Length != word.size() || !SameBytes(e.Word, word.data(), word.size())) {
            e.Tag = tag;
            e.UsualStamp = 0;
            e.RowEpoch = 0;
            e.Length = static_cast<std::uint8_t>(word.size());
            for (std::size_t i = 0; i < word.size(); ++i)
                e.Word[i] = word[i];
        }
        return &e;
    }

    // Forget every row, or every usual-word answer (used when the counter
    // they are stamped with wraps around).
    void ForgetRows()
    {
        for (Entry& e : entries_)
            e.RowEpoch = 0;
    }
    void ForgetUsual()
    {
        for (Entry& e : entries_)
            e.UsualStamp = 0;
    }

private:
    static constexpr std::size_t Size = 4096;  // a power of 2
    std::array<Entry, Size> entries_{};
};

static_assert(sizeof(WordMemo::Entry) == 32);

WordMemo Memo;

// The usual words as a set: the texts between two consecutive slashes of
// UsualWords. For a candidate without "/" (candidates are cut at separators,
// "/" among them), "/" + candidate + "/" occurs in UsualWords exactly when
// the candidate is one of these texts, so one look-up in the set answers the
// search. The set is rebuilt whenever UsualWords holds another value, and
// each build gets a new Stamp. An open-addressing table of views into a copy
// of UsualWords, looked up with the hash the caller has already computed.
class UsualWordSet {
public:
    // The set for the present value of UsualWords.
    const UsualWordSet& Fresh()
    {
        if (stamp_ == 0 || source_ != App.UsualWords)
            Build();
        return *this;
    }
    // hash is WordHash(word).
    bool Contains(std::string_view word, std::uint64_t hash) const
    {
        for (std::size_t slot = hash & mask_;; slot = (slot + 1) & mask_) {
            const std::string_view held = slots_[slot];
            if (held.data() == nullptr)
                return false;
            if (held.size() == word.size() && BytesAt(held, 0, word))
                return true;
        }
    }
    std::uint32_t Stamp() const { return stamp_; }

private:
    void Build()
    {
        source_ = App.UsualWords;
        std::vector<std::string_view> words;
        const std::string_view all(source_);
        std::size_t slash = all.find('/');
        while (slash != std::string_view::npos) {
            const std::size_t next = all.find('/', slash + 1);
            if (next == std::string_view::npos)
                break;
            if (next > slash + 1)
                words.push_back(all.substr(slash + 1, next - slash - 1));
            slash = next;
        }
        std::size_t size = 16;
        while (size < 2 * words.size())
            size *= 2;  // at least half the slots stay empty
        slots_.assign(size, std::string_view());
        mask_ = size - 1;
        for (std::string_view word : words) {
            std::size_t slot = WordHash(word) & mask_;
            while (slots_[slot].data() != nullptr && slots_[slot] != word)
                slot = (slot + 1) & mask_;
            slots_[slot] = word;
        }
        if (++stamp_ == 0) {
            // Wrapped around: no answer of the memo may pass for a new one.
            Memo.ForgetUsual();
            stamp_ = 1;  // 0 means "never built"
        }
    }

    std::uint32_t stamp_ = 0;
    std::string source_;                   // the views in slots_ point into this copy
    std::vector<std::string_view> slots_;  // an empty view (null data) is a free slot
    std::size_t mask_ = 0;
};

UsualWordSet UsualWordsSet;

void NewIndexEpoch()
{
    if (++IndexEpoch == 0) {
        Memo.ForgetRows();
        IndexEpoch = 1;
    }
}

// Counts count occurrences of one word (lower-cased, no separator in it)
// under origin: what count calls for one occurrence give. keyBuffer
// is lent by the caller, to spare an allocation per word; memo is the word's
// memo entry or nullptr.
// tally tells that origin is the selected origin of DeferredOrigins.
[[gnu::always_inline]] inline void RecordWord(std::string_view word, const std::string& origin, std::string& keyBuffer,
                                              WordMemo::Entry* memo, bool tally, int count)
{
    WordTableSet& t = WordTables;
    SyncKeyIndex(t);
    int row;
    bool known = true;       // whether the row held the word's key already
    bool formKnown = false;  // whether the row is known to hold the word's spelling
    if (memo && memo->RowEpoch == IndexEpoch) {
        row = memo->Row;
        formKnown = memo->FormKnown;
    } else {
        // WordKey(word): the word is lower-case already, and ToLower leaves
        // lower-case text as it is, so only the accents and a final "s" go.
        // The buffer keeps 8 bytes to spare for PaddedWordHash.
        if (keyBuffer.size() < word.size() + 8)
            keyBuffer.resize(word.size() + 8);
        std::size_t keyLength = word.size();
        for (std::size_t i = 0; i < keyLength; ++i)
            keyBuffer[i] = static_cast<char>(textscan::AccentTable[static_cast<unsigned char>(word[i])]);
        if (keyLength > 0 && keyBuffer[keyLength - 1] == 's')
            --keyLength;
        const std::string_view key(keyBuffer.data(), keyLength);
        const std::uint64_t keyHash = PaddedWordHash(key);
        row = Keys.Find(t, key, keyHash);
        if (row < 0 && t.IndexedRows < WordTableRows) {
            // The first empty row becomes the word's row.
            known = false;
            row = t.IndexedRows;
            t.WordForms[row] = word;
            std::string& keys = t.WordKeys[row];
            keys.clear();
            keys += '/';
            keys += key;
            keys += '/';
            t.WordCounts[row] = count;
            Keys.Add(keyHash, row);
            t.IndexedRows = row + 1;
        }
        if (memo) {
            memo->RowEpoch = IndexEpoch;
            memo->Row = row;
            memo->FormKnown = false;
        }
    }
    if (row < 0) {
        // The table is full: the word is dropped. Reported once per run
        // rather than once per dropped word, whichever text filled it.
        if (!t.FullReported) {
            t.FullReported = true;
            ui::Ui().ShowMessage(ui::MainWindowId, TranslateFrenchKey("Erreur"),
                                 TranslateFrenchKey("Le nombre de mots trouv"
                                                    "\xE9"
                                                    "s dans la page est trop important pour les capacit"
                                                    "\xE9"
                                                    "s de ce programme !"));
        }
        return;
    }
    if (known) {
        if (!formKnown) {
            std::string& forms = t.WordForms[row];
            if (!HasForm(forms, word)) {
                forms += '/';
                forms += word;
            }
        }
        t.WordCounts[row] += count;
    }
    if (memo)
        memo->FormKnown = true;
    if (tally && Deferring) [[likely]] {
        DeferredOrigins.Count(row, static_cast<std::uint32_t>(count));
        return;
    }
    for (int i = 0; i < count; ++i)
        AddOrigin(row, t.WordOrigins[row], origin);
}

// Whether candidate is one of the usual words, answered by its memo entry
// when the entry holds the answer for the present usual-word set. usual is
// that set, made fresh by the first call that needs it.
inline bool IsUsualWord(std::string_view candidate, std::uint64_t hash, WordMemo::Entry* memo,
                        const UsualWordSet*& usual)
{
    if (!usual)
        usual = &UsualWordsSet.Fresh();
    if (memo && memo->UsualStamp == usual->Stamp())
        return memo->IsUsual;
    const bool isUsual = usual->Contains(candidate, hash);
    if (memo) {
        memo->UsualStamp = usual->Stamp();
        memo->IsUsual = isUsual;
    }
    return isUsual;
}

// Buffers kept from one call to the next, so that counting a piece does not
// allocate in the usual case. A call that starts while another one holds
// them (a message box shown while counting may let events run) gets fresh
// buffers of its own.
template <typename Buffers>
class Lease {
public:
    explicit Lease(Buffers& shared) : buffers_(shared.Busy ? own_ : shared) { buffers_.Busy = true; }
    ~Lease() { buffers_.Busy = false; }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    Buffers& operator*() { return buffers_; }
    Buffers* operator->() { return &buffers_; }

private:
    Buffers own_;
    Buffers& buffers_;
};

// Buffers grown beyond this are given back after use.
constexpr std::size_t LargestKeptBuffer = 64 * 1024;

struct CountBuffers {
    bool Busy = false;
    std::string Word;  // room for the candidate, lower-cased
    std::string Key;
    std::string Unicode;  // a candidate holding escaped characters, lower-cased
};

CountBuffers SharedCountBuffers;

// Per byte: the byte lower-cased (ToLower), or a negative code: the "&"
// (a separator that may start an entity), the byte that starts an escaped
// character of a UTF-8 page (base/unicode_text.h; a letter, told apart so
// that the candidate is lower-cased with Unicode's case mapping too), any
// other separator.
constexpr short SeparatorCode = -1;
constexpr short EscapeCode = -2;
constexpr short AmpersandCode = -3;
constexpr std::array<short, 256> WordByteTable = [] {
    std::array<short, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = SeparatorTable[b] ? SeparatorCode : short(textscan::LowerTable[b]);
    table['&'] = AmpersandCode;
    table[static_cast<unsigned char>(EscapeStart)] = EscapeCode;
    return table;
}();

// A candidate holding characters of a UTF-8 page escaped: they take
// Unicode's lower case (in unicode, with 8 bytes to spare for
// PaddedWordHash). Returns its length, or 0 when it has fewer characters
// than a word (an escape is one character). Kept out of CountWordsIn, whose
// loop stays as small as for a Windows-1252 page.
[[gnu::noinline]] std::size_t LowerEscapedCandidate(std::string_view candidate, std::string& unicode)
{
    unicode = LowerEscapedCharacters(candidate);
    if (PageTextLength(unicode) < MinimumWordLength)
        return 0;
    const std::size_t length = unicode.size();
    unicode.resize(length + 8);
    return length;
}

// Cuts text into words: calls sink(word, hash) for each candidate long
// enough to be a word and not a number, lower-cased, with its WordHash.
// The text is cut as it stands and each entity is decoded where the cut
// meets it, which gives the words CountWords' preparation copies would give:
// - trimming the ends removes only spaces, which the decoder keeps and which
//   end words anyway, so it changes no candidate;
// - "/" is a separator like the space it would become, and TAB, LF and CR
//   are separators like the spaces they would become; for the decoder, all
//   of them end an entity name alike;
// - every entity starts with "&", itself a separator: at a "&" the entity
//   (if any) is read with the decoder's own rule and its byte, a letter or a
//   separator, goes on or ends the candidate as it would in decoded text.
// A candidate (the text between two separators) holds no separator, so it
// holds no space and the trimming of candidates changes nothing either.
// The candidate is built in wordBuffer (unicodeBuffer when it holds escaped
// characters); the word given to sink is followed by 8 readable bytes.
// Touches nothing shared: it may run on any thread.
template <typename Sink>
[[gnu::always_inline]] inline void CutWords(std::string_view text, std::string& wordBuffer, std::string& unicodeBuffer,
                                            Sink&& sink)
{
    // No candidate is longer than the text, as an entity decodes to one
    // byte. The 8 bytes more are the room LetterRun and PaddedWordHash need.
    if (wordBuffer.size() < text.size() + 8)
        wordBuffer.resize(text.size() + 8);
    char* const word = wordBuffer.data();
    const char* const bytes = text.data();
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        // One candidate: runs of word bytes, joined by entities that decode
        // to a word byte; a separator or an entity decoding to one ends it.
        std::size_t length = 0;
        bool escaped = false;  // the candidate holds a character of a UTF-8 page escaped
        for (;;) {
            short lower;
            for (;;) {
                const std::size_t run = LetterRun(bytes + i, size - i, word + length);
                i += run;
                length += run;
                if (i == size || (lower = WordByteTable[static_cast<unsigned char>(bytes[i])]) < 0)
                    break;
                word[length++] = static_cast<char>(lower);
                ++i;
            }
            if (i == size)
                break;
            if (lower != SeparatorCode) {
                if (lower == EscapeCode) [[unlikely]] {
                    // An escaped character of a UTF-8 page: a letter.
                    escaped = true;
                    word[length++] = EscapeStart;
                    ++i;
                    continue;
                }
                // An "&".
                char decoded;
                const std::size_t entity = textscan::EntityAt(text, i, decoded);
                if (entity != 0) {
                    i += entity;
                    lower = WordByteTable[static_cast<unsigned char>(decoded)];
                    if (lower < 0)
                        break;
                    word[length++] = static_cast<char>(lower);
                    continue;
                }
            }
            ++i;  // the separator
            break;
        }
        if (length < MinimumWordLength)
            continue;
        std::string_view candidate(word, length);
        if (escaped) [[unlikely]] {
            const std::size_t unicodeLength = LowerEscapedCandidate(candidate, unicodeBuffer);
            if (unicodeLength == 0)
                continue;
            candidate = std::string_view(unicodeBuffer.data(), unicodeLength);
        }
        if (IsNumber(candidate))
            continue;
        sink(candidate, PaddedWordHash(candidate));
    }
}

// CountWords without the preparation copies (see CutWords).
void CountWordsIn(std::string_view text, const std::string& origin, bool keepUsual)
{
    Lease<CountBuffers> buffers(SharedCountBuffers);
    const bool tally = SelectTallyOrigin(origin);
    // The usual-word set, made fresh when the first candidate needs it.
    const UsualWordSet* usual = nullptr;
    CutWords(text, buffers->Word, buffers->Unicode, [&](std::string_view candidate, std::uint64_t hash) {
        WordMemo::Entry* memo = Memo.Find(candidate, hash);
        if (!keepUsual && IsUsualWord(candidate, hash, memo, usual))
            return;
        RecordWord(candidate, origin, buffers->Key, memo, tally, 1);
    });
    // A text far longer than a page piece (CountWords called directly) does
    // not leave its buffer behind.
    if (buffers->Word.size() > LargestKeptBuffer)
        std::string().swap(buffers->Word);
    if (buffers->Key.size() > LargestKeptBuffer)
        std::string().swap(buffers->Key);
}

// Adds one occurrence of word (hash is its WordHash) to batch.
void AddToBatch(WordBatch& batch, std::string_view word, std::uint64_t hash)
{
    if (batch.Index.size() < 2 * (batch.Words.size() + 1)) {
        // At least half the slots stay free.
        std::size_t size = std::max<std::size_t>(1024, 2 * batch.Index.size());
        batch.Index.assign(size, 0);
        for (std::size_t n = 0; n < batch.Words.size(); ++n) {
            std::size_t slot = batch.Words[n].Hash & (size - 1);
            while (batch.Index[slot] != 0)
                slot = (slot + 1) & (size - 1);
            batch.Index[slot] = static_cast<std::uint32_t>(n + 1);
        }
    }
    const std::size_t mask = batch.Index.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t held = batch.Index[slot];
        if (held == 0) {
            batch.Index[slot] = static_cast<std::uint32_t>(batch.Words.size() + 1);
            batch.Words.push_back(WordBatch::Word{static_cast<std::uint32_t>(batch.Bytes.size()),
                                                  static_cast<std::uint32_t>(word.size()), hash, 1});
            batch.Bytes.append(word);
            return;
        }
        WordBatch::Word& known = batch.Words[held - 1];
        if (known.Hash == hash && known.Length == word.size() &&
            SameBytes(batch.Bytes.data() + known.Offset, word.data(), word.size())) {
            ++known.Count;
            return;
        }
    }
}

// The translated origin labels of the handler, looked up again only when the
// language changes: the translation tables are constant, so a text's
// translation depends on the language alone.
struct OriginLabels {
    bool Known = false;
    std::string Language;
    std::string Title, Text, ImageName, ImageComment;

    const OriginLabels& Current()
    {
        if (!Known || Language != App.Language) {
            Language = App.Language;
            Title = TranslateFrenchKey("Titre");
            Text = TranslateFrenchKey("Texte");
            ImageName = TranslateFrenchKey("Nom d'image");
            ImageComment = TranslateFrenchKey("Commentaire d'image");
            Known = true;
        }
        return *this;
    }
};

OriginLabels Labels;

// The value of the attribute whose name starts at occurrence in tag.
std::string_view AttributeValue(std::string_view tag, std::size_t occurrence)
{
    const std::size_t quote = tag.find('"', occurrence);
    if (quote != std::string_view::npos) {
        const std::size_t closing = tag.find('"', quote + 1);
        if (closing == std::string_view::npos)
            return tag.substr(quote + 1);
        return tag.substr(quote + 1, closing - quote - 1);
    }
    const std::size_t equals = tag.find('=', occurrence);
    if (equals == std::string_view::npos)
        return {};
    std::size_t end = tag.find(' ', equals + 1);
    if (end == std::string_view::npos)
        end = tag.find(',', equals + 1);
    if (end == std::string_view::npos)
        return tag.substr(equals + 1);
    return tag.substr(equals + 1, end - equals - 1);
}

// images/mon-chien.jpg -> mon-chien
std::string_view ImageName(std::string_view name)
{
    const std::size_t slash = name.rfind('/');
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos)
        name = name.substr(0, dot);
    return name;
}

// The declared keyword list: the parts between commas, decoded and trimmed,
// each marked as not (yet) found in the page.
void ReadKeywordList(const std::string& value)
{
    Page.KeywordList.Clear();
    const std::string notUsed = TranslateFrenchKey("Non");
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        std::string part = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        std::erase_if(part, [](char c) { return c == '\n' || c == '\r'; });
        if (EncodeEntities(DecodeEntities(part)) != part)
            Page.KeywordAccentsBad = true;
        if (!part.empty())
            Page.KeywordList.Rows.push_back({TrimSpaces(DecodeEntities(part)), notUsed});
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
}

// Origin of a content attribute: the meta label when the tag is a meta tag
// with a double-quoted name (or http-equiv), else the attribute name.
std::string ContentOrigin(const std::string& tag, const std::string& lower, const std::string& attributeName)
{
    std::size_t word = lower.find("name");
    std::size_t length = 4;
    if (word == std::string::npos) {
        word = lower.find("http-equiv");
        length = 10;
    }
    if (word != std::string::npos && lower.find("meta") != std::string::npos) {
        const std::size_t open = tag.find('"', word + length);
        if (open != std::string::npos) {
            const std::size_t close = tag.find('"', open + 1);
            if (close != std::string::npos)
                return MetaLabel(tag.substr(open + 1, close - open - 1));
        }
    }
    return attributeName;
}

// A tag ready for the attribute search: runs of spaces made one space, the
// same text lower-cased (a position means the same byte in both), and
// whether it mentions "keyword".
struct PreparedTag {
    bool Busy = false;  // see Lease
    std::string Tag;
    std::string Lower;
    bool MentionsKeyword = false;
};

void PrepareTag(const std::string& raw, PreparedTag& out)
{
    out.Tag.clear();
    out.Tag.reserve(raw.size());
    for (char c : raw)
        if (c != ' ' || out.Tag.empty() || out.Tag.back() != ' ')
            out.Tag.push_back(c);
    out.Lower.resize(out.Tag.size());
    for (std::size_t i = 0; i < out.Tag.size(); ++i)
        out.Lower[i] = static_cast<char>(textscan::LowerTable[static_cast<unsigned char>(out.Tag[i])]);
    out.MentionsKeyword = out.Lower.find("keyword") != std::string::npos;
}

// CountAttributeWords on a prepared tag; name is AttributeName lower-cased,
// withEquals and withSpace are name + "=" and name + " =".
void CountAttributeWordsIn(const PreparedTag& prepared, std::string_view attributeName, std::string_view name,
                           std::string_view withEquals, std::string_view withSpace)
{
    const std::string& tag = prepared.Tag;
    const std::string& lower = prepared.Lower;
    auto findAttribute = [&](std::size_t from) {
        std::size_t at = lower.find(withEquals, from);
        if (at == std::string::npos)
            at = lower.find(withSpace, from);
        return at;
    };

    std::size_t occurrence = findAttribute(0);
    if (occurrence == std::string::npos)
        return;

    const bool imageName = name == "img src" || name == "background";
    // Any tag that mentions "keyword" is read as the keyword list, whatever
    // the attribute.
    const bool keywordList = prepared.MentionsKeyword;
    std::string origin;
    if (imageName)
        origin = Labels.Current().ImageName;
    else if (name == "alt")
        origin = Labels.Current().ImageComment;
    else if (name == "content")
        origin = ContentOrigin(tag, lower, std::string(attributeName));
    else
        origin = attributeName;

    while (occurrence != std::string::npos) {
        std::string_view value = AttributeValue(tag, occurrence);
        if (imageName)
            value = ImageName(value);
        if (keywordList)
            ReadKeywordList(std::string(value));
        else
            CountWordsIn(value, origin, true);
        occurrence = findAttribute(occurrence + 1);
    }
}

// The attributes the analysis handler reads, in this order.
struct HandlerAttribute {
    std::string_view Name, WithEquals, WithSpace;
};
constexpr HandlerAttribute HandlerAttributes[] = {
    {"alt", "alt=", "alt ="},
    {"img src", "img src=", "img src ="},
    {"background", "background=", "background ="},
    {"content", "content=", "content ="},
};

PreparedTag SharedPreparedTag;

bool OnlySpacesAndLineEnds(std::string_view text)
{
    for (char c : text)
        if (c != ' ' && c != '\n' && c != '\r')
            return false;
    return true;
}

// Whether the tag may hold one of the handler's attributes. An attribute is
// found as its name followed by "=" or " =" in the tag with its runs of
// spaces made one space and lower-cased, so some "=" of the tag must follow,
// after nothing but spaces, the last word of a name ("alt", the "src" of
// "img src", "background", "content") in any case. Most tags ("p class=..",
// "a href=..", "/td") fail this test and need no further look.
bool MayHoldHandlerAttribute(std::string_view tag)
{
    constexpr std::string_view lastWords[] = {"alt", "src", "background", "content"};
    for (std::size_t equals = tag.find('='); equals != std::string_view::npos; equals = tag.find('=', equals + 1)) {
        std::size_t end = equals;
        while (end > 0 && tag[end - 1] == ' ')
            --end;
        for (std::string_view last : lastWords) {
            if (end < last.size())
                continue;
            const std::string_view before = tag.substr(end - last.size(), last.size());
            bool same = true;
            for (std::size_t i = 0; i < last.size() && same; ++i)
                same =
                    textscan::LowerTable[static_cast<unsigned char>(before[i])] == static_cast<unsigned char>(last[i]);
            if (same)
                return true;
        }
    }
    return false;
}

}  // namespace

void WordTableSet::Clear()
{
    for (int row = 0; row < WordTableRows; ++row) {
        WordForms[row].clear();
        WordKeys[row].clear();
        WordOrigins[row].clear();
        WordCounts[row] = 0;
    }
    if (this == &WordTables) {
        // The counts kept aside belonged to the rows just emptied.
        Deferring = false;
        DeferredOrigins.Reset(0);
        Keys.Clear();
        Origins.Clear();
    }
    IndexedRows = 0;
    FullReported = false;
    NewIndexEpoch();
}

void DeferWordOrigins()
{
    if (Deferring || WordTables.IndexedRows != 0 || !WordTables.WordForms[0].empty())
        return;
    DeferredOrigins.Reset(WordTableRows);
    Deferring = true;
}

void WriteWordOrigins()
{
    StopDeferring();
}

void ResetWordTables()
{
    WordTables.Clear();
}

std::string WordKey(const std::string& Word)
{
    // RemoveAccents(ToLower(Word)) in one pass over one copy; escaped
    // characters take Unicode's lower case, as when words are counted.
    std::string key(Word.size(), '\0');
    for (std::size_t i = 0; i < Word.size(); ++i)
        key[i] = static_cast<char>(textscan::AccentTable[textscan::LowerTable[static_cast<unsigned char>(Word[i])]]);
    if (HoldsEscape(key))
        key = LowerEscapedCharacters(key);
    if (!key.empty() && key.back() == 's')
        key.pop_back();
    return key;
}

void CountWords(const std::string& Text, const std::string& Origin, bool KeepUsual)
{
    CountWordsIn(Text, Origin, KeepUsual);
}

void WordBatch::Clear()
{
    if (!Words.empty())
        std::fill(Index.begin(), Index.end(), 0);
    Words.clear();
    Bytes.clear();
}

void GatherWords(std::string_view Text, WordBatch& Batch)
{
    CutWords(Text, Batch.WordBuffer, Batch.UnicodeBuffer,
             [&](std::string_view word, std::uint64_t hash) { AddToBatch(Batch, word, hash); });
    if (Batch.WordBuffer.size() > LargestKeptBuffer)
        std::string().swap(Batch.WordBuffer);
}

void CutTextWords(std::string_view Text, const std::function<void(std::string_view)>& Sink)
{
    std::string wordBuffer, unicodeBuffer;
    CutWords(Text, wordBuffer, unicodeBuffer, [&](std::string_view word, std::uint64_t) { Sink(word); });
}

void CountWordBatch(const WordBatch& Batch, const std::string& Origin, bool KeepUsual)
{
    if (Batch.Words.empty())
        return;
    Lease<CountBuffers> buffers(SharedCountBuffers);
    const bool tally = SelectTallyOrigin(Origin);
    const UsualWordSet* usual = nullptr;
    // Counting a word's occurrences of the page at its first meeting gives
    // the tables counting them one at a time gives: a row is made at the
    // first meeting of its first word, a spelling is added at its first
    // meeting, and every later occurrence only adds to counts that are the
    // same whatever the order they are added in.
    for (const WordBatch::Word& w : Batch.Words) {
        const std::string_view word(Batch.Bytes.data() + w.Offset, w.Length);
        WordMemo::Entry* memo = Memo.Find(word, w.Hash);
        if (!KeepUsual && IsUsualWord(word, w.Hash, memo, usual))
            continue;
        RecordWord(word, Origin, buffers->Key, memo, tally, w.Count);
    }
}

std::string MetaLabel(const std::string& MetaName)
{
    if (App.Language == LanguageEnglish)
        return MetaName + " tag";
    return "Balise \"" + MetaName + "\"";
}

void CountAttributeWords(const std::string& AttributeName, const std::string& Tag)
{
    PreparedTag tag;
    PrepareTag(Tag, tag);
    const std::string name = ToLower(AttributeName);
    CountAttributeWordsIn(tag, AttributeName, name, name + "=", name + " =");
}

void AnalysisHandler(std::int64_t, const std::string&, const std::string&, const std::string&)
{
    const std::string& rawTag = Page.CurrentTag;
    if (!rawTag.empty()) {
        if (MayHoldHandlerAttribute(rawTag)) {
            // The tag is prepared once for the four attributes.
            Lease<PreparedTag> tag(SharedPreparedTag);
            PrepareTag(rawTag, *tag);
            for (const auto& attribute : HandlerAttributes)
                CountAttributeWordsIn(*tag, attribute.Name, attribute.Name, attribute.WithEquals, attribute.WithSpace);
        }
        // ToLower(TrimSpaces(tag)) == "title", without the copies.
        std::string_view trimmed(rawTag);
        while (!trimmed.empty() && trimmed.front() == ' ')
            trimmed.remove_prefix(1);
        while (!trimmed.empty() && trimmed.back() == ' ')
            trimmed.remove_suffix(1);
        if (trimmed.size() == 5) {
            char lower[5];
            for (std::size_t i = 0; i < 5; ++i)
                lower[i] = static_cast<char>(textscan::LowerTable[static_cast<unsigned char>(trimmed[i])]);
            if (std::string_view(lower, 5) == "title")
                Page.PageTitle = "--";
        }
    }
    if (!Page.CurrentText.empty()) {
        if (Page.PageTitle == "--") {
            // Only the first text run after the title tag is the title.
            std::string spaced = Page.CurrentText;
            for (auto& c : spaced)
                if (c == '\n' || c == '\r')
                    c = ' ';
            Page.PageTitle = DecodeEntities(spaced);
            CountWords(Page.PageTitle, Labels.Current().Title, false);
        } else if (!OnlySpacesAndLineEnds(Page.CurrentText)) {
            // The text with its line ends made spaces and trimmed is not
            // empty. CountWords needs neither step (see CountWordsIn), so the
            // text is counted as it stands.
            CountWordsIn(Page.CurrentText, Labels.Current().Text, false);
        }
    }
}

}  // namespace kestrova
