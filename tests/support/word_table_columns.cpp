#include "tests/support/word_table_columns.h"

#include <gtest/gtest.h>

#include "analysis/word_tables.h"

namespace kestrova::test {

WordTableColumns SnapshotWordTables()
{
    WordTableColumns c;
    for (int row = 0; row < WordTableRows; ++row) {
        c.Forms.push_back(WordTables.WordForms[row]);
        c.Keys.push_back(WordTables.WordKeys[row]);
        c.Origins.push_back(WordTables.WordOrigins[row]);
        c.Counts.push_back(WordTables.WordCounts[row]);
    }
    return c;
}

void ExpectSameWordTables(const WordTableColumns& actual, const WordTableColumns& expected)
{
    int differences = 0;
    for (int row = 0; row < WordTableRows && differences < 5; ++row) {
        if (actual.Forms[row] != expected.Forms[row] || actual.Keys[row] != expected.Keys[row] ||
            actual.Origins[row] != expected.Origins[row] || actual.Counts[row] != expected.Counts[row]) {
            ++differences;
            ADD_FAILURE() << "row " << row << ": " << actual.Forms[row] << " " << actual.Counts[row] << " ["
                          << actual.Origins[row] << "] instead of " << expected.Forms[row] << " "
                          << expected.Counts[row] << " [" << expected.Origins[row] << "]";
        }
    }
}

}  // namespace kestrova::test
