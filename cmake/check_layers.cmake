# Checks that includes run top-down through the application's layers:
#   settings_app/ (the root, the pane factory, the entry)     top
#   panes/<pane>/                                             the panes
#   panes/ (the pane kit, its workers), catalogues/, sidebar/ what panes are built on
#   actions/, preferences/, lib/, sections/, services/        operations, stores, sections, backends
#   platform/                                                 our platform layer
# Only includes that name a file of the application count; the platform's own headers and the
# system's never do. Run as: cmake -DSOURCE_DIR=<repository> -P check_layers.cmake
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "check_layers: SOURCE_DIR is not set")
endif()
set(app "${SOURCE_DIR}/apps/settings/src")

# The layer a file of the application (relative to src/) or of the platform lies in: higher is above.
function(layer_of path out)
  if(path MATCHES "^settings_app/" OR path MATCHES "^(entry|main)\\.(h|cpp)$")
    set(level 4)
  elseif(path MATCHES "^panes/workers/")
    set(level 2)
  elseif(path MATCHES "^panes/[^/]+/")
    set(level 3)
  elseif(path MATCHES "^(actions|sections|services|preferences|lib)/")
    set(level 1)
  elseif(path MATCHES "^platform:")
    set(level 0)
  else()
    set(level 2)
  endif()
  set(${out} ${level} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE app_files RELATIVE "${app}" "${app}/*.h" "${app}/*.cpp")
file(GLOB_RECURSE platform_files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/platform/*.h" "${SOURCE_DIR}/platform/*.cpp")
set(sources)
foreach(f ${app_files})
  list(APPEND sources "${f}")
endforeach()
foreach(f ${platform_files})
  list(APPEND sources "platform:${f}")
endforeach()

set(violations "")
foreach(source ${sources})
  if(source MATCHES "^platform:(.*)$")
    set(file_path "${SOURCE_DIR}/${CMAKE_MATCH_1}")
  else()
    set(file_path "${app}/${source}")
  endif()
  layer_of("${source}" from)
  file(STRINGS "${file_path}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${lines})
    if(NOT line MATCHES "\"([^\"]+)\"")
      continue()
    endif()
    set(included "${CMAKE_MATCH_1}")
    if(NOT EXISTS "${app}/${included}" OR IS_DIRECTORY "${app}/${included}")
      continue()
    endif()
    layer_of("${included}" to)
    # The pane kit may not include a pane; a pane may include another pane's headers.
    if(to GREATER from OR (from EQUAL 0))
      string(APPEND violations "  ${source} includes ${included}\n")
    endif()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "includes that run upward through the layers:\n${violations}")
endif()
message(STATUS "check_layers: every include runs top-down")
