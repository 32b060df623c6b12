orvo_fuzz_target(door_request SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/targets/door_request.cpp
  LIBS orvo_ui nlohmann_json::nlohmann_json LABEL resource-tree)
# The request reader is internal to the toolkit.
foreach(door_target fuzz_door_request replay_door_request)
  if(TARGET ${door_target})
    target_include_directories(${door_target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/ui/src)
  endif()
endforeach()
