# Writes the bytes of INPUT as a C++ array (kestrova::UpdateHelperBytes) to
# OUTPUT. Run as: cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -P embed.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from the update helper program; do not edit.\n"
  "#include \"net/update_helper_bytes.h\"\n\n"
  "namespace kestrova {\n\n"
  "const unsigned char UpdateHelperBytes[] = {\n${bytes}};\n"
  "const std::size_t UpdateHelperSize = ${size};\n\n"
  "}  // namespace kestrova\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
