// The helper program that installs a staged update, carried by the program
// as data and written to disk when it is needed. Built from update_helper/.
#pragma once

#include <cstddef>

namespace kestrova {

extern const unsigned char UpdateHelperBytes[];
extern const std::size_t UpdateHelperSize;

}  // namespace kestrova
