# Writes the header that tells the program which build it is: its architecture, the day it was
# built and the commit it was built from. Run at every build (cmake -P) with OUTPUT, ARCHITECTURE
# and SOURCE_DIR; the header is rewritten only when what it says has changed, so an unchanged
# build recompiles nothing.
string(TIMESTAMP build_date "%Y-%m-%d" UTC)
set(commit "")
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --short=10 HEAD
    WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET)
endif()
set(content "// Written by cmake/BuildInfo.cmake at build time.
#pragma once

namespace app::build {

inline constexpr char kArchitecture[] = \"${ARCHITECTURE}\";
inline constexpr char kDate[] = \"${build_date}\";
inline constexpr char kCommit[] = \"${commit}\";

}  // namespace app::build
")
set(old "")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL content)
  file(WRITE ${OUTPUT} "${content}")
endif()
