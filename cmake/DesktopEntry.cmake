# Writes the desktop entry at install time from its template, naming the
# installed program and demo folder. The Exec key is split into arguments like
# a shell line: a path holding a space or another reserved character is
# quoted, with the characters the quotes reserve escaped, then escaped again
# as a desktop entry string; a literal "%" is written "%%".

# The Exec argument for `path`, in `out`.
function(marigold_exec_argument out path)
  if(path MATCHES "[\n\r]")
    message(FATAL_ERROR "A desktop entry cannot name a path with a line break: ${path}")
  endif()
  if(NOT path MATCHES "^[A-Za-z0-9_./+,:@=-]*$")
    string(REPLACE "\\" "\\\\" path "${path}")
    string(REPLACE "\"" "\\\"" path "${path}")
    string(REPLACE "`" "\\`" path "${path}")
    string(REPLACE "$" "\\$" path "${path}")
    set(path "\"${path}\"")
    string(REPLACE "\\" "\\\\" path "${path}")
  endif()
  string(REPLACE "%" "%%" path "${path}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

# Configures `template` into `output`: @MARIGOLD_EXEC@ becomes the command
# that plays the installed demo (MARIGOLD_PROGRAM, MARIGOLD_DEMO).
function(marigold_desktop_entry template output)
  # A relative prefix given to `cmake --install` is taken from the folder it
  # was run in (the install script sees it as its source folder), as the files
  # themselves are.
  cmake_path(ABSOLUTE_PATH MARIGOLD_PROGRAM BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE)
  cmake_path(ABSOLUTE_PATH MARIGOLD_DEMO BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}" NORMALIZE)
  marigold_exec_argument(program "${MARIGOLD_PROGRAM}")
  marigold_exec_argument(demo "${MARIGOLD_DEMO}")
  set(MARIGOLD_EXEC "${program} ${demo}")
  configure_file("${template}" "${output}" @ONLY)
endfunction()
