# End-to-end tests: Windows programs that drive the real gateway under Wine.
# Included by cmake/windows.cmake once the target vantary-gateway exists.

set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)  # the MinGW thread model here is win32
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# gtest's Notification needs std::mutex, absent from the win32 thread model.
target_compile_options(gtest PUBLIC -include ${CMAKE_SOURCE_DIR}/tests/e2e/gtest_notification.h)

set(VANTARY_E2E_DIR ${CMAKE_SOURCE_DIR}/tests/e2e)
# -Wrestrict misfires on "literal" + std::string in GCC 12 at -O3.
set(VANTARY_E2E_WARNINGS -Wall -Wextra -Wshadow -Wformat=2 -Werror -Wno-restrict)

add_library(vantary_e2e_harness STATIC
    ${VANTARY_E2E_DIR}/harness/stand_in_service.cpp
    ${VANTARY_E2E_DIR}/harness/form_decoder.cpp
    ${VANTARY_E2E_DIR}/harness/udp_sender.cpp
    ${VANTARY_E2E_DIR}/harness/trust_store.cpp
    ${VANTARY_E2E_DIR}/harness/paths.cpp
    ${VANTARY_E2E_DIR}/harness/ui_probe.cpp
    ${VANTARY_E2E_DIR}/harness/gateway_process.cpp
    ${VANTARY_E2E_DIR}/harness/linux_view.cpp
    ${VANTARY_E2E_DIR}/harness/tcp_io.cpp
    ${VANTARY_E2E_DIR}/harness/pixels.cpp
    ${VANTARY_E2E_DIR}/harness/tray_probe.cpp
)
target_compile_definitions(vantary_e2e_harness PUBLIC ${VANTARY_WIN32_DEFINES}
    PRIVATE VANTARY_E2E_GATEWAY_EXE="$<TARGET_FILE:vantary-gateway>")
target_compile_options(vantary_e2e_harness PRIVATE ${VANTARY_E2E_WARNINGS})
target_link_libraries(vantary_e2e_harness PUBLIC ws2_32 crypt32 user32 gdi32 shell32 oleacc ole32 oleaut32)

set(VANTARY_E2E_LINK -static -static-libgcc -static-libstdc++)

add_executable(vantary-e2e
    ${VANTARY_E2E_DIR}/e2e_main.cpp
    ${VANTARY_E2E_DIR}/gateway_test.cpp
    ${VANTARY_E2E_DIR}/startup_test.cpp
    ${VANTARY_E2E_DIR}/upload_test.cpp
    ${VANTARY_E2E_DIR}/server_error_test.cpp
    ${VANTARY_E2E_DIR}/unreachable_test.cpp
    ${VANTARY_E2E_DIR}/datagram_test.cpp
    ${VANTARY_E2E_DIR}/shutdown_test.cpp
    ${VANTARY_E2E_DIR}/bind_failure_test.cpp
    ${VANTARY_E2E_DIR}/settings_window_test.cpp
    ${VANTARY_E2E_DIR}/tray_test.cpp
    ${VANTARY_E2E_DIR}/hostile_test.cpp
    ${VANTARY_E2E_DIR}/hostile_service_test.cpp
    ${VANTARY_E2E_DIR}/settings_oddities_test.cpp
    ${VANTARY_E2E_DIR}/certificate_test.cpp
    ${VANTARY_E2E_DIR}/look_test.cpp
    ${VANTARY_E2E_DIR}/keys_test.cpp
    ${VANTARY_E2E_DIR}/waiting_test.cpp
    ${VANTARY_E2E_DIR}/hardening_test.cpp
    ${VANTARY_E2E_DIR}/unkind_pc_test.cpp
    ${VANTARY_E2E_DIR}/exchange_test.cpp
    ${VANTARY_E2E_DIR}/proxy_test.cpp
    ${VANTARY_E2E_DIR}/panes_test.cpp
    # The gateway's own poster, driven directly with a WinHTTP that refuses an option.
    ${CMAKE_SOURCE_DIR}/src/platform/win32/winhttp_poster.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/win32/winhttp_exchange.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/win32/winhttp_library.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/win32/winhttp_proxy.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/win32/message_wait.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/win32/system_library.cpp
)
target_include_directories(vantary-e2e PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(vantary-e2e PRIVATE ${VANTARY_E2E_WARNINGS})
target_compile_definitions(vantary-e2e PRIVATE VANTARY_E2E_PLANTED_DLL="$<TARGET_FILE:vantary-planted-dll>"
    VANTARY_UPLOAD_URL=L"${VANTARY_UPLOAD_URL}")
target_link_libraries(vantary-e2e PRIVATE vantary_e2e_harness vantary_core GTest::gtest)
target_link_options(vantary-e2e PRIVATE ${VANTARY_E2E_LINK})
# The tests copy the gateway and the planted DLL, so both must be built first.
add_dependencies(vantary-e2e vantary-gateway vantary-planted-dll)

add_library(vantary-planted-dll SHARED ${VANTARY_E2E_DIR}/planted_dll.cpp)
target_compile_definitions(vantary-planted-dll PRIVATE ${VANTARY_WIN32_DEFINES})
target_compile_options(vantary-planted-dll PRIVATE ${VANTARY_E2E_WARNINGS})
target_link_options(vantary-planted-dll PRIVATE ${VANTARY_E2E_LINK})
set_target_properties(vantary-planted-dll PROPERTIES PREFIX "" OUTPUT_NAME vantary-planted)

add_executable(vantary-trust-ca ${VANTARY_E2E_DIR}/trust_ca_main.cpp)
target_compile_options(vantary-trust-ca PRIVATE ${VANTARY_E2E_WARNINGS})
target_link_libraries(vantary-trust-ca PRIVATE vantary_e2e_harness)
target_link_options(vantary-trust-ca PRIVATE ${VANTARY_E2E_LINK})

add_executable(vantary-standin ${VANTARY_E2E_DIR}/standin_main.cpp)
target_compile_options(vantary-standin PRIVATE ${VANTARY_E2E_WARNINGS})
target_link_libraries(vantary-standin PRIVATE vantary_e2e_harness)
target_link_options(vantary-standin PRIVATE ${VANTARY_E2E_LINK})

# One ctest entry per suite, so a hang in one cannot take the others with it.
# Each runs in a lane of its own (scripts/lane: its prefix, display, stunnel
# and network namespace), so that two run side by side; the longest first.
enable_testing()
function(vantary_e2e_test name timeout cost)
    add_test(NAME e2e.${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/lane ${ARGN})
    set_tests_properties(e2e.${name} PROPERTIES TIMEOUT ${timeout} COST ${cost} RESOURCE_GROUPS lanes:1 LABELS e2e)
endfunction()

set(VANTARY_E2E_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run $<TARGET_FILE:vantary-e2e>)

# Suite:time-out:usual seconds, measured on a 2-core machine; ctest starts the longest
# first. The time-out is ten times that, two minutes at least, so a hang costs minutes, not the run.
set(VANTARY_E2E_SUITES
    Startup:120:1 SettingsFile:120:1 Upload:120:6 LoginRejected:120:2 ServerError:120:9 Unreachable:130:13
    SecondInstance:120:2 ShutDown:120:5 Datagrams:130:13 BindFailure:120:7 SettingsWindow:120:11 Tray:120:8
    Hostile:210:21 HostileService:200:20 OddSettingsFile:120:8 Hardening:120:3 Look:120:2 Keys:120:6
    Waiting:120:3 UnkindPc:120:3 Exchange:120:10 Proxy:120:1 Panes:120:3)
foreach(entry IN LISTS VANTARY_E2E_SUITES)
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 suite)
    list(GET parts 1 seconds)
    list(GET parts 2 cost)
    vantary_e2e_test(${suite} ${seconds} ${cost} ${VANTARY_E2E_RUN} --gtest_filter=${suite}.*)
endforeach()

# The windows' pictures again at 144 dpi.
vantary_e2e_test(Look144 120 2 ${CMAKE_SOURCE_DIR}/scripts/with-dpi 144 ${VANTARY_E2E_RUN} --gtest_filter=Look.*)

# Each with its bad certificate, or its old TLS, in front of the stand-in for the whole run.
foreach(entry IN ITEMS expired:Expired otherhost:ForAnotherHost tls11:OnlyTls10And11)
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 cert)
    list(GET parts 1 test)
    vantary_e2e_test(Certificates.${test} 120 5
        ${CMAKE_SOURCE_DIR}/scripts/with-cert ${cert} ${VANTARY_E2E_RUN} --gtest_filter=Certificates.${test})
endforeach()
