// The four columns of WordTables copied out, to compare the tables two ways
// of counting leave.
#pragma once

#include <string>
#include <vector>

namespace kestrova::test {

struct WordTableColumns {
    std::vector<std::string> Forms, Keys, Origins;
    std::vector<int> Counts;
};

// Every row of WordTables, empty ones included.
WordTableColumns SnapshotWordTables();

// Adds a test failure for each of the first five rows in which actual and
// expected differ.
void ExpectSameWordTables(const WordTableColumns& actual, const WordTableColumns& expected);

}  // namespace kestrova::test
