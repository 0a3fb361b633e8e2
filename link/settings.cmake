# The settings store and the serial port list (the list reads the kernel's tty devices).
target_sources(q7k3_link PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SettingsStore.cpp)
# The protocol trace the system's serial device always sits behind.
target_sources(q7k3_link PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ProtocolTrace.cpp)
if(UNIX)
  target_sources(q7k3_link PRIVATE ${CMAKE_CURRENT_LIST_DIR}/PortList.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/PortDiagnostics.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/PhoneSearch.cpp
                                   ${CMAKE_CURRENT_LIST_DIR}/PhoneWatch.cpp)
  target_link_libraries(q7k3_link PUBLIC Threads::Threads)
endif()
