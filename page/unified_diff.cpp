#include "page/unified_diff.h"

#include <algorithm>

#include <dtl/dtl.hpp>

namespace kestrova {

namespace {

// The lines of a text, each with its LF (the last one may have none).
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        const std::size_t end = lf == std::string::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

}  // namespace

std::vector<DiffHunk> DiffHunks(const std::string& oldText, const std::string& newText, int context)
{
    std::vector<DiffHunk> hunks;
    if (oldText == newText)
        return hunks;
    const std::vector<std::string> a = SplitLines(oldText);
    const std::vector<std::string> b = SplitLines(newText);
    dtl::Diff<std::string, std::vector<std::string>> diff(a, b);
    diff.onHuge();
    diff.compose();

    // Every line of both texts in order, with the line numbers before it.
    struct Op {
        char Kind;
        const std::string* Text;
        long long OldBefore;  // old lines before this one
        long long NewBefore;
    };
    std::vector<Op> ops;
    long long oldLine = 0;
    long long newLine = 0;
    for (const auto& [text, info] : diff.getSes().getSequence()) {
        // The sequence holds copies; point at the texts' own lines.
        if (info.type == dtl::SES_COMMON) {
            ops.push_back({' ', &a[static_cast<std::size_t>(oldLine)], oldLine, newLine});
            ++oldLine;
            ++newLine;
        } else if (info.type == dtl::SES_DELETE) {
            ops.push_back({'-', &a[static_cast<std::size_t>(oldLine)], oldLine, newLine});
            ++oldLine;
        } else {
            ops.push_back({'+', &b[static_cast<std::size_t>(newLine)], oldLine, newLine});
            ++newLine;
        }
    }

    const long long ctx = std::max(context, 0);
    const long long count = static_cast<long long>(ops.size());
    long long i = 0;
    while (i < count) {
        if (ops[static_cast<std::size_t>(i)].Kind == ' ') {
            ++i;
            continue;
        }
        // A block: from ctx lines before this change to ctx lines after the
        // last change that lies within 2 * ctx unchanged lines of the next.
        const long long begin = std::max(0LL, i - ctx);
        long long lastChange = i;
        long long j = i + 1;
        while (j < count) {
            if (ops[static_cast<std::size_t>(j)].Kind != ' ') {
                lastChange = j;
            } else if (j - lastChange > 2 * ctx) {
                break;
            }
            ++j;
        }
        const long long end = std::min(count, lastChange + ctx + 1);
        DiffHunk hunk;
        const Op& first = ops[static_cast<std::size_t>(begin)];
        for (long long k = begin; k < end; ++k) {
            const Op& op = ops[static_cast<std::size_t>(k)];
            hunk.Lines.push_back({op.Kind, *op.Text});
            if (op.Kind != '+')
                ++hunk.OldCount;
            if (op.Kind != '-')
                ++hunk.NewCount;
        }
        hunk.OldStart = hunk.OldCount == 0 ? first.OldBefore : first.OldBefore + 1;
        hunk.NewStart = hunk.NewCount == 0 ? first.NewBefore : first.NewBefore + 1;
        hunks.push_back(std::move(hunk));
        i = end;
    }
    return hunks;
}

std::string UnifiedDiff(const std::string& oldText, const std::string& newText, const std::string& oldLabel,
                        const std::string& newLabel, int context)
{
    const std::vector<DiffHunk> hunks = DiffHunks(oldText, newText, context);
    if (hunks.empty())
        return std::string();
    std::string out = "--- " + oldLabel + "\n+++ " + newLabel + "\n";
    for (const DiffHunk& hunk : hunks) {
        out += "@@ -" + std::to_string(hunk.OldStart) + "," + std::to_string(hunk.OldCount) + " +" +
               std::to_string(hunk.NewStart) + "," + std::to_string(hunk.NewCount) + " @@\n";
        for (const DiffLine& line : hunk.Lines) {
            out += line.Kind;
            out += line.Text;
            if (line.Text.empty() || line.Text.back() != '\n')
                out += "\n\\ No newline at end of file\n";
        }
    }
    return out;
}

}  // namespace kestrova
