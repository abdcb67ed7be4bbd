# Qt's widget headers are about half of what the compiler reads for a window
# or a Qt test, and GoogleTest's headers a good part of a unit test. Each set
# is compiled once per build and reused by every target that needs it, which
# shortens a clean build considerably. TERVANE_PRECOMPILE=OFF turns this off.
option(TERVANE_PRECOMPILE "Compile the Qt and GoogleTest headers once and reuse them" ON)

# Every build system target of DIR and the folders below it.
function(_tervane_targets_below dir out)
  get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _tervane_targets_below("${sub}" below)
    list(APPEND targets ${below})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Whether TARGET links a library matching PATTERN, directly or through the
# project's own libraries.
function(_tervane_links target pattern out)
  set(found FALSE)
  set(pending ${target})
  set(seen "")
  while(pending AND NOT found)
    list(POP_FRONT pending current)
    if(current IN_LIST seen OR NOT TARGET "${current}")
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(type ${current} TYPE)
    set(deps "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(direct ${current} LINK_LIBRARIES)
      if(direct)
        list(APPEND deps ${direct})
      endif()
    endif()
    get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
    if(interface)
      list(APPEND deps ${interface})
    endif()
    foreach(dep IN LISTS deps)
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" dep "${dep}")
      if(dep MATCHES "${pattern}")
        set(found TRUE)
      elseif(NOT dep MATCHES "^Qt6::|^GTest::|\\$<")
        list(APPEND pending ${dep})
      endif()
    endforeach()
  endwhile()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(tervane_share_precompiled_headers)
  # GCC quietly reads the headers themselves when a target's flags do not
  # suit the shared header; other compilers refuse such a target outright.
  if(NOT TERVANE_PRECOMPILE OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    return()
  endif()
  _tervane_targets_below("${PROJECT_SOURCE_DIR}" targets)
  set(pch_source "${PROJECT_BINARY_DIR}/tervane_pch.cpp")
  file(WRITE "${pch_source}" "// Holds the shared precompiled headers.\n")
  if(TARGET Qt6::Widgets)
    add_library(tervane_qt_headers STATIC "${pch_source}")
    target_link_libraries(tervane_qt_headers PRIVATE Qt6::Widgets)
    # The headers most windows and Qt tests use; the whole module would make
    # every compilation load far more than it reads.
    target_precompile_headers(tervane_qt_headers PRIVATE
      <QAction> <QApplication> <QComboBox> <QDialog> <QFile> <QHBoxLayout> <QHeaderView>
      <QLabel> <QLineEdit> <QListView> <QMessageBox> <QPainter> <QPlainTextEdit> <QProcess>
      <QPushButton> <QRegularExpression> <QTableView> <QTemporaryDir> <QTimer> <QVBoxLayout>)
  endif()
  if(TARGET GTest::gtest)
    add_library(tervane_gtest_headers STATIC "${pch_source}")
    target_link_libraries(tervane_gtest_headers PRIVATE GTest::gtest GTest::gmock)
    target_precompile_headers(tervane_gtest_headers PRIVATE <gtest/gtest.h> <gmock/gmock.h>)
  endif()
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY)$")
      continue()
    endif()
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    if(NOT sources)
      continue()
    endif()
    set(reuse "")
    if(TARGET tervane_qt_headers)
      _tervane_links(${target} "^Qt6::Widgets$" uses_widgets)
      if(uses_widgets)
        set(reuse tervane_qt_headers)
      endif()
    endif()
    if(NOT reuse AND TARGET tervane_gtest_headers)
      # Qt builds its users as position-independent code, which the
      # GoogleTest header set is not.
      _tervane_links(${target} "^GTest::gtest$" uses_gtest)
      _tervane_links(${target} "^Qt6::" uses_qt)
      if(uses_gtest AND NOT uses_qt)
        set(reuse tervane_gtest_headers)
      endif()
    endif()
    if(reuse)
      target_precompile_headers(${target} REUSE_FROM ${reuse})
      if(reuse STREQUAL "tervane_gtest_headers" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        # With the GoogleTest set read first, GCC 12 inlines std::string's
        # concatenation differently and reports its known false out-of-bounds
        # copies and overflows (the family of -Wrestrict in Warnings.cmake);
        # tests only.
        target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overflow)
      endif()
    endif()
  endforeach()
endfunction()
