# The real program in an X server with a tray host; skipped only when no X server can start.
add_test(NAME e2e_tray_click COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/tray_click.sh $<TARGET_FILE:dustlet>)
set_tests_properties(e2e_tray_click PROPERTIES LABELS "e2e" TIMEOUT 120 SKIP_RETURN_CODE 77)
# A first launch: the welcome flow over the whole screen, then the first-run hint.
add_test(NAME e2e_first_launch COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/first_launch.sh $<TARGET_FILE:dustlet>)
set_tests_properties(e2e_first_launch PROPERTIES LABELS "e2e" TIMEOUT 120 SKIP_RETURN_CODE 77)
# Started twice, the program runs once; a crash leaves nothing that blocks the next start.
add_test(NAME e2e_single_instance COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/single_instance.sh $<TARGET_FILE:dustlet>)
set_tests_properties(e2e_single_instance PROPERTIES LABELS "e2e" TIMEOUT 120 SKIP_RETURN_CODE 77)
# Without a tray the panel window is the program: closing it ends the process.
if(TARGET PkgConfig::XCB)
  add_executable(close_window e2e/CloseWindow.cpp)
  target_link_libraries(close_window PRIVATE PkgConfig::XCB)
  add_test(NAME e2e_no_tray COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/no_tray.sh $<TARGET_FILE:dustlet> $<TARGET_FILE:close_window>)
  set_tests_properties(e2e_no_tray PROPERTIES LABELS "e2e" TIMEOUT 120 SKIP_RETURN_CODE 77)
endif()
# dustlet-render: --help draws nothing, and every picture comes out the same in two runs.
add_test(NAME render_same_twice COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/render/same_twice.sh $<TARGET_FILE:dustlet-render>)
set_tests_properties(render_same_twice PROPERTIES LABELS "ui" TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
# The windows against a small screen: tst_ScreenFit runs at 1600 × 1000 with every length doubled
# (a desktop font setting of 192 dpi); here again at 1280 × 800 with one and a half times, and on
# both screens with a large application font instead.
foreach(screen "1280x800@144" "1600x1000@96,26px" "1280x800@96,20px")
  string(REGEX REPLACE "[^0-9a-z]+" "_" suffix "${screen}")
  add_test(NAME tst_ScreenFit_${suffix} COMMAND tst_ScreenFit)
  set_tests_properties(tst_ScreenFit_${suffix} PROPERTIES LABELS "ui" TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;DUSTLET_TEST_SCREEN=${screen}")
endforeach()
