orvo_fuzz_target(continuity_record SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/continuity_record.cpp
  LIBS settings_core LABEL mesh-pane)
