# Helpers for the GUI-free core libraries: every core library is built through
# calvix_core_library, which keeps Qt out of it at build time.

set(CALVIX_QT_GUARD_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/CheckNoQt.cmake)

# calvix_forbid_qt(target dir): a build-time check that fails the build of target when any
# file of dir includes a Qt header, so the core stays GUI-free even where the compiler could
# find Qt on its default include path.
function(calvix_forbid_qt target dir)
  add_custom_target(${target}_no_qt
    COMMAND ${CMAKE_COMMAND} -DCHECK_DIR=${dir} -P ${CALVIX_QT_GUARD_SCRIPT}
    COMMENT "Checking that ${target} includes no Qt header" VERBATIM)
  add_dependencies(${target} ${target}_no_qt)
endfunction()

# calvix_core_library(name sources...): the static library of one core folder.
function(calvix_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/src/generated)
  calvix_forbid_qt(${name} ${CMAKE_CURRENT_SOURCE_DIR})
endfunction()

# calvix_subsystem(name): the library of a core folder from all its .cpp files.
function(calvix_subsystem name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    set(sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  calvix_core_library(${name} ${sources})
  if(NOT name STREQUAL "calvix_app")
    target_link_libraries(${name} PUBLIC calvix_app)
  endif()
endfunction()
