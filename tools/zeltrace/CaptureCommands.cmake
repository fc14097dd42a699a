# zeltrace's capture and export subcommands (included by zeltrace's CMakeLists.txt): the capture
# controller over the API, and the waveform exports.
add_library(zeltrace_capture_commands STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CaptureCommand.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CommandTables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ExportCommand.cpp)
target_include_directories(zeltrace_capture_commands PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(zeltrace_capture_commands PUBLIC zel_trace_capture zel_trace_capture_api zel_trace_export zeltool_device zelsession zelapi zel_fileio)
