# Writes a header that holds files as constexpr byte arrays, so the window description can point
# at embedded pictures. Run in script mode:
#   cmake -DOUTPUT=<header> -DNAMESPACE=<ns> -DFILES="<name>=<path>|..." -P EmbedFiles.cmake
set(text "// Generated from files in assets/ at build time; do not edit.\n#pragma once\n\n")
string(APPEND text "namespace ${NAMESPACE} {\n")
string(REPLACE "|" ";" entries "${FILES}")
foreach(entry IN LISTS entries)
  string(REPLACE "=" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 path)
  file(READ "${path}" bytes HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  string(APPEND text "\ninline constexpr unsigned char ${name}[] = {\n${bytes}\n};\n")
endforeach()
string(APPEND text "\n}  // namespace ${NAMESPACE}\n")
file(WRITE "${OUTPUT}.tmp" "${text}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
