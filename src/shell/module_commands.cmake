# The module commands of the desktop programs: the path dialog with its
# network browser, the progress window, the Export Tags dialog and the main
# window's handlers of the module commands and Export Tags.
target_sources(krnshell PRIVATE
  ${PROJECT_SOURCE_DIR}/src/link/chassis_browse.cpp
  ${PROJECT_SOURCE_DIR}/src/link/pathdialog.cpp
  ${PROJECT_SOURCE_DIR}/src/link/rswho.cpp
  ${PROJECT_SOURCE_DIR}/src/logix/export_tags_dialog.cpp
  main_frame_module_commands.cpp
  module_progress_dialog.cpp
  painting_sleep.cpp
)
