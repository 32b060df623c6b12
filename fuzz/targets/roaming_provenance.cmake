orvo_fuzz_target(roaming_provenance SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/roaming_provenance.cpp
  LIBS settings_store LABEL mesh-files)
