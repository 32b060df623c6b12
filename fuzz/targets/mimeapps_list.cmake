orvo_fuzz_target(mimeapps_list SOURCE ${CMAKE_CURRENT_LIST_DIR}/mimeapps_list.cpp LIBS orvo_desktop
                 LABEL default-apps)
