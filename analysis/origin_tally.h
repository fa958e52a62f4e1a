// The page lists of the word tables kept as numbers while a site scan runs.
//
// A site scan counts thousands of pages, one origin (the page's file name)
// at a time. Writing each count into the row's text "a.htm (3) / b.htm (1)"
// as it happens means finding the entry in a long text and rewriting it when
// its count gains a digit. OriginTally keeps, per row, the (origin, count)
// pairs in order of first meeting instead, and writes the texts once at the
// end: the same texts the step-by-step writing gives, as long as every entry
// can only be matched by its own name (Select refuses any other name).
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrova {

// Whether name may join names (the origins of the lists so far) without an
// entry of the lists being matched by another name than its own: false for
// a name holding "/" (which could look like the " / " between entries), and
// for a name that is another one followed by " (", or the other way round
// (its entry would start like the other one's).
bool KeepsEntriesApart(const std::set<std::string>& names, const std::string& name);

class OriginTally {
public:
    explicit OriginTally(int rows = 0) { Reset(rows); }

    // Forgets every count and name; rows are numbered 0 to rows - 1.
    void Reset(int rows);

    // Makes name the origin the next counts go to. Returns false, changing
    // nothing, for a name the texts could confuse with another one (see
    // KeepsEntriesApart).
    bool Select(const std::string& name)
    {
        if (current_ >= 0 && name == currentName_)
            return true;
        return SelectOther(name);
    }

    // count more (one by default) of the selected origin in row. The counts of the selected
    // origin gather in a small array indexed by row (a page's words repeat,
    // and the array stays in the cache where the rows' lists would not) and
    // go to the lists when another origin is selected or a text is read.
    void Count(int row, std::uint32_t count = 1)
    {
        std::uint32_t& pending = pending_[static_cast<std::size_t>(row)];
        if (pending == 0)
            touched_.push_back(static_cast<std::uint32_t>(row));
        pending += count;
    }

    // Whether no count has been made since the last Reset.
    bool Empty() const { return !counted_; }

    // The text of row: "name (count)" per origin in order of first meeting,
    // joined by " / "; empty when the row has none.
    std::string Text(int row);

private:
    struct Entry {
        std::uint32_t Name;
        std::uint32_t Count;
    };
    // Where the selected origin's entry stands in a row: valid while Serial
    // is the serial of the present selection.
    struct Slot {
        std::uint32_t Serial = 0;
        std::uint32_t Index = 0;
    };
    struct Placed {
        std::uint32_t Row;
        std::uint32_t Index;
    };

    bool SelectOther(const std::string& name);
    // Adds the gathered counts to the rows' lists.
    void Flush();

    std::vector<std::vector<Entry>> rows_;
    std::vector<Slot> slots_;
    std::vector<std::uint32_t> pending_;  // per row, counts not in its list yet
    std::vector<std::uint32_t> touched_;  // the rows with a pending count, in order
    // Per origin, the rows holding its entry: selecting an origin met before
    // points the slots of those rows at its entries again.
    std::vector<std::vector<Placed>> byName_;
    std::unordered_map<std::string, int> ids_;
    std::vector<std::string> names_;
    std::set<std::string> sortedNames_;
    std::string currentName_;
    int current_ = -1;
    std::uint32_t serial_ = 1;
    bool counted_ = false;
};

}  // namespace kestrova
