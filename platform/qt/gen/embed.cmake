# Writes the bytes of IN as a C++ array (qv::qtui::kIconData) into OUT.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUT} "// Generated from res/quavel.ico; do not edit.\n#include <cstddef>\n\nnamespace qv::qtui {\nextern const unsigned char kIconData[];\nextern const std::size_t kIconSize;\nconst unsigned char kIconData[] = {\n    ${bytes}\n};\nconst std::size_t kIconSize = ${size};\n}  // namespace qv::qtui\n")
