# Cross build of everything; tests run under Wine through the runner script, all in
# one Wine prefix per test run (created by the setup fixture, removed by the cleanup).
set(VELMORA_RUNNER "${CMAKE_SOURCE_DIR}/tools/wine-run.sh")
set(VELMORA_PREFIX "${CMAKE_BINARY_DIR}/wineprefix")
set(CMAKE_CROSSCOMPILING_EMULATOR "${VELMORA_RUNNER};--prefix;${VELMORA_PREFIX}")

# Precompiled headers: <windows.h> is parsed once per build instead of once per source
# file, which was most of a cold build (see the end of this file). It reaches every
# source of its targets unasked, so a source that forgets to include it still compiles;
# a build with the option off shows it.
option(VELMORA_PCH "Precompile the system headers of the Windows build" ON)
if(VELMORA_PCH AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
    # ccache stores no compile that uses a precompiled header unless it may ignore the
    # header's defines and time macros (no source uses __DATE__ or __TIME__).
    set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env CCACHE_SLOPPINESS=pch_defines,time_macros
                                    ${CMAKE_CXX_COMPILER_LAUNCHER})
    add_compile_options(-fpch-preprocess)
endif()

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601
                        _WIN32_IE=0x0800)
# A self-contained executable: no runtime DLL beside it.
add_link_options(-static -static-libgcc -static-libstdc++)
# Sections aligned to pages in the file too: Wine maps such an image straight from the
# file, but reads every section of any other (debug information included) into private
# memory, which costs each process of ours over 20 MB and a slower start.
add_link_options(-Wl,--file-alignment=4096)

set(VELMORA_SYSTEM_LIBS shlwapi comctl32 ole32 oleaut32 uuid version advapi32 shell32 gdi32 user32 msimg32
                        psapi wininet ws2_32 taskschd mstask uxtheme ntdll userenv bcrypt oleacc)

velmora_sources(core_sources core)
add_library(velmora_core STATIC ${core_sources})
target_include_directories(velmora_core PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(velmora_core PUBLIC ${VELMORA_WARNINGS})

# A folder library links everything below it; an empty folder yields an interface target.
function(velmora_library name folder)
    velmora_sources(sources ${folder})
    if(sources)
        add_library(${name} STATIC ${sources})
        target_link_libraries(${name} PUBLIC ${ARGN})
    else()
        add_library(${name} INTERFACE)
        target_link_libraries(${name} INTERFACE ${ARGN})
    endif()
endfunction()

velmora_library(velmora_framework framework velmora_core ${VELMORA_SYSTEM_LIBS})
velmora_library(velmora_engine engine velmora_framework)
velmora_library(velmora_online online velmora_engine)
# The update key goes into the program as text; a changed key file reconfigures. The key
# is the test key when its text is, wherever the file lies and however its lines end.
if(NOT EXISTS "${VELMORA_UPDATE_PUBLIC_KEY}")
    message(FATAL_ERROR "VELMORA_UPDATE_PUBLIC_KEY names no file: ${VELMORA_UPDATE_PUBLIC_KEY}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${VELMORA_UPDATE_PUBLIC_KEY}")
file(READ "${VELMORA_UPDATE_PUBLIC_KEY}" VELMORA_UPDATE_PUBLIC_KEY_PEM)
file(READ "${VELMORA_UPDATE_TEST_PUBLIC_KEY}" test_key_pem)
string(REGEX REPLACE "[ \t\r\n]" "" chosen_key_text "${VELMORA_UPDATE_PUBLIC_KEY_PEM}")
string(REGEX REPLACE "[ \t\r\n]" "" test_key_text "${test_key_pem}")
if(chosen_key_text STREQUAL test_key_text)
    set(VELMORA_TEST_BUILD ON)
    set(VELMORA_IS_TEST_BUILD true)
else()
    set(VELMORA_TEST_BUILD OFF)
    set(VELMORA_IS_TEST_BUILD false)
endif()
if(VELMORA_RELEASE AND VELMORA_TEST_BUILD)
    message(FATAL_ERROR "VELMORA_RELEASE=ON, but VELMORA_UPDATE_PUBLIC_KEY (${VELMORA_UPDATE_PUBLIC_KEY}) is the "
                        "test key, whose private half is in the repository: anyone could sign an update for "
                        "this build. Set -DVELMORA_UPDATE_PUBLIC_KEY=<the public half of the release key>.")
endif()
if(VELMORA_TEST_BUILD)
    message(STATUS "Test build: the update key is the test key; no update server unless UpdateServerUrl is set")
endif()
configure_file(cmake/UpdatePublicKey.cpp.in "${CMAKE_BINARY_DIR}/generated/UpdatePublicKey.cpp" @ONLY)
target_sources(velmora_online PRIVATE "${CMAKE_BINARY_DIR}/generated/UpdatePublicKey.cpp")
velmora_library(velmora_controls controls velmora_framework)

# The resources go into every executable that shows windows: the program, the console
# driver (version resource) and the test programs (dialog templates, skins).
set(VELMORA_RC "${CMAKE_SOURCE_DIR}/res/Velmora.rc")
# windres reads the included scripts, bitmaps, icon and manifest itself; CMake cannot
# see them, so they are named as dependencies.
file(GLOB_RECURSE VELMORA_RC_INPUTS CONFIGURE_DEPENDS
     "${CMAKE_SOURCE_DIR}/res/*.rc" "${CMAKE_SOURCE_DIR}/res/*.h" "${CMAKE_SOURCE_DIR}/res/*.bmp"
     "${CMAKE_SOURCE_DIR}/res/*.ico" "${CMAKE_SOURCE_DIR}/res/*.manifest")
list(APPEND VELMORA_RC_INPUTS "${CMAKE_SOURCE_DIR}/controls/ControlResources.h")
set_source_files_properties(${VELMORA_RC} PROPERTIES OBJECT_DEPENDS "${VELMORA_RC_INPUTS}")
# The source root too: the resource numbers the controls choose are included from there.
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/res -I${CMAKE_SOURCE_DIR}")
# A test build says so in its version resource.
if(VELMORA_TEST_BUILD)
    set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -DVELMORA_TEST_BUILD")
endif()

velmora_sources(ui_sources ui)
list(FILTER ui_sources EXCLUDE REGEX "/WinMain\\.cpp$")
add_library(velmora_ui STATIC ${ui_sources})
target_link_libraries(velmora_ui PUBLIC velmora_controls velmora_online)

add_executable(Velmora WIN32 ui/WinMain.cpp ${VELMORA_RC})
target_link_libraries(Velmora PRIVATE velmora_ui)
target_link_options(Velmora PRIVATE -municode)
# The program's files beside it, as an installation has them.
add_custom_command(TARGET Velmora POST_BUILD
                   COMMAND ${CMAKE_COMMAND} -E copy_if_different "${CMAKE_SOURCE_DIR}/res/Loading.gif"
                           "$<TARGET_FILE_DIR:Velmora>/Loading.gif")

# The restart helper of the self-update, beside the program.
add_executable(rebooter WIN32 rebooter/Rebooter.cpp)
target_link_libraries(rebooter PRIVATE velmora_framework)
target_link_options(rebooter PRIVATE -municode)
add_dependencies(Velmora rebooter)

velmora_sources(cli_sources cli)
if(cli_sources)
    add_executable(velmora-cli ${cli_sources} ${VELMORA_RC})
    target_link_libraries(velmora-cli PRIVATE velmora_online)
    target_link_options(velmora-cli PRIVATE -municode)
endif()

# The setup program, Velmora-<version>-setup.exe beside the programs (a test build's is
# Velmora-<version>-test-setup.exe): it installs them without their debug information,
# which is for the developers (a quarter of the size).
find_program(VELMORA_MAKENSIS makensis)
if(VELMORA_MAKENSIS AND TARGET velmora-cli)
    if(VELMORA_TEST_BUILD)
        set(setup_name "Velmora-${PROJECT_VERSION}-test-setup.exe")
        set(setup_test_define -DTEST_BUILD)
    else()
        set(setup_name "Velmora-${PROJECT_VERSION}-setup.exe")
        set(setup_test_define)
    endif()
    set(VELMORA_SETUP "${CMAKE_BINARY_DIR}/${setup_name}")
    set(setup_files "${CMAKE_BINARY_DIR}/setup-files")
    set(strip_commands)
    foreach(program Velmora rebooter velmora-cli)
        list(APPEND strip_commands COMMAND ${CMAKE_STRIP} --strip-debug -o "${setup_files}/${program}.exe"
                                           "$<TARGET_FILE:${program}>")
    endforeach()
    add_custom_command(OUTPUT ${VELMORA_SETUP}
                       COMMAND ${CMAKE_COMMAND} -E make_directory "${setup_files}"
                       ${strip_commands}
                       COMMAND ${VELMORA_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DBUILD_DIR=${setup_files}
                               -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DOUTFILE=${VELMORA_SETUP} ${setup_test_define}
                               ${CMAKE_SOURCE_DIR}/installer/Velmora.nsi
                       DEPENDS ${CMAKE_SOURCE_DIR}/installer/Velmora.nsi ${CMAKE_SOURCE_DIR}/res/Velmora.ico
                               ${CMAKE_SOURCE_DIR}/res/Loading.gif ${CMAKE_SOURCE_DIR}/res/resource.h
                               Velmora rebooter velmora-cli
                       COMMENT "Building the setup program ${setup_name}"
                       VERBATIM)
    add_custom_target(installer ALL DEPENDS ${VELMORA_SETUP})
else()
    message(STATUS "makensis not found (Debian package nsis): no setup program")
endif()

# Benchmarks: built with everything, run by hand (bench/*.sh), never by the tests.
add_executable(velmora-scan-bench bench/ScanBench.cpp)
target_link_libraries(velmora-scan-bench PRIVATE velmora_engine)
target_link_options(velmora-scan-bench PRIVATE -municode)
# The start benchmark's launcher, and its baseline: a window program linked as the
# program is, with its resources and manifest.
add_executable(velmora-start-launcher bench/StartLauncher.cpp)
target_link_libraries(velmora-start-launcher PRIVATE velmora_framework)
target_link_options(velmora-start-launcher PRIVATE -municode)
add_executable(velmora-bare-window WIN32 bench/BareWindow.cpp ${VELMORA_RC})
target_link_libraries(velmora-bare-window PRIVATE velmora_framework)
target_link_options(velmora-bare-window PRIVATE -municode)

# --- tests -------------------------------------------------------------------------
add_test(NAME wine_prefix_setup COMMAND ${VELMORA_RUNNER} --prefix ${VELMORA_PREFIX} --setup)
add_test(NAME wine_prefix_cleanup COMMAND ${VELMORA_RUNNER} --prefix ${VELMORA_PREFIX} --teardown)
set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix)
set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine_prefix)

# The stand-in update server for the update tests: started in the background with a
# bounded lifetime, its port in update-server/port, the files it serves in
# update-server/files (the tests write them through Wine's Z: drive).
set(VELMORA_UPDATE_SERVER_STATE "${CMAKE_BINARY_DIR}/update-server")
add_test(NAME update_server_start COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/update-server.py --daemon
                                          --root ${VELMORA_UPDATE_SERVER_STATE}/files
                                          --state ${VELMORA_UPDATE_SERVER_STATE} --lifetime 1800)
add_test(NAME update_server_stop COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/update-server.py --stop
                                         --state ${VELMORA_UPDATE_SERVER_STATE})
set_tests_properties(update_server_start PROPERTIES FIXTURES_SETUP update_server)
set_tests_properties(update_server_stop PROPERTIES FIXTURES_CLEANUP update_server)

# The program once more with a later version, released with the test key, for the update
# tests and the update journey to serve: as 3.0.7, what it is, and as "3.0.8", which it is not.
add_executable(Velmora-next WIN32 ui/WinMain.cpp tests/e2e/NextVersion.rc)
set_source_files_properties(tests/e2e/NextVersion.rc PROPERTIES OBJECT_DEPENDS "${VELMORA_RC_INPUTS}")
target_link_libraries(Velmora-next PRIVATE velmora_ui)
target_link_options(Velmora-next PRIVATE -municode)
set(VELMORA_NEXT_RELEASE "${CMAKE_BINARY_DIR}/releases/3.0.7")
set(VELMORA_MISLABELLED_RELEASE "${CMAKE_BINARY_DIR}/releases/3.0.7-as-3.0.8")
add_custom_command(TARGET Velmora-next POST_BUILD
                   COMMAND python3 "${CMAKE_SOURCE_DIR}/tools/sign-update.py" --key "${VELMORA_UPDATE_TEST_PRIVATE_KEY}"
                           --version 3.0.7 --out "${VELMORA_NEXT_RELEASE}" "$<TARGET_FILE:Velmora-next>"
                   COMMAND python3 "${CMAKE_SOURCE_DIR}/tools/sign-update.py" --key "${VELMORA_UPDATE_TEST_PRIVATE_KEY}"
                           --version 3.0.8 --out "${VELMORA_MISLABELLED_RELEASE}" "$<TARGET_FILE:Velmora-next>"
                   VERBATIM)

# One CTest test per test executable: each Wine start costs a second or more.
function(velmora_test_executable name folder)
    velmora_sources(sources tests/${folder})
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources} ${VELMORA_RC})
    target_link_libraries(${name} PRIVATE ${ARGN} gtest)
    target_compile_definitions(${name} PRIVATE VELMORA_TEST_DATA="${VELMORA_TEST_DATA}"
                                                 VELMORA_UPDATE_SERVER_STATE="${VELMORA_UPDATE_SERVER_STATE}"
                                                 VELMORA_NEXT_RELEASE="${VELMORA_NEXT_RELEASE}"
                                                 VELMORA_MISLABELLED_RELEASE="${VELMORA_MISLABELLED_RELEASE}")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix)
endfunction()

# The stand-in log service (tools/log-service.py) for the tests of the web-service
# client: started on a free port of 127.0.0.1 for the test run, its state folder (port,
# mode file, logs, solutions) reached by the Wine tests through Z:.
set(VELMORA_LOG_SERVICE_STATE "${CMAKE_BINARY_DIR}/log-service")
set(VELMORA_LOG_SERVICE "${CMAKE_SOURCE_DIR}/tools/log-service.py")
add_test(NAME log_service_start COMMAND python3 ${VELMORA_LOG_SERVICE} --daemon --reset --port 0 --lifetime 1800
                                        --state ${VELMORA_LOG_SERVICE_STATE})
add_test(NAME log_service_stop COMMAND python3 ${VELMORA_LOG_SERVICE} --stop --state ${VELMORA_LOG_SERVICE_STATE})
set_tests_properties(log_service_start PROPERTIES FIXTURES_SETUP log_service)
set_tests_properties(log_service_stop PROPERTIES FIXTURES_CLEANUP log_service)

function(velmora_uses_log_service name)
    if(TARGET ${name})
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "wine_prefix;log_service"
                             ENVIRONMENT "VELMORA_LOG_SERVICE_STATE=${VELMORA_LOG_SERVICE_STATE}")
    endif()
endfunction()

velmora_test_executable(core_tests core velmora_core gtest_main)
velmora_test_executable(framework_tests framework velmora_framework gtest_main)
velmora_test_executable(engine_tests engine velmora_engine gtest_main)
velmora_test_executable(online_tests online velmora_online gtest_main)
velmora_test_executable(controls_tests controls velmora_controls gtest_main)
velmora_test_executable(ui_tests ui velmora_ui gtest_main)
# The window tests read back what windows show as the control tests do, and the layout
# tests take the gallery's tour of every window.
if(TARGET ui_tests)
    target_sources(ui_tests PRIVATE tests/controls/Capture.cpp tests/controls/AccessibleReading.cpp
                                    tests/gallery/GalleryWindows.cpp)
endif()
velmora_uses_log_service(online_tests)
if(TARGET online_tests)
    set_property(TEST online_tests APPEND PROPERTY FIXTURES_REQUIRED update_server)
    add_dependencies(online_tests Velmora-next)
    # Beside the test program: the library a solution's DLL removal loads and unregisters.
    add_library(solution_probe SHARED tests/data/solution-dll/ProbeDll.cpp)
    set_target_properties(solution_probe PROPERTIES PREFIX "")
    add_dependencies(online_tests solution_probe)
    # The restart helper and a stand-in for the program it restarts.
    add_executable(restart_stand_in WIN32 tests/data/restart-stand-in/RestartStandIn.cpp)
    target_link_libraries(restart_stand_in PRIVATE velmora_framework)
    target_link_options(restart_stand_in PRIVATE -municode)
    add_dependencies(online_tests rebooter restart_stand_in)
    target_compile_definitions(online_tests PRIVATE VELMORA_REBOOTER="$<TARGET_FILE:rebooter>"
                                                    VELMORA_RESTART_STAND_IN="$<TARGET_FILE:restart_stand_in>")
endif()

# The gallery: pictures of every window of the program in its states, for review
# (tools/gallery.sh). It builds the windows as the window tests do, from their support
# code and stand-in services, hence its place beside the tests. Built with everything so
# it keeps compiling; never run by the tests, since a picture cannot fail.
velmora_sources(gallery_sources tests/gallery)
if(gallery_sources)
    add_executable(velmora-gallery ${gallery_sources} tests/controls/Capture.cpp tests/ui/UiTestSupport.cpp
                                   tests/ui/ResultTestSupport.cpp ${VELMORA_RC})
    target_link_libraries(velmora-gallery PRIVATE velmora_ui)
    target_link_options(velmora-gallery PRIVATE -municode)
endif()

# The setup program installed, scanned, uninstalled and scanned again, in a Wine prefix of
# its own: what the installation leaves or removes must not meet the other tests' state.
if(TARGET installer)
    add_test(NAME installer COMMAND ${CMAKE_SOURCE_DIR}/tests/installer/install-and-uninstall.sh ${VELMORA_SETUP}
                                    $<TARGET_FILE:velmora-cli> ${CMAKE_BINARY_DIR}/installer-prefix)
endif()

# End-to-end journeys: a Win32 driver program drives the real Velmora.exe in the test prefix.
velmora_sources(e2e_sources tests/e2e)
if(e2e_sources)
    add_executable(velmora-e2e ${e2e_sources} tests/controls/AccessibleReading.cpp)
    target_link_libraries(velmora-e2e PRIVATE velmora_framework gtest)
    target_link_options(velmora-e2e PRIVATE -municode)
    target_compile_definitions(velmora-e2e PRIVATE VELMORA_UPDATE_SERVER_STATE="${VELMORA_UPDATE_SERVER_STATE}")
    add_dependencies(velmora-e2e Velmora Velmora-next rebooter)
    add_test(NAME e2e COMMAND velmora-e2e --program $<TARGET_FILE:Velmora>
                                          --next-version $<TARGET_FILE:Velmora-next>
                                          --next-release ${VELMORA_NEXT_RELEASE}
                                          --rebooter $<TARGET_FILE:rebooter>
                                          --output ${CMAKE_BINARY_DIR}/test-output)
    set_tests_properties(e2e PROPERTIES FIXTURES_REQUIRED "wine_prefix;update_server;log_service"
                                        ENVIRONMENT "VELMORA_LOG_SERVICE_STATE=${VELMORA_LOG_SERVICE_STATE}")
endif()

# --- precompiled headers -----------------------------------------------------------
# One header for the programs and libraries, one for the test programs (their compile
# definitions differ); every other target reuses them. The standard library and
# GoogleTest stay out: GCC no longer treats what comes from a precompiled header as a
# system header, and its string copies then raise false -Warray-bounds and
# -Wstringop-overread warnings. The portable core gets none, so <windows.h> stays out of
# it here too.
if(VELMORA_PCH)
    target_precompile_headers(velmora_framework PRIVATE <windows.h> <commctrl.h>)
    foreach(target velmora_engine velmora_online velmora_controls velmora_ui Velmora Velmora-next rebooter
                   velmora-cli velmora-scan-bench velmora-start-launcher velmora-bare-window velmora-gallery)
        if(TARGET ${target})
            target_precompile_headers(${target} REUSE_FROM velmora_framework)
        endif()
    endforeach()
    set(test_headers <windows.h> <commctrl.h>)
    target_precompile_headers(core_tests PRIVATE ${test_headers})
    foreach(target framework_tests engine_tests online_tests controls_tests ui_tests)
        if(TARGET ${target})
            target_precompile_headers(${target} REUSE_FROM core_tests)
        endif()
    endforeach()
    # The journeys' driver lacks the test programs' definitions, which a reused header
    # requires (the compiler would parse the headers again in every source).
    if(TARGET velmora-e2e)
        target_precompile_headers(velmora-e2e PRIVATE ${test_headers})
    endif()
endif()
