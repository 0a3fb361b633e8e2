# The settings store and the serial port list.
target_sources(q7k3_link PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SettingsStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortList.cpp
)
