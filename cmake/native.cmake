# Native build: the logic and its unit tests, under AddressSanitizer and UBSan.
set(VANTARY_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
target_compile_options(vantary_core PRIVATE ${VANTARY_SANITIZE})
target_link_options(vantary_core PUBLIC ${VANTARY_SANITIZE})

find_package(GTest REQUIRED)
enable_testing()
file(GLOB VANTARY_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(vantary_unit_tests ${VANTARY_UNIT_TESTS})
target_compile_options(vantary_unit_tests PRIVATE ${VANTARY_WARNINGS} ${VANTARY_SANITIZE})
target_link_libraries(vantary_unit_tests PRIVATE vantary_core GTest::gtest GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(vantary_unit_tests)
