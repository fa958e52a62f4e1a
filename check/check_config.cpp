#include "check/check_config.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace kestrova::check {

CheckConfig::CheckConfig()
{
    for (const Rule& rule : check::Rules())
        Rules[rule.Id] = RuleSetting{rule.DefaultSeverity, rule.DefaultThreshold};
}

const RuleSetting& CheckConfig::Setting(std::string_view id) const
{
    const auto it = Rules.find(id);
    if (it == Rules.end())
        throw std::logic_error("no rule " + std::string(id));
    return it->second;
}

bool CheckConfig::Excluded(const std::string& relativePage) const
{
    for (std::string entry : Exclude) {
        while (entry.starts_with("./"))
            entry.erase(0, 2);
        while (entry.starts_with("/"))
            entry.erase(0, 1);
        if (entry.empty())
            continue;
        if (relativePage == entry)
            return true;
        if (entry.back() != '/')
            entry += '/';
        if (relativePage.starts_with(entry))
            return true;
    }
    return false;
}

bool CheckConfig::KeepOnly(const std::vector<std::string>& ids, std::string& problem)
{
    for (const std::string& id : ids) {
        if (FindRule(id) == nullptr) {
            problem = "unknown rule \"" + id + "\"";
            return false;
        }
    }
    for (auto& [id, setting] : Rules) {
        bool named = false;
        for (const std::string& wanted : ids)
            named = named || wanted == id;
        if (!named)
            setting.Level = Severity::Off;
        else if (setting.Level == Severity::Off)
            setting.Level = FindRule(id)->DefaultSeverity;
    }
    return true;
}

namespace {

bool ApplySeverity(const nlohmann::json& value, const std::string& id, RuleSetting& setting, std::string& problem)
{
    const auto level = value.is_string() ? SeverityFromName(value.get<std::string>()) : std::nullopt;
    if (!level) {
        problem = "rule \"" + id + "\": bad severity " + value.dump() + " (error, warning, notice or off)";
        return false;
    }
    setting.Level = *level;
    return true;
}

}  // namespace

bool ApplyConfigText(const std::string& json, CheckConfig& config, std::string& problem)
{
    const nlohmann::json doc = nlohmann::json::parse(json, nullptr, false);
    if (doc.is_discarded()) {
        problem = "not a JSON document";
        return false;
    }
    if (!doc.is_object()) {
        problem = "the configuration must be a JSON object";
        return false;
    }
    for (const auto& [key, value] : doc.items()) {
        if (key == "rules") {
            if (!value.is_object()) {
                problem = "\"rules\" must be an object";
                return false;
            }
            for (const auto& [id, ruleValue] : value.items()) {
                const Rule* rule = FindRule(id);
                if (rule == nullptr) {
                    problem = "unknown rule \"" + id + "\"";
                    return false;
                }
                RuleSetting& setting = config.Rules[id];
                if (ruleValue.is_string()) {
                    if (!ApplySeverity(ruleValue, id, setting, problem))
                        return false;
                    continue;
                }
                if (!ruleValue.is_object()) {
                    problem = "rule \"" + id + "\": bad value " + ruleValue.dump();
                    return false;
                }
                for (const auto& [field, fieldValue] : ruleValue.items()) {
                    if (field == "severity") {
                        if (!ApplySeverity(fieldValue, id, setting, problem))
                            return false;
                    } else if (field == "threshold") {
                        if (rule->DefaultThreshold < 0) {
                            problem = "rule \"" + id + "\" has no threshold";
                            return false;
                        }
                        if (!fieldValue.is_number_integer() || fieldValue.get<long long>() < 0 ||
                            fieldValue.get<long long>() > 1000000) {
                            problem = "rule \"" + id + "\": bad threshold " + fieldValue.dump();
                            return false;
                        }
                        setting.Threshold = fieldValue.get<int>();
                    } else {
                        problem = "rule \"" + id + "\": unknown key \"" + field + "\"";
                        return false;
                    }
                }
            }
        } else if (key == "exclude") {
            if (!value.is_array()) {
                problem = "\"exclude\" must be a list of pages and folders";
                return false;
            }
            for (const auto& item : value) {
                if (!item.is_string() || item.get<std::string>().empty()) {
                    problem = "\"exclude\": bad entry " + item.dump();
                    return false;
                }
                config.Exclude.push_back(item.get<std::string>());
            }
        } else {
            problem = "unknown key \"" + key + "\"";
            return false;
        }
    }
    return true;
}

bool ApplyConfigFile(const std::string& path, CheckConfig& config, std::string& problem)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = "cannot read the configuration \"" + path + "\"";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!ApplyConfigText(text.str(), config, problem)) {
        problem = path + ": " + problem;
        return false;
    }
    return true;
}

}  // namespace kestrova::check
