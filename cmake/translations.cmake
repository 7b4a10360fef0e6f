# Translations: translations/discshelf_<language>.ts, compiled into the core library under ":/i18n",
# so that every program built on it can load them (library/translations.h).
# `cmake --build build --target update_translations` rescans every source folder and refreshes
# the .ts files (new texts appear unfinished, moved ones keep their translation).
find_package(Qt6 6.4 QUIET COMPONENTS LinguistTools)
if(NOT Qt6LinguistTools_FOUND)
  message(FATAL_ERROR
    "Qt 6 LinguistTools (lupdate, lrelease) was not found.\n"
    "On Debian 12 install it with: apt-get install qt6-tools-dev qt6-l10n-tools\n"
    "or simply run ./run.sh or ./test.sh, which install what is missing.")
endif()

file(GLOB _ts_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/translations/discshelf_*.ts)
# English is the source language: its catalogue holds the plural forms alone ("1 image",
# "2 images"), made and compiled on its own.
set(_plural_ts ${PROJECT_SOURCE_DIR}/translations/discshelf_en.ts)
list(REMOVE_ITEM _ts_files ${_plural_ts})

# Every folder of the product's sources, whatever it is called; tests, benchmarks and tools have
# nothing for the user to read.
file(GLOB _top RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/*)
list(FILTER _top EXCLUDE REGEX "^(\\..*|build.*|tests|bench|tools|docs|data|cmake|translations)$")
set(_tr_sources)
foreach(_dir IN LISTS _top)
  if(IS_DIRECTORY ${PROJECT_SOURCE_DIR}/${_dir})
    file(GLOB_RECURSE _found CONFIGURE_DEPENDS
      ${PROJECT_SOURCE_DIR}/${_dir}/*.cpp ${PROJECT_SOURCE_DIR}/${_dir}/*.h
      ${PROJECT_SOURCE_DIR}/${_dir}/*.ui)
    list(APPEND _tr_sources ${_found})
  endif()
endforeach()

qt_add_translations(discshelf_core
  TS_FILES ${_ts_files}
  SOURCES ${_tr_sources}
  INCLUDE_DIRECTORIES ${PROJECT_SOURCE_DIR}
  LUPDATE_OPTIONS -no-obsolete -locations none
  LRELEASE_OPTIONS -silent)

add_custom_target(discshelf_plurals)
qt_add_lupdate(discshelf_plurals
  TS_FILES ${_plural_ts}
  SOURCES ${_tr_sources}
  INCLUDE_DIRECTORIES ${PROJECT_SOURCE_DIR}
  OPTIONS -no-obsolete -locations none -pluralonly)
qt_add_lrelease(discshelf_plurals
  TS_FILES ${_plural_ts}
  QM_FILES_OUTPUT_VARIABLE _plural_qm
  OPTIONS -silent)
qt_add_resources(discshelf_core "discshelf_core_plurals"
  PREFIX "/i18n"
  BASE "${CMAKE_CURRENT_BINARY_DIR}"
  FILES ${_plural_qm})
