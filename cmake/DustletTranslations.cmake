# Translations: one Qt Linguist file per language in translations/ (dustlet_<code>.ts, such as
# dustlet_de.ts). Each is compiled and embedded in the core library under :/i18n, where the
# interface language picks it at start-up. English is the source language and has no file.
#
#   cmake --build --preset default --target update_translations
#
# brings every file up to date with the texts in src/: new texts come in unfinished, texts no
# longer used go. Fill them in (Linguist, or by hand), and the test tst_Translations checks that
# no text is left without its translation.
find_package(Qt6 6.4 REQUIRED COMPONENTS LinguistTools)

file(GLOB DUSTLET_TS_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/translations/dustlet_*.ts)
file(GLOB_RECURSE DUSTLET_TR_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h)
# No source locations in the files: line numbers would change the file with every edit of src/.
set(DUSTLET_LUPDATE_OPTIONS -no-obsolete -locations none)

if(DUSTLET_TS_FILES)
  qt_add_translations(dustlet_core
    TS_FILES ${DUSTLET_TS_FILES}
    SOURCES ${DUSTLET_TR_SOURCES}
    INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR}/src
    RESOURCE_PREFIX /i18n
    LUPDATE_OPTIONS ${DUSTLET_LUPDATE_OPTIONS}
    LRELEASE_OPTIONS -nounfinished)
endif()
