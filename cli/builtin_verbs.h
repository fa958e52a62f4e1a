// The handlers of the verbs that came with the tool, as rows of the verb
// table call them (args start with the verb).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace kestrova::cli {

int ExportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int AnalyseCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int MetaCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int KeywordCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int TitleCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int UploadCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// images, alt, rename-image and sentences.
int EditorCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int SiteCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kestrova::cli
