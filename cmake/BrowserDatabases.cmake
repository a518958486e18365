# SQLite and a JSON reader for the browsers' profiles.
#
# The Windows program compiles SQLite in, from the amalgamation scripts/fetch-sqlite.sh makes
# out of Debian's source package: deleted content overwritten, no extensions loaded, no
# double-quoted string literals. The host build links Debian's library.
if(WIN32)
  set(TV_SQLITE_DIR "${CMAKE_SOURCE_DIR}/build/deps/sqlite" CACHE PATH "Folder holding sqlite3.c and sqlite3.h")
  if(NOT EXISTS "${TV_SQLITE_DIR}/sqlite3.c")
    message(FATAL_ERROR "No SQLite amalgamation in ${TV_SQLITE_DIR}: run scripts/install-deps.sh")
  endif()
  add_library(tv_sqlite STATIC "${TV_SQLITE_DIR}/sqlite3.c")
  target_include_directories(tv_sqlite SYSTEM PUBLIC "${TV_SQLITE_DIR}")
  target_compile_definitions(tv_sqlite PRIVATE
    SQLITE_SECURE_DELETE SQLITE_OMIT_LOAD_EXTENSION SQLITE_DQS=0 SQLITE_DEFAULT_FOREIGN_KEYS=0
    SQLITE_OMIT_DEPRECATED)
  # Not our code: built as it comes, without our warnings.
  target_compile_options(tv_sqlite PRIVATE -w)

  # The JSON reader is header-only; its folder is offered alone, never the host's whole include tree.
  set(TV_JSON_INCLUDE "${CMAKE_BINARY_DIR}/deps/json-include")
  if(NOT EXISTS "/usr/include/nlohmann/json.hpp")
    message(FATAL_ERROR "No JSON library in /usr/include/nlohmann: run scripts/install-deps.sh")
  endif()
  file(MAKE_DIRECTORY "${TV_JSON_INCLUDE}")
  file(CREATE_LINK /usr/include/nlohmann "${TV_JSON_INCLUDE}/nlohmann" SYMBOLIC)
  add_library(tv_json INTERFACE)
  target_include_directories(tv_json SYSTEM INTERFACE "${TV_JSON_INCLUDE}")
else()
  find_package(SQLite3 REQUIRED)
  add_library(tv_sqlite INTERFACE)
  target_link_libraries(tv_sqlite INTERFACE SQLite::SQLite3)
  find_package(nlohmann_json 3 REQUIRED)
  add_library(tv_json INTERFACE)
  target_link_libraries(tv_json INTERFACE nlohmann_json::nlohmann_json)
endif()
