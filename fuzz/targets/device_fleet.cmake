orvo_fuzz_target(device_fleet SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/device_fleet.cpp
  LIBS settings_core LABEL mesh-files)
