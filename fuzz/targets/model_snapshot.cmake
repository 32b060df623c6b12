orvo_fuzz_target(model_snapshot SOURCE ${CMAKE_CURRENT_LIST_DIR}/model_snapshot.cpp LIBS settings_core LABEL model-backends)
