// Finds, in C++ sources, the texts the program passes to its translation
// functions, so that a test can check that each has an entry in its table.
//
// A text counts when a string literal (or adjacent literals, escapes
// decoded; either branch of a "c ? "a" : "b"" argument) is passed:
// - to TranslateFrenchKey (French table) or TranslateEnglishKey (English
//   table);
// - to a function or lambda whose parameter of that place is a text named
//   french... or english... (the helpers that translate what they get:
//   Tr(const char* french), MakeButton(parent, name, french), ...);
// - as the field named french... or english... of a struct brace-initialised
//   in the file that defines it ({id, "name", "Fichier", ...}).
// Comments are skipped.
#pragma once

#include <string>
#include <vector>

namespace kestrova::test {

enum class KeyTable { French, English };

struct FoundKey {
    std::string Text;  // the bytes of the literal(s), escapes decoded
    KeyTable Table = KeyTable::French;
    std::string Where;  // file:line
};

// The code of one source with comments replaced by spaces (line breaks and
// string literals kept).
std::string WithoutComments(const std::string& source);

// The parameters that take a translation key, learnt from one source's
// function and lambda definitions: (function name, parameter index, table).
struct KeyParameter {
    std::string Function;
    std::size_t Index = 0;
    KeyTable Table = KeyTable::French;
};
std::vector<KeyParameter> KeyParametersOf(const std::string& code);

// The keys passed in one source (comments already removed) to the
// functions of parameters (plus TranslateFrenchKey and TranslateEnglishKey)
// and through the struct fields of that source. where is the file name.
std::vector<FoundKey> KeysIn(const std::string& code, const std::vector<KeyParameter>& parameters,
                             const std::string& where);

// Every key of the sources below root in the given folders (.cpp and .h).
std::vector<FoundKey> KeysInSources(const std::string& root, const std::vector<std::string>& folders);

}  // namespace kestrova::test
