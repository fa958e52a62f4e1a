// Lines of the journal that an update must keep as they read: a line whose
// own text ends with CR (the file had CR CR LF) once lost that CR when
// another page was added.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/clock.h"
#include "page/journal.h"
#include "tests/support/temp_site.h"

using namespace kestrova;
using kestrova::test::ReadAll;
using kestrova::test::ScopedCurrentDir;
using kestrova::test::TempDir;

namespace {

class JournalLines : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetClock([] { return std::int64_t{500}; });
    }
    void TearDown() override
    {
        SetClock({});
        Journal.JournalEntries.clear();
    }
    TempDir dir;
    ScopedCurrentDir cwd{dir.Path()};
};

}  // namespace

TEST_F(JournalLines, LinesEndingWithCarriageReturnReadTheSameAfterAnUpdate)
{
    dir.Write(JournalFileName, "/s/a.htm|1\r\r\n/s/b.htm|2\n/s/c.htm|3\r\r\n");
    LoadJournal();
    const std::vector<std::string> before = Journal.JournalEntries;
    ASSERT_EQ(before, (std::vector<std::string>{"/s/a.htm|1\r", "/s/b.htm|2", "/s/c.htm|3\r"}));

    // A new page: appended, the others as they read.
    ASSERT_TRUE(AddJournalEntry("/s/d.htm"));
    LoadJournal();
    EXPECT_EQ(Journal.JournalEntries,
              (std::vector<std::string>{"/s/a.htm|1\r", "/s/b.htm|2", "/s/c.htm|3\r", "/s/d.htm|500"}));
    // The page of a line: replaced in place, the others as they read.
    ASSERT_TRUE(AddJournalEntry("/s/b.htm"));
    LoadJournal();
    EXPECT_EQ(Journal.JournalEntries,
              (std::vector<std::string>{"/s/a.htm|1\r", "/s/b.htm|500", "/s/c.htm|3\r", "/s/d.htm|500"}));
    EXPECT_EQ(ReadAll(dir.File(JournalFileName)), "/s/a.htm|1\r\r\n/s/b.htm|500\n/s/c.htm|3\r\r\n/s/d.htm|500\n");
}

TEST_F(JournalLines, TheInputTheFuzzerFoundKeepsItsOtherLines)
{
    // NUL bytes, a lone CR inside a line and a line ended by CR CR LF.
    const std::string input("/\0\0\0\0\0\0\0\n0000\r\n/ho.htm|17\n\n/srv/www/a7300000\r0\xa5"
                            "0\0\0\0\0\x01\0\0\0\0\0\0\r\r\n",
                            62);
    dir.Write(JournalFileName, input);
    LoadJournal();
    const std::vector<std::string> before = Journal.JournalEntries;
    ASSERT_EQ(before.size(), 4u);
    ASSERT_TRUE(AddJournalEntry(dir.File("page.htm")));
    LoadJournal();
    std::vector<std::string> expected = before;
    expected.push_back(dir.File("page.htm") + "|500");
    EXPECT_EQ(Journal.JournalEntries, expected);
}
