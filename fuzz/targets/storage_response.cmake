orvo_fuzz_target(storage_response SOURCE ${CMAKE_CURRENT_LIST_DIR}/storage_response.cpp LIBS orvo_storage_client
                 LABEL storage-pane)
