#include "cli/cli.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <ostream>
#include <sstream>
#include <streambuf>

#include <nlohmann/json.hpp>

#include "cli/cli_verbs.h"
#include "cli/history_verbs.h"
#include "cli/invocation.h"
#include "cli/verb_table.h"
#include "net/version_list.h"

namespace kestrova::cli {

Invocation& CurrentInvocation()
{
    static Invocation invocation;
    return invocation;
}

namespace {

namespace fs = std::filesystem;

// Writes to two stream buffers at once.
class TeeBuffer : public std::streambuf {
public:
    TeeBuffer(std::streambuf* first, std::streambuf* second) : first_(first), second_(second) {}

protected:
    int overflow(int c) override
    {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        const char ch = static_cast<char>(c);
        first_->sputc(ch);
        second_->sputc(ch);
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        first_->sputn(s, n);
        second_->sputn(s, n);
        return n;
    }
    int sync() override
    {
        first_->pubsync();
        return second_->pubsync();
    }

private:
    std::streambuf* first_;
    std::streambuf* second_;
};

// Makes a folder current for the run and goes back to the previous one.
class WorkFolderScope {
public:
    WorkFolderScope() = default;
    ~WorkFolderScope()
    {
        if (previous_ >= 0) {
            if (::fchdir(previous_) != 0) {
                // Nothing more can be done; the next run starts from here.
            }
            ::close(previous_);
        }
    }
    WorkFolderScope(const WorkFolderScope&) = delete;
    WorkFolderScope& operator=(const WorkFolderScope&) = delete;

    bool Enter(const std::string& folder)
    {
        previous_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        return previous_ >= 0 && ::chdir(folder.c_str()) == 0;
    }

private:
    int previous_ = -1;
};

int BadCall(std::ostream& err, const std::string& problem)
{
    err << "kestrova-cli: " << problem << "\n" << ShortUsage();
    return ExitUsage;
}

int BadVerbCall(std::ostream& err, const Verb& verb, const std::string& problem)
{
    err << "kestrova-cli: " << problem << "\n" << VerbUsage(verb);
    return ExitUsage;
}

bool IsAddress(const std::string& argument)
{
    return argument.compare(0, 4, "http") == 0;
}

// A path of the command line as seen from the current folder, so that it
// names the same file once the work folder is current.
std::string FromHere(const std::string& path)
{
    if (path.empty() || IsAddress(path))
        return path;
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    return ec ? path : full.string();
}

// Runs the handler of the verb args[0] names, with the arguments as they are
// (the common options already applied).
int RunVerbHandler(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const Verb* verb = args.empty() ? nullptr : FindVerb(args[0]);
    return verb == nullptr ? ExitUsage : verb->Run(args, out, err);
}

int RunVerb(const Verb& verb, const std::vector<std::string>& given, std::ostream& out, std::ostream& err)
{
    Invocation& invocation = CurrentInvocation();
    // The common options are taken out wherever they are; the values of the
    // verb's own options are never taken for options.
    std::vector<std::string> args{given[0]};
    std::vector<std::size_t> paths;  // indices in args of the file and folder names
    bool formatGiven = false;
    bool optionsDone = false;
    std::size_t positional = 0;
    auto valueOf = [&](const std::string& name) -> const VerbOption* {
        for (const VerbOption& option : verb.Options)
            if (option.Name == name && !option.Value.empty())
                return &option;
        return nullptr;
    };
    for (std::size_t i = 1; i < given.size(); ++i) {
        const std::string& a = given[i];
        if (!optionsDone && a == "--") {
            optionsDone = true;
            args.push_back(a);
        } else if (optionsDone || a.size() < 2 || a[0] != '-') {
            if (positional < verb.Arguments.size() && verb.Arguments[positional].Kind != ArgumentKind::Text)
                paths.push_back(args.size());
            ++positional;
            args.push_back(a);
        } else if (a == "--help" || a == "-h") {
            out << VerbHelp(verb);
            return ExitOk;
        } else if (a == "--quiet") {
            invocation.Quiet = true;
        } else if (a == "--work-folder") {
            if (i + 1 >= given.size())
                return BadVerbCall(err, verb, "--work-folder needs a folder");
            invocation.WorkFolder = given[++i];
        } else if (a == "--format" && !verb.JsonShape.empty()) {
            if (i + 1 >= given.size())
                return BadVerbCall(err, verb, "--format needs a value: text or json");
            const std::string& format = given[++i];
            if (formatGiven)
                return BadVerbCall(err, verb, "--format given twice");
            if (format != "text" && format != "json")
                return BadVerbCall(err, verb, "--format takes text or json");
            formatGiven = true;
            invocation.Json = format == "json";
        } else if (valueOf(a) != nullptr) {
            args.push_back(a);
            if (i + 1 < given.size()) {
                if (a == "--site" || a == "--root" || a == "--config")
                    paths.push_back(args.size());
                args.push_back(given[++i]);
            }
        } else {
            args.push_back(a);
        }
    }

    WorkFolderScope scope;
    if (!invocation.WorkFolder.empty()) {
        std::error_code ec;
        if (!fs::is_directory(invocation.WorkFolder, ec))
            return BadVerbCall(err, verb, "the work folder \"" + invocation.WorkFolder + "\" is not a folder");
        for (std::size_t index : paths)
            args[index] = FromHere(args[index]);
        if (!scope.Enter(invocation.WorkFolder)) {
            err << "kestrova-cli: cannot enter the work folder \"" << invocation.WorkFolder
                << "\": " << std::strerror(errno) << "\n";
            return ExitFailure;
        }
    }

    // An edit verb's dry run works the change out without committing it.
    if (WantsDryRun(args)) {
        const int status = DryRunVerb(args, out, err, &RunVerbHandler);
        if (status == ExitUsage)
            err << VerbUsage(verb);
        return status;
    }

    if (!invocation.Json || !verb.ToJson) {
        const int status = verb.Run(args, out, err);
        if (status == ExitUsage)
            err << VerbUsage(verb);
        return status;
    }

    // The text report, then its document.
    std::ostringstream textOut, textErr;
    TeeBuffer tee(err.rdbuf(), textErr.rdbuf());
    std::ostream errTee(&tee);
    ReportOutput report;
    report.Args = args;
    report.Status = verb.Run(args, textOut, errTee);
    errTee.flush();
    if (report.Status == ExitUsage)
        err << VerbUsage(verb);
    report.Out = textOut.str();
    report.Err = textErr.str();
    nlohmann::json document;
    if (verb.ToJson(report, document))
        out << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    return report.Status;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    Invocation& invocation = CurrentInvocation();
    std::size_t i = 0;
    for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
        const std::string& a = args[i];
        if (a == "--version") {
            out << "kestrova-cli " << CurrentVersion << "\n";
            return ExitOk;
        }
        if (a == "--help" || a == "-h") {
            out << FullUsage();
            return ExitOk;
        }
        // For the build: the manual page and the completion come from the
        // verb table.
        if (a == "--print-manual-page") {
            out << ManualPage();
            return ExitOk;
        }
        if (a == "--print-bash-completion") {
            out << BashCompletion();
            return ExitOk;
        }
        if (a == "--quiet") {
            invocation.Quiet = true;
        } else if (a == "--work-folder") {
            if (i + 1 >= args.size())
                return BadCall(err, "--work-folder needs a folder");
            invocation.WorkFolder = args[++i];
        } else {
            return BadCall(err, "unknown option " + a);
        }
    }
    if (i >= args.size())
        return BadCall(err, "no command given");

    const std::string& name = args[i];
    if (name == "help") {
        if (i + 1 == args.size()) {
            out << FullUsage();
            return ExitOk;
        }
        const Verb* verb = FindVerb(args[i + 1]);
        if (verb == nullptr || i + 2 != args.size())
            return BadCall(err, verb == nullptr ? "no verb named " + args[i + 1] : "help takes one verb");
        out << VerbHelp(*verb);
        return ExitOk;
    }
    const Verb* verb = FindVerb(name);
    if (verb == nullptr)
        return BadCall(err, "unknown command " + name);
    return RunVerb(*verb, std::vector<std::string>(args.begin() + static_cast<std::ptrdiff_t>(i), args.end()), out,
                   err);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CurrentInvocation() = Invocation{};
    CurrentInvocation().ErrIsTerminal = &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
    try {
        int status = Run(args, out, err);
        out.flush();
        return status;
    } catch (const std::exception& e) {
        err << "kestrova-cli: " << e.what() << '\n';
        return ExitFailure;
    }
}

}  // namespace kestrova::cli
