# cmake -DIN=FILE -DOUT=FILE.cpp -DFUNCTION=NAMESPACE::NAME -P embed.cmake:
# FILE's bytes as a C++ function that returns them, so that a program holds
# them without a file beside it.
file(READ ${IN} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(([^,]*,){16})" "\\1\n    " bytes "${bytes}")
string(REGEX MATCH "^(.*)::([^:]*)$" _ "${FUNCTION}")
set(space ${CMAKE_MATCH_1})
set(name ${CMAKE_MATCH_2})
file(WRITE ${OUT}.new "// Made by the build from ${name}'s source; do not edit.\n#include <string_view>\n\nnamespace ${space} {\nnamespace {\nconstexpr char kBytes[] = {\n    ${bytes}};\n}  // namespace\n\nstd::string_view ${name}() { return {kBytes, sizeof kBytes}; }\n\n}  // namespace ${space}\n")
# Rewritten only when it changed, so that a catalog built again does not rebuild the programs.
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)
