# kelvora_layer(<target> [SHARED] DEPS <public deps> PRIVATE_DEPS <private deps>)
# Builds every source of the calling directory (recursively) into one library.
function(kelvora_layer target)
  cmake_parse_arguments(L "SHARED" "" "DEPS;PRIVATE_DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
    ${CMAKE_CURRENT_SOURCE_DIR}/*.ui ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  foreach(pattern IN LISTS L_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${pattern}")
  endforeach()
  if(L_SHARED)
    add_library(${target} SHARED ${srcs})
  else()
    add_library(${target} STATIC ${srcs})
  endif()
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  set_target_properties(${target} PROPERTIES AUTOUIC_SEARCH_PATHS ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${L_DEPS} PRIVATE ${L_PRIVATE_DEPS})
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
  # An empty LABELS value would vanish from the list and turn ENVIRONMENT
  # into a label, leaving the tests without their environment.
  set(label_property "")
  if(T_LABELS)
    set(label_property LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES
      TIMEOUT ${T_TIMEOUT}
      ${label_property}
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8;KELVORA_SOURCE_DIR=${PROJECT_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=1:abort_on_error=1;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/support/lsan.supp:print_suppressions=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1;TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/support/tsan.supp:halt_on_error=1")
endfunction()
