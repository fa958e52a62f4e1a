// The JSON documents of the report verbs, built from their text reports
// (which stay the reference output: one line per row, fields separated by
// tabs, never a tab inside a field).
#pragma once

#include <nlohmann/json.hpp>

#include "cli/verb_table.h"

namespace kestrova::cli {

bool AnalyseJson(const ReportOutput& report, nlohmann::json& document);
bool MetaJson(const ReportOutput& report, nlohmann::json& document);
bool ImagesJson(const ReportOutput& report, nlohmann::json& document);
bool SentencesJson(const ReportOutput& report, nlohmann::json& document);
bool SiteJson(const ReportOutput& report, nlohmann::json& document);
bool UploadJson(const ReportOutput& report, nlohmann::json& document);
bool UpdateCheckJson(const ReportOutput& report, nlohmann::json& document);

// The text's lines (LF-ended; a last line without LF counts), each split at
// its tabs.
std::vector<std::vector<std::string>> TabLines(const std::string& text);

}  // namespace kestrova::cli
