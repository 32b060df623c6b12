orvo_fuzz_target(identity_record SOURCE ${CMAKE_CURRENT_LIST_DIR}/identity_record.cpp LIBS orvo_identity
                 LABEL users-pane)
