orvo_fuzz_target(pair_candidate SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/pair_candidate.cpp
  LIBS settings_core LABEL mesh-files)
