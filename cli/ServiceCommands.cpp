#include "cli/ServiceCommands.h"

#include "cli/ConsoleBreak.h"
#include "cli/ConsoleOutput.h"
#include "core/ScanCommand.h"
#include "core/ServiceCommandLine.h"
#include "core/Utf16Text.h"
#include "engine/BackupRestore.h"
#include "engine/CorvaneEngine.h"
#include "engine/EngineMessages.h"
#include "engine/FileSystem.h"
#include "framework/MessageSink.h"
#include "framework/Pacing.h"

#include <windows.h>

#include <string_view>

namespace {

// Runs a scan of the chosen sections to its end, as the main window starts one.
bool RunScan(CCorvaneEngine& engine, CMessageSink& sink, const ServiceOptions& options)
{
    if (!engine.StartScan(options.sections)) {
        PrintError(L"the scan thread cannot be started");
        return false;
    }
    const bool ended = sink.PumpUntilEnded(engine.ScanThreadHandle());
    if (!ended)
        engine.StopScan();
    if (!ended || !sink.Received(WM_SCAN_FINISHED)) {
        PrintError(L"the scan was interrupted");
        return false;
    }
    return true;
}

int Repair(CCorvaneEngine& engine, CMessageSink& sink, const ServiceOptions& options)
{
    if (!RunScan(engine, sink, options))
        return kExitFailed;
    if (engine.GetTotalFound() < 1) {
        // As the main window does after a scan that found nothing.
        if (!engine.ClearUnresolvedProblems())
            PrintError(L"the stored unresolved problems could not be cleared");
        PrintError(L"no problems found, nothing to repair");
        WriteBytes(STD_OUTPUT_HANDLE, RepairCountsText(options.sections, engine.SectionCounters()));
        return kExitOk;
    }
    // Every row stays ticked: the unresolved-problems file is rewritten empty.
    const std::vector<bool> allStay(static_cast<std::size_t>(engine.ProblemList().GetSize()), true);
    if (!engine.SaveUnresolvedProblems(allStay))
        PrintError(L"the unresolved-problems file could not be written");
    if (!engine.StartRepair(engine.ProblemList())) {
        PrintError(L"the repair thread cannot be started");
        return kExitFailed;
    }
    const bool ended = sink.PumpUntilEnded(engine.RepairThreadHandle());
    if (!ended)
        engine.StopRepair();  // the worker finishes its current problem, saves and ends
    const std::wstring backup = engine.LastBackupPath();
    const bool failed = !ended || engine.RepairFailed();
    if (!backup.empty())
        PrintLine(backup);
    WriteBytes(STD_OUTPUT_HANDLE, RepairCountsText(options.sections, engine.SectionCounters()));
    if (!ended)
        PrintError(L"the repair was interrupted");
    if (backup.empty())
        PrintError(L"the backup file could not be created in " + engine.BackupFolder() +
              L"; no registry entry or file was removed");
    else if (failed && ended)
        PrintError(L"the backup or the repaired-items list could not be written; entries not recorded were left alone");
    else if (engine.RepairLeftProblems())
        PrintError(L"some problems were not repaired and were kept in the unresolved-problems file");
    return failed || backup.empty() ? kExitFailed : kExitOk;
}

int Backups(CCorvaneEngine& engine, CMessageSink& sink)
{
    engine.ListBackups();
    sink.Drain();
    for (const ReceivedMessage& found : sink.Only(WM_BACKUP_FOUND))
        PrintLine(found.text);
    return kExitOk;
}

int Restore(CCorvaneEngine& engine, const ServiceOptions& options)
{
    wchar_t full[MAX_PATH * 4] = {};
    const DWORD length = ::GetFullPathNameW(options.file.c_str(), MAX_PATH * 4, full, nullptr);
    const std::wstring path = length > 0 && length < MAX_PATH * 4 ? std::wstring(full, length) : options.file;
    if (!FileExists(path)) {
        PrintError(L"no such backup file: " + path);
        return kExitFailed;
    }
    switch (engine.RestoreBackup(path)) {
    case RestoreOutcome::Restored: break;
    case RestoreOutcome::NewerDataKept:
        PrintError(L"some entries were not restored because newer data is in their place; the file is kept: " + path);
        return kExitFailed;
    case RestoreOutcome::Failed:
        PrintError(L"the backup was not restored completely; the file is kept: " + path);
        return kExitFailed;
    }
    // As the restore window does after a restore.
    if (!DeleteBackupFiles(path))
        PrintError(L"the backup was restored but its files could not be removed: " + path);
    PrintLine(L"restored " + path);
    return kExitOk;
}

int Report(CCorvaneEngine& engine, CMessageSink& sink, const ServiceOptions& options)
{
    if (!RunScan(engine, sink, options))
        return kExitFailed;
    std::wstring folder;
    std::wstring path;
    if (!engine.WriteScanReport(folder, path)) {
        PrintError(folder.empty() ? L"the report could not be written: no common application-data folder"
                             : L"the report could not be written; does the folder " + folder +
                                   L"\\Velmora exist?");
        return kExitFailed;
    }
    PrintLine(path);
    return kExitOk;
}

int Ignored(CCorvaneEngine& engine)
{
    if (!engine.LoadIgnoredProblems()) {
        PrintError(L"the unresolved-problems file cannot be read");
        return kExitFailed;
    }
    WriteBytes(STD_OUTPUT_HANDLE, ProblemLinesUtf8(engine.ProblemList()));
    return kExitOk;
}

int Schedule(CCorvaneEngine& engine, const ServiceOptions& options)
{
    // The task must start the program, not this console driver.
    engine.ScanSchedule().application = GetModuleFolder() + L"\\Velmora.exe";
    if (options.scheduleRemove && !engine.RemoveScanSchedule()) {
        PrintError(L"the scheduled scan could not be removed (is the Schedule service running?)");
        return kExitFailed;
    }
    if (options.scheduleGiven) {
        if (!engine.SetScanSchedule(options.schedule)) {
            PrintError(L"the scheduled scan could not be set (is the Schedule service running?)");
            return kExitFailed;
        }
    }
    ScanScheduleSetting current;
    switch (engine.LookupScanSchedule(current)) {
    case ScheduleLookup::Found: WriteBytes(STD_OUTPUT_HANDLE, FormatScheduleSetting(current) + "\r\n"); return kExitOk;
    case ScheduleLookup::NoTask: WriteBytes(STD_OUTPUT_HANDLE, "none\r\n"); return kExitOk;
    case ScheduleLookup::Unavailable: break;
    }
    PrintError(L"the task scheduler is unavailable (is the Schedule service running?)");
    return kExitFailed;
}

}  // namespace

int RunServiceCommand(const std::wstring& command, const std::vector<std::wstring>& args, CCorvaneEngine& engine)
{
    ServiceOptions options;
    const std::wstring error = ParseServiceArguments(command, args, options);
    if (!error.empty()) {
        WriteBytes(STD_ERROR_HANDLE, "velmora-cli: " + utf16::ToUtf8(error) + "\r\n" + CliUsage() + ServiceCommandsUsage());
        return kExitUsage;
    }
    if (options.noPause)
        SetPacingEnabled(false);

    CMessageSink sink(&CarriesText);
    CConsoleBreakGuard breakGuard(sink);
    engine.SetNotifyWindow(sink.Target());
    int result = kExitFailed;
    switch (options.command) {
    case ServiceCommand::Repair: result = Repair(engine, sink, options); break;
    case ServiceCommand::Backups: result = Backups(engine, sink); break;
    case ServiceCommand::Restore: result = Restore(engine, options); break;
    case ServiceCommand::Report: result = Report(engine, sink, options); break;
    case ServiceCommand::Ignored: result = Ignored(engine); break;
    case ServiceCommand::Schedule: result = Schedule(engine, options); break;
    }
    // No worker may post to the sink after it is gone.
    engine.StopScan();
    engine.StopRepair();
    engine.SetNotifyWindow({});
    return result;
}
