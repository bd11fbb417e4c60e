// velmora-cli: the console driver of the engine, for automation, tests and benchmarks.
//
//   velmora-cli scan [--sections LIST] [--no-pause] [--json]
//   velmora-cli repair | backups | restore | report | ignored | schedule  (cli/ServiceCommands.h)
//   velmora-cli update [--check] [--no-pause]  (cli/UpdateCommand.h)
//   velmora-cli snapshot | send-log | solution  (cli/OnlineCommands.h)
//
// Runs one scan exactly as the program does (repaired-items filter included) and
// writes the problems to standard output as UTF-8, the per-section counts to standard
// error. Exit codes: 0 a completed scan, 1 a scan that was interrupted or could not
// start, 2 bad arguments.

#include "cli/ConsoleBreak.h"
#include "cli/ConsoleOutput.h"
#include "cli/OnlineCommands.h"
#include "cli/ServiceCommands.h"
#include "cli/UpdateCommand.h"
#include "core/OnlineCommandLine.h"
#include "core/ScanCommand.h"
#include "core/ServiceCommandLine.h"
#include "core/Utf16Text.h"
#include "engine/EngineMessages.h"
#include "engine/CorvaneEngine.h"
#include "engine/RegistryScanThread.h"
#include "engine/RepairedItems.h"
#include "framework/MessageSink.h"
#include "framework/Pacing.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

int RunScanCommand(const std::vector<std::wstring>& args)
{
    ScanOptions options;
    const std::wstring error = ParseScanArguments(args, options);
    if (!error.empty()) {
        WriteBytes(STD_ERROR_HANDLE, "velmora-cli: " + utf16::ToUtf8(error) + "\r\n" + CliUsage());
        return kExitUsage;
    }
    if (options.noPause)
        SetPacingEnabled(false);

    // As the program does at the start of every scan: reload the repaired items.
    CRepairedItems repaired;
    if (!repaired.Load())
        WriteBytes(STD_ERROR_HANDLE, "velmora-cli: the repaired-items file cannot be read; nothing is filtered\r\n");

    CErrorListEx problems;
    SectionCounters counters;
    CMessageSink sink(&CarriesText);
    ScanTarget target{&problems, &counters, &repaired, sink.Target()};
    target.progress = false;  // nothing here shows it
    CRegistryScanThread scan(options.sections, target);
    if (!scan.Start()) {
        WriteBytes(STD_ERROR_HANDLE, "velmora-cli: the scan thread cannot be started\r\n");
        return kExitFailed;
    }
    {
        const CConsoleBreakGuard breakGuard(sink);
        if (!sink.PumpUntilEnded(scan.GetThreadHandle())) {
            scan.RequestStop();
            scan.WaitForEnd();
            sink.Drain();
        }
    }

    WriteBytes(STD_OUTPUT_HANDLE, options.json ? ProblemsJson(problems) : ProblemLinesUtf8(problems));
    WriteBytes(STD_ERROR_HANDLE, SectionCountsText(options.sections, counters));
    if (!sink.Received(WM_SCAN_FINISHED)) {
        WriteBytes(STD_ERROR_HANDLE, "velmora-cli: the scan was interrupted\r\n");
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    // Before anything loads a library by name: only from the system's folder.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    std::vector<std::wstring> args(argv + 1, argv + argc);
    if (args.empty()) {
        WriteBytes(STD_ERROR_HANDLE, CliUsage() + ServiceCommandsUsage() + UpdateCommandUsage() + OnlineCommandsUsage());
        return kExitUsage;
    }
    const std::wstring command = args.front();
    args.erase(args.begin());
    if (command == L"--help" || command == L"-h" || command == L"help") {
        WriteBytes(STD_OUTPUT_HANDLE, CliUsage() + ServiceCommandsUsage() + UpdateCommandUsage() + OnlineCommandsUsage());
        return kExitOk;
    }
    if (command == L"scan")
        return RunScanCommand(args);
    if (command == L"update")
        return RunUpdateCommand(args);
    if (IsServiceCommand(command)) {
        CCorvaneEngine engine;
        return RunServiceCommand(command, args, engine);
    }
    if (IsOnlineCommand(command)) {
        const CCorvaneEngine engine;
        return RunOnlineCommand(command, args, {engine.ProductVersion(), engine.BackupFolder()});
    }
    WriteBytes(STD_ERROR_HANDLE, "velmora-cli: unknown command: " + utf16::ToUtf8(command) + "\r\n" + CliUsage() +
                                     ServiceCommandsUsage() + UpdateCommandUsage() + OnlineCommandsUsage());
    return kExitUsage;
}
