orvo_fuzz_target(capability_document SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/capability_document.cpp
  LIBS orvo_collab LABEL mesh-files)
