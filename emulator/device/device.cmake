# calvix_device: the emulated Q71's lasting state and its service command interpreter, shared
# by the emulator daemon and the TWAIN data source.
add_library(calvix_device STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DeviceState.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ServiceCommands.cpp)
target_include_directories(calvix_device PUBLIC ${CMAKE_CURRENT_LIST_DIR})
