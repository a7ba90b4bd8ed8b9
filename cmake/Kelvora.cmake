include(GNUInstallDirs)
# Where the project's own libraries are installed, below the prefix.
set(KELVORA_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/kelvora)

# kelvora_layer(<target> [SHARED] DEPS <public deps> PRIVATE_DEPS <private deps> EXCLUDE <regexes>)
# Builds every source of the calling directory (recursively) into one library.
function(kelvora_layer target)
  cmake_parse_arguments(L "SHARED" "" "DEPS;PRIVATE_DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
    ${CMAKE_CURRENT_SOURCE_DIR}/*.ui ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  foreach(pattern IN LISTS L_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${pattern}")
  endforeach()
  # Every layer is a shared library: a process holds exactly one copy of
  # each (one main queue, one error-description table), however many of
  # the libraries it loads link the layer.
  add_library(${target} SHARED ${srcs})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  set_target_properties(${target} PROPERTIES AUTOUIC_SEARCH_PATHS ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${L_DEPS} PRIVATE ${L_PRIVATE_DEPS})
  # Installed side by side in a folder of the application's own, so that
  # their plain names meet nothing else in the prefix's lib folder; each
  # finds the others beside itself.
  include(GNUInstallDirs)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target} LIBRARY DESTINATION ${KELVORA_INSTALL_LIBDIR})
endfunction()

# kelvora_install_program(<program target>)
# The program, finding the layers it loads through its rpath.
function(kelvora_install_program program)
  include(GNUInstallDirs)
  set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/../${KELVORA_INSTALL_LIBDIR}")
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# kelvora_test(<name> SOURCES <files> LIBS <libs> [LABELS <labels>])
# One GoogleTest binary; every test case runs as its own ctest test, in a
# process with its own HOME and XDG folders (see tests/support/TestMain.cpp).
function(kelvora_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE kelvora_test_main ${T_LIBS} GTest::gtest GTest::gmock)
  # The environment (offscreen Qt, UTF-8 locale, sandbox folders, sanitizer
  # options) is set by the shared test main itself, so it holds however the
  # binary is started.
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
endfunction()
