#include "tests/support/translation_keys.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace kestrova::test {

namespace {

bool IsIdentifierChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Index just past the literal that starts with the quote at i ('"' or '\'').
std::size_t SkipQuoted(const std::string& code, std::size_t i)
{
    const char quote = code[i];
    for (++i; i < code.size() && code[i] != quote; ++i) {
        if (code[i] == '\\')
            ++i;
    }
    return std::min(i + 1, code.size());
}

// Index just past a raw string literal whose R is at i, or i when there is
// none there.
std::size_t SkipRaw(const std::string& code, std::size_t i)
{
    if (code.compare(i, 2, "R\"") != 0 || (i > 0 && IsIdentifierChar(code[i - 1]) && code[i - 1] != '8'))
        return i;
    const std::size_t open = code.find('(', i + 2);
    if (open == std::string::npos)
        return i;
    const std::string close = ")" + code.substr(i + 2, open - i - 2) + "\"";
    const std::size_t end = code.find(close, open);
    return end == std::string::npos ? code.size() : end + close.size();
}

// Index of the bracket closing the one at open, or npos.
std::size_t MatchingClose(const std::string& code, std::size_t open)
{
    int depth = 0;
    for (std::size_t i = open; i < code.size(); ++i) {
        const char c = code[i];
        if (c == 'R') {
            const std::size_t past = SkipRaw(code, i);
            if (past != i) {
                i = past - 1;
                continue;
            }
        }
        if (c == '"' ||
            (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(code[i - 1])) && i + 1 < code.size() &&
                            std::isxdigit(static_cast<unsigned char>(code[i + 1]))))) {
            i = SkipQuoted(code, i) - 1;
        } else if (c == '(' || c == '[' || c == '{') {
            ++depth;
        } else if (c == ')' || c == ']' || c == '}') {
            if (--depth == 0)
                return i;
        }
    }
    return std::string::npos;
}

// The pieces of code[from, to) separated by top-level occurrences of sep.
std::vector<std::string> SplitTopLevel(const std::string& code, std::size_t from, std::size_t to, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = from;
    for (std::size_t i = from; i < to; ++i) {
        const char c = code[i];
        if (c == '"' || c == '\'') {
            i = SkipQuoted(code, i) - 1;
        } else if (c == '(' || c == '[' || c == '{') {
            const std::size_t close = MatchingClose(code, i);
            if (close == std::string::npos || close >= to)
                break;
            i = close;
        } else if (c == sep) {
            parts.push_back(code.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(code.substr(start, to - start));
    return parts;
}

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The bytes of one or more adjacent ordinary string literals making up the
// whole of text, or nothing.
std::optional<std::string> LiteralValue(const std::string& text)
{
    std::string value;
    std::size_t i = 0;
    bool any = false;
    while (true) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        if (i == text.size())
            break;
        if (text[i] != '"')
            return std::nullopt;
        any = true;
        for (++i; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] != '\\') {
                value += text[i];
                continue;
            }
            ++i;
            if (i == text.size())
                return std::nullopt;
            const char e = text[i];
            if (e == 'x') {
                unsigned code = 0;
                while (i + 1 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])))
                    code = code * 16 + static_cast<unsigned>(std::stoi(std::string(1, text[++i]), nullptr, 16));
                value += static_cast<char>(code & 0xFF);
            } else if (e >= '0' && e <= '7') {
                unsigned code = static_cast<unsigned>(e - '0');
                for (int n = 0; n < 2 && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '7'; ++n)
                    code = code * 8 + static_cast<unsigned>(text[++i] - '0');
                value += static_cast<char>(code & 0xFF);
            } else {
                switch (e) {
                    case 'n':
                        value += '\n';
                        break;
                    case 'r':
                        value += '\r';
                        break;
                    case 't':
                        value += '\t';
                        break;
                    default:
                        value += e;
                        break;  // \\ \" \' \?
                }
            }
        }
        if (i == text.size())
            return std::nullopt;
        ++i;  // the closing quote
    }
    if (!any)
        return std::nullopt;
    return value;
}

// The literal values an argument gives: itself, or both branches of a
// conditional whose branches are literals.
std::vector<std::string> ArgumentKeys(const std::string& argument)
{
    if (std::optional<std::string> whole = LiteralValue(argument))
        return {*whole};
    const std::vector<std::string> question = SplitTopLevel(argument, 0, argument.size(), '?');
    if (question.size() != 2)
        return {};
    const std::vector<std::string> branches = SplitTopLevel(question[1], 0, question[1].size(), ':');
    std::vector<std::string> keys;
    for (const std::string& branch : branches) {
        if (std::optional<std::string> value = LiteralValue(branch))
            keys.push_back(*value);
    }
    return branches.size() == 2 ? keys : std::vector<std::string>{};
}

// The table a declared parameter or field (type and name) takes a key for.
std::optional<KeyTable> KeyDeclaration(const std::string& declaration)
{
    std::string text = Trim(declaration.substr(0, declaration.find('=')));
    std::size_t end = text.size();
    while (end > 0 && IsIdentifierChar(text[end - 1]))
        --end;
    const std::string name = text.substr(end);
    const std::string type = Trim(text.substr(0, end));
    if (type.empty() || name.empty())
        return std::nullopt;
    // A type, not an expression such as "item.french".
    if (type.find_first_of(".()") != std::string::npos || type.find("->") != std::string::npos)
        return std::nullopt;
    if (type.find("char") == std::string::npos && type.find("string") == std::string::npos)
        return std::nullopt;
    if (name.rfind("french", 0) == 0)
        return KeyTable::French;
    if (name.rfind("english", 0) == 0)
        return KeyTable::English;
    return std::nullopt;
}

// The identifier that ends just before index end (spaces skipped), or "".
std::string IdentifierBefore(const std::string& code, std::size_t end)
{
    while (end > 0 && std::isspace(static_cast<unsigned char>(code[end - 1])))
        --end;
    std::size_t start = end;
    while (start > 0 && IsIdentifierChar(code[start - 1]))
        --start;
    if (start == end || std::isdigit(static_cast<unsigned char>(code[start])) != 0)
        return {};
    return code.substr(start, end - start);
}

bool IsKeyword(const std::string& word)
{
    static const char* const keywords[] = {"if", "for", "while", "switch", "return", "catch", "sizeof", "decltype"};
    return std::any_of(std::begin(keywords), std::end(keywords), [&](const char* k) { return word == k; });
}

// The positions of c in code outside string and character literals.
std::vector<std::size_t> PositionsOf(const std::string& code, char c)
{
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char here = code[i];
        if (here == 'R') {
            const std::size_t past = SkipRaw(code, i);
            if (past != i) {
                i = past - 1;
                continue;
            }
        }
        if (here == '"' ||
            (here == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(code[i - 1])) && i + 1 < code.size() &&
                               std::isxdigit(static_cast<unsigned char>(code[i + 1]))))) {
            i = SkipQuoted(code, i) - 1;
        } else if (here == c) {
            found.push_back(i);
        }
    }
    return found;
}

int LineOf(const std::string& code, std::size_t at)
{
    return 1 + static_cast<int>(std::count(code.begin(), code.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

}  // namespace

std::string WithoutComments(const std::string& source)
{
    std::string code = source;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == 'R') {
            const std::size_t past = SkipRaw(code, i);
            if (past != i) {
                i = past - 1;
                continue;
            }
        }
        if (c == '"' ||
            (c == '\'' && !(i > 0 && std::isxdigit(static_cast<unsigned char>(code[i - 1])) && i + 1 < code.size() &&
                            std::isxdigit(static_cast<unsigned char>(code[i + 1]))))) {
            i = SkipQuoted(code, i) - 1;
        } else if (code.compare(i, 2, "//") == 0) {
            for (; i < code.size() && code[i] != '\n'; ++i)
                code[i] = ' ';
        } else if (code.compare(i, 2, "/*") == 0) {
            const std::size_t end = code.find("*/", i + 2);
            const std::size_t stop = end == std::string::npos ? code.size() : end + 2;
            for (; i < stop; ++i) {
                if (code[i] != '\n')
                    code[i] = ' ';
            }
            --i;
        }
    }
    return code;
}

std::vector<KeyParameter> KeyParametersOf(const std::string& code)
{
    std::vector<KeyParameter> found;
    for (const std::size_t open : PositionsOf(code, '(')) {
        std::string name = IdentifierBefore(code, open);
        if (name.empty()) {
            // A lambda: name = [captures](parameters)
            std::size_t end = open;
            while (end > 0 && std::isspace(static_cast<unsigned char>(code[end - 1])))
                --end;
            if (end == 0 || code[end - 1] != ']')
                continue;
            const std::size_t bracket = code.rfind('[', end - 1);
            if (bracket == std::string::npos)
                continue;
            std::size_t before = bracket;
            while (before > 0 && std::isspace(static_cast<unsigned char>(code[before - 1])))
                --before;
            if (before == 0 || code[before - 1] != '=')
                continue;
            name = IdentifierBefore(code, before - 1);
        }
        if (name.empty() || IsKeyword(name))
            continue;
        const std::size_t close = MatchingClose(code, open);
        if (close == std::string::npos)
            continue;
        const std::vector<std::string> parameters = SplitTopLevel(code, open + 1, close, ',');
        for (std::size_t index = 0; index < parameters.size(); ++index) {
            if (std::optional<KeyTable> table = KeyDeclaration(parameters[index]))
                found.push_back({name, index, *table});
        }
    }
    return found;
}

std::vector<FoundKey> KeysIn(const std::string& code, const std::vector<KeyParameter>& parameters,
                             const std::string& where)
{
    std::vector<KeyParameter> all = parameters;
    all.push_back({"TranslateFrenchKey", 0, KeyTable::French});
    all.push_back({"TranslateEnglishKey", 0, KeyTable::English});
    std::vector<FoundKey> keys;
    auto add = [&](const std::string& argument, KeyTable table, std::size_t at) {
        for (std::string& text : ArgumentKeys(argument))
            keys.push_back({std::move(text), table, where + ":" + std::to_string(LineOf(code, at))});
    };

    // Calls.
    for (const std::size_t open : PositionsOf(code, '(')) {
        const std::string name = IdentifierBefore(code, open);
        if (name.empty())
            continue;
        std::vector<std::string> arguments;
        for (const KeyParameter& p : all) {
            if (p.Function != name)
                continue;
            if (arguments.empty()) {
                const std::size_t close = MatchingClose(code, open);
                if (close == std::string::npos)
                    break;
                arguments = SplitTopLevel(code, open + 1, close, ',');
            }
            if (p.Index < arguments.size())
                add(arguments[p.Index], p.Table, open);
        }
    }

    // Structs with a key field, and the brace lists of as many elements.
    struct KeyField {
        std::size_t Count = 0;
        std::size_t Index = 0;
        KeyTable Table = KeyTable::French;
    };
    std::vector<KeyField> fields;
    for (std::size_t at = code.find("struct "); at != std::string::npos; at = code.find("struct ", at + 1)) {
        if (at > 0 && IsIdentifierChar(code[at - 1]))
            continue;
        const std::size_t open = code.find_first_of("{;(", at);
        if (open == std::string::npos || code[open] != '{')
            continue;
        const std::size_t close = MatchingClose(code, open);
        if (close == std::string::npos)
            continue;
        std::vector<std::string> members = SplitTopLevel(code, open + 1, close, ';');
        members.erase(
            std::remove_if(members.begin(), members.end(), [](const std::string& m) { return Trim(m).empty(); }),
            members.end());
        for (std::size_t index = 0; index < members.size(); ++index) {
            if (std::optional<KeyTable> table = KeyDeclaration(members[index]))
                fields.push_back({members.size(), index, *table});
        }
    }
    if (!fields.empty()) {
        for (const std::size_t open : PositionsOf(code, '{')) {
            const std::size_t close = MatchingClose(code, open);
            if (close == std::string::npos)
                continue;
            if (SplitTopLevel(code, open + 1, close, ';').size() != 1)
                continue;  // statements, not a list
            const std::vector<std::string> elements = SplitTopLevel(code, open + 1, close, ',');
            for (const KeyField& f : fields) {
                if (elements.size() == f.Count)
                    add(elements[f.Index], f.Table, open);
            }
        }
    }
    return keys;
}

std::vector<FoundKey> KeysInSources(const std::string& root, const std::vector<std::string>& folders)
{
    namespace fs = std::filesystem;
    struct Source {
        std::string Name;
        std::string Code;
        bool Header = false;
    };
    std::vector<Source> sources;
    for (const std::string& folder : folders) {
        const fs::path dir = fs::path(root) / folder;
        if (!fs::is_directory(dir))
            continue;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h"))
                continue;
            sources.push_back(
                {fs::relative(entry.path(), root).string(), WithoutComments(ReadFile(entry.path())), ext == ".h"});
        }
    }
    std::sort(sources.begin(), sources.end(), [](const Source& a, const Source& b) { return a.Name < b.Name; });
    // What a header declares applies everywhere; a source file's own helpers
    // apply to that file only (another file may have a helper of that name
    // with other parameters).
    std::vector<KeyParameter> shared;
    for (const Source& s : sources) {
        if (s.Header) {
            std::vector<KeyParameter> declared = KeyParametersOf(s.Code);
            shared.insert(shared.end(), declared.begin(), declared.end());
        }
    }
    std::vector<FoundKey> keys;
    for (const Source& s : sources) {
        std::vector<KeyParameter> parameters = shared;
        if (!s.Header) {
            std::vector<KeyParameter> own = KeyParametersOf(s.Code);
            parameters.insert(parameters.end(), own.begin(), own.end());
        }
        std::vector<FoundKey> found = KeysIn(s.Code, parameters, s.Name);
        keys.insert(keys.end(), found.begin(), found.end());
    }
    return keys;
}

}  // namespace kestrova::test
