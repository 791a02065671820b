# Writes the bytes of INPUT as a C++ array definition into OUTPUT:
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DNAMESPACE=ns -DSYMBOL=kName -P embed.cmake
# The array is `const unsigned char SYMBOL[]` with its length in `const size_t SYMBOLSize`.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Sixteen bytes to a line keeps the generated file readable.
string(REPEAT "0x[0-9a-f][0-9a-f]," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT}; do not edit.\n"
"#include <cstddef>\n\n"
"namespace ${NAMESPACE} {\n\n"
"extern const unsigned char ${SYMBOL}[];\n"
"extern const size_t ${SYMBOL}Size;\n"
"const unsigned char ${SYMBOL}[] = {\n    ${bytes}\n};\n"
"const size_t ${SYMBOL}Size = ${size};\n\n"
"}  // namespace ${NAMESPACE}\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
