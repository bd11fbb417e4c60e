// libFuzzer target for the command string of a custom solution and the spelling rules
// every path in it passes (core/SolutionCommands, core/SolutionPathRules, host build).
// The input is one command string, one byte per character. Besides crashes and sanitizer
// reports it stops when a path counted as drive-absolute has no drive, a path is not
// within itself, a volume root is found inside another drive's folder, or the plain
// words of the action lines grow without bound.

#include "core/SolutionCommands.h"
#include "core/SolutionPathRules.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring commands(data, data + size);
    CStringArrayEx lines;
    for (const SolutionCommand& command : SplitSolutionCommands(commands)) {
        const std::wstring& path = command.argument;
        const PathSpelling spelling = ClassifyPathSpelling(path);
        if (spelling == PathSpelling::DriveAbsolute) {
            Check(path.size() >= 3 && path[1] == L':');
            Check(PathIsWithin(path, path) && SamePath(path, TrimmedPath(path)));
            Check(PathIsWithin(path, path.substr(0, 3)));
        }
        if (IsVolumeRoot(path))
            Check(!PathIsWithin(path, path[0] == L'Z' || path[0] == L'z' ? L"Y:\\" : L"Z:\\"));
        Check(WithoutLongPathPrefix(path).size() <= path.size());
        (void)IsSystemCriticalProcess(path);
        lines.Add(PathActionLine(command.action, path));
    }
    Check(DescribeActionLines(lines).size() <= 200 * static_cast<std::size_t>(lines.GetSize()) + 2 * size);
    return 0;
}
