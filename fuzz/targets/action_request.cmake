orvo_fuzz_target(action_request SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/action_request.cpp
  LIBS orvo_actions nlohmann_json::nlohmann_json LABEL action-library)
