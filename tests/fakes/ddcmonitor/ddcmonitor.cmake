# Emulated DDC/CI monitors at the i2c-dev level, for tests that run the DDC tools, libddcutil and
# the ddcutil command with no monitor attached:
#   LD_PRELOAD=$<TARGET_FILE:ddc_monitor_preload> LUMORA_DDC_EMULATOR=<state folder> <command>
# The state folder's layout is described at the top of DdcMonitorPreload.cpp.
add_library(ddc_monitor_preload SHARED ${CMAKE_CURRENT_LIST_DIR}/DdcMonitorPreload.cpp)
target_compile_features(ddc_monitor_preload PRIVATE cxx_std_20)
target_link_libraries(ddc_monitor_preload PRIVATE ${CMAKE_DL_LIBS})
set_target_properties(ddc_monitor_preload PROPERTIES
    AUTOMOC OFF
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
