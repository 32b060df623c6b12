orvo_fuzz_target(relay_config SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/relay_config.cpp
  LIBS orvo_relay LABEL mesh-files)
