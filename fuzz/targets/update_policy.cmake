orvo_fuzz_target(update_policy SOURCE ${CMAKE_CURRENT_LIST_DIR}/update_policy.cpp LIBS settings_core LABEL update-service)
