// End-to-end tests: drive the real Velmora.exe as a user would, from a separate
// process in the same Wine prefix. Arguments: --program PATH --output FOLDER, and for the
// update journey --next-version PATH --next-release FOLDER --rebooter PATH
// (Linux paths are accepted and mapped to Wine's Z: drive).

#include "tests/e2e/Driver.h"

#include <gtest/gtest.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i + 1 < argc; ++i) {
        const std::wstring name = argv[i];
        if (name == L"--program")
            e2e::Settings().program = e2e::ToWindowsPath(argv[i + 1]);
        else if (name == L"--next-version")
            e2e::Settings().nextVersion = e2e::ToWindowsPath(argv[i + 1]);
        else if (name == L"--next-release")
            e2e::Settings().nextRelease = e2e::ToWindowsPath(argv[i + 1]);
        else if (name == L"--rebooter")
            e2e::Settings().rebooter = e2e::ToWindowsPath(argv[i + 1]);
        else if (name == L"--output")
            e2e::Settings().output = e2e::ToWindowsPath(argv[i + 1]);
    }
    if (e2e::Settings().program.empty()) {
        fwprintf(stderr, L"usage: velmora-e2e --program Velmora.exe --output FOLDER\n");
        return 2;
    }
    ::CreateDirectoryW(e2e::Settings().output.c_str(), nullptr);
    return RUN_ALL_TESTS();
}
