# dtool_add_gtest(<name> SOURCES <files...> LIBS <targets...> [QT])
# Builds one GoogleTest executable and registers its cases with CTest.
# QT marks a test that needs a QApplication: it runs on the offscreen platform.
find_package(GTest REQUIRED)
include(GoogleTest)

function(dtool_add_gtest name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(NOT T_QT)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set(env "DTOOL_TEST=1")
  if(T_QT)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
    # The test list is read by running the executable: it needs the platform too.
    set_target_properties(${name} PROPERTIES
      CROSSCOMPILING_EMULATOR "${CMAKE_COMMAND};-E;env;QT_QPA_PLATFORM=offscreen")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    # A test that waits on a window nobody closes fails instead of holding up the run.
    PROPERTIES ENVIRONMENT "${env}" TIMEOUT 120)
endfunction()

# dtool_use_pdf_tools(<target>)
# Tells a test where poppler's pdfinfo, pdftotext and pdftoppm are, to read PDFs back with; an
# empty path makes the tests that need the tool fail with a hint.
function(dtool_use_pdf_tools target)
  foreach(tool pdfinfo pdftotext pdftoppm)
    string(TOUPPER ${tool} var)
    find_program(DTOOL_${var} ${tool})
    if(DTOOL_${var})
      target_compile_definitions(${target} PRIVATE DTOOL_${var}="${DTOOL_${var}}")
    else()
      message(WARNING "${tool} not found: install poppler-utils (scripts/deps.sh) for the report tests")
      target_compile_definitions(${target} PRIVATE DTOOL_${var}="")
    endif()
  endforeach()
endfunction()
