orvo_fuzz_target(bootc_status SOURCE ${CMAKE_CURRENT_LIST_DIR}/bootc_status.cpp LIBS settings_core LABEL update-service)
