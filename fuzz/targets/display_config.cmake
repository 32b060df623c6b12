orvo_fuzz_target(display_config SOURCE ${CMAKE_CURRENT_LIST_DIR}/display_config.cpp LIBS settings_store
                 LABEL display-backend)
