orvo_fuzz_target(home_peers SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/home_peers.cpp
  LIBS orvo_relay LABEL mesh-files)
