# Run with -DCHECK_DIR=<folder>: fails when a source file of that folder includes a Qt header.
file(GLOB_RECURSE files "${CHECK_DIR}/*.h" "${CHECK_DIR}/*.cpp" "${CHECK_DIR}/*.hpp")
foreach(f IN LISTS files)
  file(STRINGS "${f}" hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|qt|Qt)")
  if(hits)
    message(FATAL_ERROR "Qt include in GUI-free core file ${f}: ${hits}")
  endif()
endforeach()
