#include "tests/support/engine_state.h"

#include "analysis/word_tables.h"
#include "base/app_state.h"
#include "base/clock.h"
#include "editing/rewrite_engine.h"

namespace kestrova::test {

void EngineStateTest::SetUp()
{
    ResetAppState();
    App.Language = language_;
    Page = PageState{};
    ResetEditState();
    ResetWordTables();
    ui::SetUi(&ui);
}

void EngineStateTest::TearDown()
{
    ui::SetUi(nullptr);
    ResetWordTables();
    Page = PageState{};
}

FixedClock::FixedClock(std::int64_t seconds)
{
    SetClock([seconds] { return seconds; });
}

FixedClock::~FixedClock()
{
    SetClock({});
}

std::vector<std::string> Column(const ReportList& list, std::size_t column)
{
    std::vector<std::string> out;
    for (const auto& row : list.Rows)
        out.push_back(column < row.size() ? row[column] : "");
    return out;
}

}  // namespace kestrova::test
