orvo_fuzz_target(device_local_operation SOURCE ${CMAKE_CURRENT_LIST_DIR}/device_local_operation.cpp
                 LIBS settings_core LABEL operation-specs)
