# Fails when a source includes a header from a higher layer.
#
# The layers, lowest first: platform (src/platform/, its ui/ and macos/ folders included) →
# models → services → the application model (src/AppModel*) → views → the application
# (src/DustletApp*, src/AppDelegate*, src/main.cpp). A file may include its own layer and the
# layers below it, never one above: the model does not know the windows, a service does not know
# the model, and the platform layer knows nothing of the program. A file under src/ that belongs
# to no layer fails too, so that a new folder is given its place here.
#
# Usage: cmake -DROOT=<src folder> -P IncludeLayers.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()
set(layers platform models services model views app)

# The layer of a path relative to ROOT, as an index into `layers`; -1 when it has none.
function(layer_of path out)
  if(path MATCHES "^platform/")
    set(index 0)
  elseif(path MATCHES "^models/")
    set(index 1)
  elseif(path MATCHES "^services/")
    set(index 2)
  elseif(path MATCHES "^AppModel[A-Za-z]*\\.(h|cpp)$")
    set(index 3)
  elseif(path MATCHES "^views/")
    set(index 4)
  elseif(path MATCHES "^(DustletApp|AppDelegate)\\.(h|cpp)$" OR path STREQUAL "main.cpp")
    set(index 5)
  else()
    set(index -1)
  endif()
  set(${out} ${index} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${ROOT}" "${ROOT}/*.cpp" "${ROOT}/*.h" "${ROOT}/*.mm" "${ROOT}/*.inc")
set(found 0)
set(checked 0)
foreach(source ${sources})
  layer_of("${source}" from)
  if(from LESS 0)
    message("${source}: belongs to no layer (give its folder a place in IncludeLayers.cmake)")
    math(EXPR found "${found} + 1")
    continue()
  endif()
  get_filename_component(dir "${source}" DIRECTORY)
  file(STRINGS "${ROOT}/${source}" includes REGEX "^[ \t]*#[ \t]*(include|import)[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*(include|import)[ \t]*\"([^\"]+)\".*" "\\2" included "${line}")
    # Includes name a path below src/ or, for files kept beside their user, one in its folder;
    # anything else is generated at build time (moc output) and has no layer.
    if(EXISTS "${ROOT}/${included}")
      set(target "${included}")
    elseif(dir AND EXISTS "${ROOT}/${dir}/${included}")
      set(target "${dir}/${included}")
    else()
      continue()
    endif()
    math(EXPR checked "${checked} + 1")
    layer_of("${target}" to)
    if(to GREATER from)
      list(GET layers ${from} fromName)
      list(GET layers ${to} toName)
      message("${source}: includes ${included}, which lies higher (${fromName} → ${toName})")
      math(EXPR found "${found} + 1")
    endif()
  endforeach()
endforeach()
if(checked EQUAL 0)
  message(FATAL_ERROR "no include found under ${ROOT}: the check looks in the wrong place")
endif()
if(found GREATER 0)
  message(FATAL_ERROR "${found} include(s) against the layers: includes point down only")
endif()
message("${checked} includes checked against the layers")
