# calvix_device: the emulated Q71's lasting state, its service command interpreter and its
# capability table; no renderer, so tests of the service path link it alone.
add_library(calvix_device STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DeviceState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ValueText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServiceCommands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Capabilities.cpp)
target_include_directories(calvix_device PUBLIC ${CMAKE_CURRENT_LIST_DIR}
  ${PROJECT_SOURCE_DIR}/emulator/servicelib ${PROJECT_SOURCE_DIR}/src)
