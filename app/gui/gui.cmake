# q7k3fm: the two-pane window. The help pages (Russian, English) ship beside the program.
# The program whole is a library of its own, so that a test can drive the real thing.
add_library(q7k3_window_program STATIC gui/WindowProgram.cpp)
target_include_directories(q7k3_window_program PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(q7k3_window_program PUBLIC q7k3_window_widgets q7k3_settings_widgets)
add_executable(q7k3fm gui/main.cpp)
target_include_directories(q7k3fm PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(q7k3fm PRIVATE q7k3_window_program)
add_custom_command(TARGET q7k3fm POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${PROJECT_SOURCE_DIR}/docs/help/Q7K3FM.html $<TARGET_FILE_DIR:q7k3fm>/Q7K3FM.hlp
  COMMAND ${CMAKE_COMMAND} -E copy_if_different
          ${PROJECT_SOURCE_DIR}/docs/help/Q7K3FM.en.html $<TARGET_FILE_DIR:q7k3fm>/Q7K3FM.en.hlp)
# The window and the command line load their translations from beside themselves.
add_dependencies(q7k3fm q7k3fm_translations q7k3fm_plurals)
