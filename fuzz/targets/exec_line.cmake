orvo_fuzz_target(exec_line SOURCE ${CMAKE_CURRENT_LIST_DIR}/exec_line.cpp LIBS orvo_desktop orvo_portal
                 LABEL network-backend)
