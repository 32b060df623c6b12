orvo_fuzz_target(pw_dump SOURCE ${CMAKE_CURRENT_LIST_DIR}/pw_dump.cpp LIBS os_actions LABEL system-services)
