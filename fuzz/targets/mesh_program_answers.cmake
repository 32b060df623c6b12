orvo_fuzz_target(mesh_program_answers SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/mesh_program_answers.cpp
  LIBS settings_core LABEL mesh-peers)
