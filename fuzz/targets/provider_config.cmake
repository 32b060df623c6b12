orvo_fuzz_target(provider_config SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/provider_config.cpp
  LIBS orvo_agent_providers LABEL operation-intake)
