# The user interface: views, shared components, the application shell and the executable.
find_package(Qt6 6.4 REQUIRED COMPONENTS Gui Widgets Svg)

file(GLOB_RECURSE DUSTLET_UI_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/views/*.cpp ${CMAKE_SOURCE_DIR}/src/views/*.h
  ${CMAKE_SOURCE_DIR}/src/platform/ui/*.cpp ${CMAKE_SOURCE_DIR}/src/platform/ui/*.h)
file(GLOB DUSTLET_SHELL_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/DustletApp.* ${CMAKE_SOURCE_DIR}/src/AppDelegate.*)
if(APPLE)
  file(GLOB DUSTLET_MAC_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/macos/*.mm)
  set_source_files_properties(${DUSTLET_MAC_SOURCES} PROPERTIES COMPILE_OPTIONS -fobjc-arc)
  # The updater lives in the core library; its framework controller goes with it.
  set(DUSTLET_SPARKLE_SOURCE ${CMAKE_SOURCE_DIR}/src/platform/macos/SparkleUpdaterController.mm)
  list(REMOVE_ITEM DUSTLET_MAC_SOURCES ${DUSTLET_SPARKLE_SOURCE})
  # The volume figures and the login item belong to the platform library (see the top-level
  # CMakeLists.txt).
  list(REMOVE_ITEM DUSTLET_MAC_SOURCES ${CMAKE_SOURCE_DIR}/src/platform/macos/VolumeMac.mm
    ${CMAKE_SOURCE_DIR}/src/platform/macos/LoginItemServiceMac.mm)
  target_sources(dustlet_core PRIVATE ${DUSTLET_SPARKLE_SOURCE})
  target_link_libraries(dustlet_core PUBLIC "-framework Foundation")
endif()

add_library(dustlet_ui STATIC ${DUSTLET_UI_SOURCES} ${DUSTLET_SHELL_SOURCES} ${DUSTLET_MAC_SOURCES})
target_include_directories(dustlet_ui PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(dustlet_ui PUBLIC dustlet_core Qt6::Gui Qt6::Widgets Qt6::Svg)
if(APPLE)
  target_link_libraries(dustlet_ui PUBLIC "-framework AppKit")
else()
  # To tell whether an X11 desktop composites translucent windows.
  pkg_check_modules(XCB IMPORTED_TARGET xcb)
  if(XCB_FOUND)
    target_link_libraries(dustlet_ui PRIVATE PkgConfig::XCB)
    target_compile_definitions(dustlet_ui PRIVATE DUSTLET_HAS_XCB=1)
  endif()
endif()

# Symbols: only the SVGs that the symbol table names are embedded, from the pinned npm package.
set(DUSTLET_ICON_ROOT ${CMAKE_SOURCE_DIR}/node_modules/@phosphor-icons/core/assets)
set(DUSTLET_SYMBOL_TABLE ${CMAKE_SOURCE_DIR}/src/views/components/SymbolTable.inc)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${DUSTLET_SYMBOL_TABLE})
if(NOT EXISTS ${DUSTLET_ICON_ROOT}/regular)
  message(FATAL_ERROR "Icons missing: ${DUSTLET_ICON_ROOT} not found. Run ./scripts/setup (npm install).")
endif()
file(STRINGS ${DUSTLET_SYMBOL_TABLE} symbol_lines REGEX "^DUSTLET_SYMBOL\\(")
set(DUSTLET_SYMBOL_FILES "")
foreach(line ${symbol_lines})
  if(NOT line MATCHES "^DUSTLET_SYMBOL\\(\"[^\"]+\", \"([a-z0-9-]+)\", (regular|fill)\\)$")
    message(FATAL_ERROR "Malformed symbol table line: ${line}")
  endif()
  if(CMAKE_MATCH_2 STREQUAL "fill")
    set(svg fill/${CMAKE_MATCH_1}-fill.svg)
  else()
    set(svg regular/${CMAKE_MATCH_1}.svg)
  endif()
  if(NOT EXISTS ${DUSTLET_ICON_ROOT}/${svg})
    message(FATAL_ERROR "Symbol table names ${svg}, which the icon package does not have")
  endif()
  list(APPEND DUSTLET_SYMBOL_FILES ${DUSTLET_ICON_ROOT}/${svg})
endforeach()
list(REMOVE_DUPLICATES DUSTLET_SYMBOL_FILES)
qt_add_resources(dustlet_ui dustlet_symbols
  PREFIX /symbols
  BASE ${DUSTLET_ICON_ROOT}
  FILES ${DUSTLET_SYMBOL_FILES})

# The program's own icon, for its windows (embedded) and the desktop's launcher (installed).
qt_add_resources(dustlet_ui dustlet_app_icon
  PREFIX /app
  BASE ${CMAKE_SOURCE_DIR}/resources
  FILES ${CMAKE_SOURCE_DIR}/resources/dustlet.svg)

# Bundle information: identifier, versions and the update feed (none for a development build).
set(DUSTLET_BUNDLE_ID "app.dustlet.Dustlet" CACHE STRING "Application identifier")
set(DUSTLET_BUILD_NUMBER "1" CACHE STRING "Build number (CFBundleVersion)")
set(DUSTLET_FEED_URL "" CACHE STRING "Update feed URL; empty marks a development build")
target_compile_definitions(dustlet_platform PRIVATE
  DUSTLET_BUNDLE_ID="${DUSTLET_BUNDLE_ID}" DUSTLET_BUILD="${DUSTLET_BUILD_NUMBER}" DUSTLET_FEED_URL="${DUSTLET_FEED_URL}")

add_executable(dustlet ${CMAKE_SOURCE_DIR}/src/main.cpp)
target_link_libraries(dustlet PRIVATE dustlet_ui)
if(APPLE)
  if(DUSTLET_FEED_URL)
    set(DUSTLET_FEED_PLIST_ENTRY "<key>SUFeedURL</key><string>${DUSTLET_FEED_URL}</string>")
  else()
    set(DUSTLET_FEED_PLIST_ENTRY "")
  endif()
  # An accessory application (LSUIElement): a menu-bar extra without a Dock icon.
  set_target_properties(dustlet PROPERTIES
    MACOSX_BUNDLE TRUE
    OUTPUT_NAME Dustlet
    MACOSX_BUNDLE_INFO_PLIST ${CMAKE_SOURCE_DIR}/resources/Info.plist.in
    MACOSX_BUNDLE_GUI_IDENTIFIER ${DUSTLET_BUNDLE_ID}
    MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION}
    MACOSX_BUNDLE_BUNDLE_VERSION ${DUSTLET_BUILD_NUMBER})
else()
  include(GNUInstallDirs)
  install(TARGETS dustlet RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/resources/dustlet.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/dustlet.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# Renders every built view with a seeded model to PNG files, for a person to look at.
file(GLOB DUSTLET_RENDER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/render/*.cpp ${CMAKE_SOURCE_DIR}/tests/render/*.h)
add_executable(dustlet-render ${DUSTLET_RENDER_SOURCES})
target_link_libraries(dustlet-render PRIVATE dustlet_ui)
target_include_directories(dustlet-render PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
