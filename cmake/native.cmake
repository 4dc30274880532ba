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
# The layout test reads the includes of the sources themselves.
target_compile_definitions(vantary_unit_tests PRIVATE VANTARY_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
include(GoogleTest)
gtest_discover_tests(vantary_unit_tests)

# Fuzzers: a clang tree of their own (-DVANTARY_FUZZ=ON).
option(VANTARY_FUZZ "Build the libFuzzer targets (clang)" OFF)
if(VANTARY_FUZZ)
    target_compile_options(vantary_core PRIVATE -fsanitize=fuzzer-no-link)
    foreach(target fuzz_encoder fuzz_profile_values fuzz_datagram)
        add_executable(${target} ${CMAKE_SOURCE_DIR}/tests/fuzz/${target}.cpp)
        target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
        target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_libraries(${target} PRIVATE vantary_core)
    endforeach()
endif()
