# Windows build: the gateway itself and the end-to-end test program.
enable_language(RC)

if(NOT VANTARY_TEST_BUILD AND NOT VANTARY_UPLOAD_URL MATCHES "^https://")
    message(FATAL_ERROR "VANTARY_UPLOAD_URL must be an https:// URL in a release build "
                        "(set VANTARY_TEST_BUILD=ON for a test or demo build)")
endif()

set(VANTARY_WIN32_DEFINES WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE _WIN32_WINNT=0x0601)
target_compile_definitions(vantary_core PRIVATE ${VANTARY_WIN32_DEFINES})

file(GLOB VANTARY_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
add_executable(vantary-gateway WIN32 ${VANTARY_WIN32_SOURCES} ${CMAKE_SOURCE_DIR}/src/res/vantary.rc)
target_compile_definitions(vantary-gateway PRIVATE ${VANTARY_WIN32_DEFINES}
    VANTARY_UPLOAD_URL=L"${VANTARY_UPLOAD_URL}")
target_compile_options(vantary-gateway PRIVATE ${VANTARY_WARNINGS})

# ASLR and DEP by name rather than by the linker's defaults, which have
# changed before; stack canaries in every function that has an array.
set(VANTARY_PE_PROTECTIONS -Wl,--dynamicbase -Wl,--nxcompat)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    list(APPEND VANTARY_PE_PROTECTIONS -Wl,--high-entropy-va)
endif()
target_compile_options(vantary_core PRIVATE -fstack-protector-strong)
# Whatever links the core (the bench's forwarder too) needs the canary's runtime.
target_link_options(vantary_core PUBLIC -fstack-protector-strong)
target_compile_options(vantary-gateway PRIVATE -fstack-protector-strong)
target_link_options(vantary-gateway PRIVATE ${VANTARY_PE_PROTECTIONS})
# No winhttp: it is loaded from the system folder at run time (winhttp_library.cpp);
# nor the common controls or the shell, loaded once the port is bound.
target_link_libraries(vantary-gateway PRIVATE vantary_core ws2_32 gdi32 user32 advapi32 kernel32)
target_link_options(vantary-gateway PRIVATE -static -static-libgcc -static-libstdc++ -municode -mwindows -Wl,--gc-sections)
set_target_properties(vantary-gateway PROPERTIES OUTPUT_NAME vantary-gateway)

option(VANTARY_BUILD_E2E "Build the end-to-end test programs" ${VANTARY_TEST_BUILD})
if(VANTARY_BUILD_E2E AND EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/e2e.cmake)
    include(${CMAKE_SOURCE_DIR}/tests/e2e/e2e.cmake)
endif()

option(VANTARY_BUILD_BENCH "Build the benchmark programs (./scripts/bench)" OFF)
if(VANTARY_BUILD_BENCH)
    include(${CMAKE_SOURCE_DIR}/cmake/bench.cmake)
endif()
