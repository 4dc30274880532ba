# Benchmark programs (./scripts/bench): the driver, a minimal reference
# forwarder with the gateway's own WinHTTP post, and an empty window program.
# Included by cmake/windows.cmake after the end-to-end tests, whose harness
# library the driver links.
if(NOT TARGET vantary_e2e_harness)
    message(FATAL_ERROR "VANTARY_BUILD_BENCH needs the end-to-end harness (VANTARY_BUILD_E2E=ON)")
endif()

set(VANTARY_BENCH_DIR ${CMAKE_SOURCE_DIR}/tools/bench)
set(VANTARY_BENCH_WARNINGS -Wall -Wextra -Wshadow -Wformat=2 -Werror -Wno-restrict)
set(VANTARY_BENCH_LINK -static -static-libgcc -static-libstdc++)
set(VANTARY_BENCH_OUT ${CMAKE_BINARY_DIR}/bench)

# Same post, same URL, same body encoding as the gateway; nothing else.
add_executable(vantary-reference-forwarder
    ${VANTARY_BENCH_DIR}/reference_forwarder.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/win32/winhttp_poster.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/win32/winhttp_exchange.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/win32/winhttp_library.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/win32/winhttp_proxy.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/win32/message_wait.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/win32/system_library.cpp)
target_compile_definitions(vantary-reference-forwarder PRIVATE ${VANTARY_WIN32_DEFINES}
    VANTARY_UPLOAD_URL=L"${VANTARY_UPLOAD_URL}")
target_compile_options(vantary-reference-forwarder PRIVATE ${VANTARY_BENCH_WARNINGS})
target_link_libraries(vantary-reference-forwarder PRIVATE vantary_core ws2_32 kernel32)
target_link_options(vantary-reference-forwarder PRIVATE ${VANTARY_BENCH_LINK} -municode -Wl,--gc-sections)

add_executable(vantary-empty-window WIN32 ${VANTARY_BENCH_DIR}/empty_window.cpp)
target_compile_definitions(vantary-empty-window PRIVATE ${VANTARY_WIN32_DEFINES})
target_compile_options(vantary-empty-window PRIVATE ${VANTARY_BENCH_WARNINGS})
target_link_libraries(vantary-empty-window PRIVATE user32 kernel32)
target_link_options(vantary-empty-window PRIVATE ${VANTARY_BENCH_LINK} -municode -mwindows -Wl,--gc-sections)

add_executable(vantary-bench
    ${VANTARY_BENCH_DIR}/bench_main.cpp
    ${VANTARY_BENCH_DIR}/bench_options.cpp
    ${VANTARY_BENCH_DIR}/bench_service.cpp
    ${VANTARY_BENCH_DIR}/process_probe.cpp
    ${VANTARY_BENCH_DIR}/subjects.cpp
    ${VANTARY_BENCH_DIR}/phases.cpp
    ${VANTARY_BENCH_DIR}/wait_phases.cpp
    ${VANTARY_BENCH_DIR}/report.cpp)
target_compile_options(vantary-bench PRIVATE ${VANTARY_BENCH_WARNINGS})
target_include_directories(vantary-bench PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e/harness ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(vantary-bench PRIVATE vantary_e2e_harness vantary_core psapi iphlpapi ws2_32 user32 kernel32)
target_link_options(vantary-bench PRIVATE ${VANTARY_BENCH_LINK} -municode)
add_dependencies(vantary-bench vantary-gateway vantary-reference-forwarder vantary-empty-window)

set_target_properties(vantary-bench vantary-reference-forwarder vantary-empty-window
    PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VANTARY_BENCH_OUT})
