orvo_fuzz_target(display_snapshot SOURCE ${CMAKE_CURRENT_LIST_DIR}/display_snapshot.cpp LIBS os_actions
                 LABEL system-services)
