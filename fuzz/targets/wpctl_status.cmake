orvo_fuzz_target(wpctl_status SOURCE ${CMAKE_CURRENT_LIST_DIR}/wpctl_status.cpp LIBS os_actions LABEL audio-backend)
