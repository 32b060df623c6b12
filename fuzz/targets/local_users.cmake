orvo_fuzz_target(local_users SOURCE ${CMAKE_CURRENT_LIST_DIR}/local_users.cpp LIBS settings_core
                 LABEL preference-catalogues)
