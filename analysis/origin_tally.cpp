#include "analysis/origin_tally.h"

namespace kestrova {

void OriginTally::Reset(int rows)
{
    rows_.assign(static_cast<std::size_t>(rows), {});
    slots_.assign(static_cast<std::size_t>(rows), Slot{});
    pending_.assign(static_cast<std::size_t>(rows), 0);
    touched_.clear();
    byName_.clear();
    ids_.clear();
    names_.clear();
    sortedNames_.clear();
    currentName_.clear();
    current_ = -1;
    serial_ = 1;
    counted_ = false;
}

bool KeepsEntriesApart(const std::set<std::string>& names, const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return false;
    // Another name that is this one followed by " (".
    const std::string longer = name + " (";
    const auto next = names.lower_bound(longer);
    if (next != names.end() && next->compare(0, longer.size(), longer) == 0)
        return false;
    // This name being another one followed by " (".
    for (std::size_t at = name.find(" ("); at != std::string::npos; at = name.find(" (", at + 1))
        if (names.count(name.substr(0, at)) != 0)
            return false;
    return true;
}

void OriginTally::Flush()
{
    for (const std::uint32_t row : touched_) {
        const std::uint32_t count = pending_[row];
        pending_[row] = 0;
        Slot& slot = slots_[row];
        std::vector<Entry>& entries = rows_[row];
        if (slot.Serial == serial_) {
            entries[slot.Index].Count += count;
            continue;
        }
        slot.Serial = serial_;
        slot.Index = static_cast<std::uint32_t>(entries.size());
        entries.push_back(Entry{static_cast<std::uint32_t>(current_), count});
        byName_[static_cast<std::size_t>(current_)].push_back(Placed{row, slot.Index});
    }
    touched_.clear();
}

bool OriginTally::SelectOther(const std::string& name)
{
    auto it = ids_.find(name);
    const bool known = it != ids_.end();
    if (!known) {
        if (!KeepsEntriesApart(sortedNames_, name))
            return false;
        it = ids_.emplace(name, static_cast<int>(names_.size())).first;
        names_.push_back(name);
        sortedNames_.insert(name);
        byName_.emplace_back();
    }
    Flush();  // the counts gathered so far are the previous origin's
    current_ = it->second;
    currentName_ = name;
    counted_ = true;
    if (++serial_ == 0) {
        // Wrapped around: no slot may pass for one of the new serial.
        for (Slot& slot : slots_)
            slot.Serial = 0;
        serial_ = 1;
    }
    if (known)
        for (const Placed& placed : byName_[static_cast<std::size_t>(current_)])
            slots_[placed.Row] = Slot{serial_, placed.Index};
    return true;
}

std::string OriginTally::Text(int row)
{
    Flush();
    std::string text;
    const std::vector<Entry>& entries = rows_[static_cast<std::size_t>(row)];
    std::size_t length = 0;
    for (const Entry& entry : entries)
        length += names_[entry.Name].size() + 16;
    text.reserve(length);
    for (const Entry& entry : entries) {
        if (!text.empty())
            text += " / ";
        text += names_[entry.Name];
        text += " (";
        text += std::to_string(entry.Count);
        text += ')';
    }
    return text;
}

}  // namespace kestrova
