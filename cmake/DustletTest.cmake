# dustlet_add_test(<name> SOURCES <files…> LIBS <targets…> [LABEL <label>])
# One QtTest executable, registered with CTest, run headless with its own HOME made by TestHome.
function(dustlet_add_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} dustlet_testsupport Qt6::Test)
  # Tests that read the project's own files find them here, not through __FILE__ (which a
  # compiler cache may make relative).
  target_compile_definitions(${name} PRIVATE DUSTLET_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_LABEL)
    set(T_LABEL core)
  endif()
  set_tests_properties(${name} PROPERTIES
    LABELS "${T_LABEL}"
    TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
endfunction()
