// Differences between two versions of a text, in the standard unified
// format that `patch` applies. Lines are compared with their line ends, so a
// change of CR LF to LF, or of the last line end, is a change too.
#pragma once

#include <string>
#include <vector>

namespace kestrova {

// One line of a difference: ' ' the same in both, '-' only in the old text,
// '+' only in the new one. Text is the line with its line end.
struct DiffLine {
    char Kind = ' ';
    std::string Text;
};

// One block of changes with up to `context` unchanged lines around it.
struct DiffHunk {
    long long OldStart = 0;  // 1-based; for an empty range the line before it
    long long OldCount = 0;
    long long NewStart = 0;
    long long NewCount = 0;
    std::vector<DiffLine> Lines;
};

// The blocks that turn oldText into newText (none when they are equal).
std::vector<DiffHunk> DiffHunks(const std::string& oldText, const std::string& newText, int context = 3);

// The whole unified difference with its two file lines ("--- oldLabel",
// "+++ newLabel"); "" when the texts are equal. A last line without a line
// end is followed by "\ No newline at end of file".
std::string UnifiedDiff(const std::string& oldText, const std::string& newText, const std::string& oldLabel,
                        const std::string& newLabel, int context = 3);

}  // namespace kestrova
