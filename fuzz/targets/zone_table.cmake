orvo_fuzz_target(zone_table SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/zone_table.cpp
  LIBS settings_core LABEL time-date)
