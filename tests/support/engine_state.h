// A clean engine state for each test: the application, page and edit state
// and the word tables reset, the interface language chosen, and a headless
// interface that records what would be shown. Also a fixed clock and a
// column reader for the report lists.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/headless_ui.h"
#include "page/page_state.h"

namespace kestrova::test {

class EngineStateTest : public ::testing::Test {
protected:
    explicit EngineStateTest(std::string language) : language_(std::move(language)) {}

    void SetUp() override;
    void TearDown() override;

    ui::HeadlessUi ui;

private:
    std::string language_;
};

// Sets the replaceable clock to a fixed local time for the life of the
// object, and gives the real clock back at its end.
class FixedClock {
public:
    explicit FixedClock(std::int64_t seconds = 1700000000);
    ~FixedClock();
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;
};

// One column of a report list, top to bottom ("" for a row without it).
std::vector<std::string> Column(const ReportList& list, std::size_t column);

}  // namespace kestrova::test
