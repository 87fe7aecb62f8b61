# mdb_delay_import(out dll...): for each system DLL, a delay-import library
# made from MinGW's import library, so that the DLL is loaded at the first
# call into it instead of at start. A launch never calls into user32 or
# gdi32 before Access is started, and under Wine loading them at start
# costs more than everything else the launch does. The libraries' names go
# to `out`, for target_link_libraries; the loader helper they call is in
# MinGW's own runtime.
#
# Only the thunks are offered (the callers are compiled without dllimport):
# the libraries' __imp_ pointers are made local, since on i686 a call
# through them crashes. A dllimport call elsewhere in a program that links
# these libraries then gets the plain import library.
function(mdb_delay_import out)
  string(REGEX MATCH "[^/]*-w64-mingw32" triple "${CMAKE_CXX_COMPILER}")
  find_program(MDB_NM NAMES ${triple}-nm REQUIRED)
  find_program(MDB_DLLTOOL NAMES ${triple}-dlltool REQUIRED)
  find_program(MDB_OBJCOPY NAMES ${triple}-objcopy REQUIRED)
  set(libraries)
  foreach(dll IN LISTS ARGN)
    find_library(MDB_IMPORT_${dll} NAMES lib${dll}.a REQUIRED)
    set(import "${MDB_IMPORT_${dll}}")
    set(def "${CMAKE_BINARY_DIR}/delayimp/${dll}.def")
    set(library "${CMAKE_BINARY_DIR}/delayimp/lib${dll}_delay.a")
    if(NOT EXISTS "${library}" OR "${import}" IS_NEWER_THAN "${library}")
      execute_process(COMMAND "${MDB_NM}" -g --defined-only "${import}"
                      OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
      # "__imp_Name" (x64) or "__imp__Name@n" (x86): the names as the
      # import library spells them, decoration kept for the linker.
      string(REGEX MATCHALL "__imp__?[A-Za-z0-9_@]+" names "${symbols}")
      list(TRANSFORM names REPLACE "^__imp_" "")
      if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        list(TRANSFORM names REPLACE "^_" "")
      endif()
      list(REMOVE_DUPLICATES names)
      list(JOIN names "\n" exports)
      file(WRITE "${def}" "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
      execute_process(COMMAND "${MDB_DLLTOOL}" --kill-at --input-def "${def}"
                              --output-delaylib "${library}" --dllname ${dll}.dll
                      COMMAND_ERROR_IS_FATAL ANY)
      execute_process(COMMAND "${MDB_OBJCOPY}" --wildcard --localize-symbol=__imp_* "${library}"
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()
    list(APPEND libraries "${library}")
  endforeach()
  set(${out} ${libraries} PARENT_SCOPE)
endfunction()
