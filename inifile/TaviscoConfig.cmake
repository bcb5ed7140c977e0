# The Tavisco INI-file library: find_package(Tavisco) gives the target Tavisco::tavisco.
# Its headers are included as "inifile/INIFile.h"; they need C++20.
include(${CMAKE_CURRENT_LIST_DIR}/TaviscoTargets.cmake)
