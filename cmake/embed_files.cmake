# Writes a C++ source that holds the bytes of the given files.
# Usage: cmake -DOUTPUT=<file.cpp> -DFILES="name1=path1;name2=path2" -P embed_files.cmake
# Ninja hands the list over with its separators still escaped ("\;"),
# Makefiles without: accept both.
string(REPLACE "\\;" ";" FILES "${FILES}")
set(source "// Generated from the files in assets/ by cmake/embed_files.cmake.\n#include <cstdint>\n#include <cstddef>\n\nnamespace nyamo::embedded {\n")
foreach(entry IN LISTS FILES)
  string(REPLACE "=" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 path)
  file(READ "${path}" hex HEX)
  file(SIZE "${path}" size)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  string(APPEND source "extern const std::uint8_t ${name}[] = {\n${bytes}\n};\nextern const std::size_t ${name}_size = ${size};\n")
endforeach()
string(APPEND source "}  // namespace nyamo::embedded\n")
file(WRITE "${OUTPUT}.tmp" "${source}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
